// The sprites made after the first frame (tips, text view, search panel, keyboard, about screen, and the
// welcome panel when a named document shows instead): the same pixels as made straight after start-up,
// and made before the first frame's drawing when that frame shows them.
#include "app/later_sprites.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

namespace {

constexpr int highestSpriteNumber = 1100;  // above the fixed numbers and the first free ones

std::set<int> existingSprites() {
    std::set<int> numbers;
    for (int n = 0; n <= highestSpriteNumber; ++n)
        if (media::spriteExists(n)) numbers.insert(n);
    return numbers;
}

// Size, then every pixel's RGB row by row.
std::vector<media::Colour> sizeAndPixels(int number) {
    const int width = media::spriteOwnWidth(number), height = media::spriteOwnHeight(number);
    std::vector<media::Colour> pixels = spritePixels(number, 0, 0, width, height);
    pixels.insert(pixels.begin(), {static_cast<media::Colour>(width), static_cast<media::Colour>(height)});
    return pixels;
}

// Every step-th pixel of a rectangle of the presented frame, row by row.
std::vector<media::Colour> screenPixels(const Harness& h, int x, int y, int width, int height, int step) {
    std::vector<media::Colour> pixels;
    for (int row = y; row < y + height; row += step)
        for (int column = x; column < x + width; column += step) pixels.push_back(h.pixel(column, row));
    return pixels;
}

struct LaterSprites {
    std::map<int, std::vector<media::Colour>> pixels;
    std::pair<int, int> keyboard;  // its place
};

HarnessOptions inTheirOrder(const std::string& documentAtStart = {}) {
    return {.laterSpritesAtStart = false, .documentAtStart = documentAtStart};
}

// With no document named, start-up makes the welcome panel and the logo itself.
LaterSprites reference() {
    Harness h(inTheirOrder());
    EXPECT_TRUE(h.started());
    const std::set<int> before = existingSprites();
    prepareLaterSprites(h.v());
    LaterSprites made;
    for (int n : existingSprites())
        if (!before.count(n) || n == sprite::welcome || n == sprite::logo) made.pixels[n] = sizeAndPixels(n);
    made.keyboard = {h.v().keyboard.keyboardX, h.v().keyboard.keyboardY};
    return made;
}

TEST(LaterSprites, MadeAfterFramesOfADocumentAreTheSameAsStraightAfterStartUp) {
    const LaterSprites expected = reference();
    ASSERT_GT(expected.pixels.size(), 10u);  // eight tips, three keyboard faces, the about screen
    const std::string pdf = makeTemporaryFolder("later-sprites") + "two.pdf";
    ASSERT_TRUE(makeNumberedPdf(pdf, 2));
    Harness h(inTheirOrder(pdf));  // named on the command line: its page shows, not the welcome
    ASSERT_TRUE(h.started());
    EXPECT_FALSE(media::spriteExists(sprite::welcome));
    EXPECT_FALSE(media::spriteExists(sprite::logo));
    h.moveTo(500, 900);
    h.frames(1);
    EXPECT_EQ(h.v().frame.laterSpritesDrawn, 1) << "one group a frame";
    h.frames(laterSpriteGroups);
    EXPECT_EQ(std::pair(h.v().keyboard.keyboardX, h.v().keyboard.keyboardY), expected.keyboard);
    for (const auto& [number, pixels] : expected.pixels) {
        ASSERT_TRUE(media::spriteExists(number)) << "sprite " << number;
        EXPECT_TRUE(sizeAndPixels(number) == pixels) << "sprite " << number;
    }
}

// A named file that is no document leaves the welcome up: the first frame shows it as a start with
// no document does.
TEST(LaterSprites, AFirstFrameThatStillWelcomesHasTheWelcomePanel) {
    const std::string notPdf = makeTemporaryFolder("later-sprites") + "notes.pdf";
    ASSERT_TRUE(media::writeWholeFile(notPdf, "plain text, no PDF\n"));
    std::vector<media::Colour> frames[2];
    for (int named = 0; named < 2; ++named) {
        Harness h(inTheirOrder(named ? notPdf : ""));
        ASSERT_TRUE(h.started());
        h.frames(1);
        ASSERT_TRUE(h.v().frame.welcomeShown);
        frames[named] = screenPixels(h, 0, 0, h.v().layout.screenWidth, h.v().layout.screenHeight, 4);
    }
    EXPECT_TRUE(frames[0] == frames[1]);
}

// A typing panel up in the first frame (a locked document named on the command line asks for its
// password at once) shows the on-screen keyboard in that frame.
TEST(LaterSprites, AFirstFrameWithATypingPanelShowsTheKeyboard) {
    Harness h(inTheirOrder());
    ASSERT_TRUE(h.started());
    Viewer& v = h.v();
    v.frame.searchPanelOpen = true;
    // The keyboard's place as the first frame shows it, and as the next one does.
    auto keyboardArea = [&] {
        const int face = v.keyboard.activeKeyboardSprite;
        return screenPixels(h, v.keyboard.keyboardX, v.keyboard.keyboardY, media::spriteWidth(face),
                            media::spriteHeight(face), 3);
    };
    h.frames(1);
    ASSERT_TRUE(media::spriteExists(v.keyboard.activeKeyboardSprite));
    const std::vector<media::Colour> first = keyboardArea();
    h.frames(1);
    EXPECT_TRUE(first == keyboardArea());
}

TEST(LaterSprites, AFirstFrameWithThePointerOnTheToolBarHasTheTips) {
    Harness h(inTheirOrder());
    ASSERT_TRUE(h.started());
    h.moveTo(h.v().layout.openButtonX + 5, h.v().layout.mediumFontSize + 5);
    // The tip's band as the first frame shows it, and as the next one does, the tips surely made.
    auto tipBand = [&] {
        const int top = static_cast<int>(std::lround(1.8 * media::spriteHeight(sprite::openButton)));
        return screenPixels(h, 0, top, h.v().layout.screenWidth,
                            media::spriteHeight(h.v().layout.tipOpenSprite), 1);
    };
    h.frames(1);
    ASSERT_EQ(h.v().frame.hoveredButton, Button::open);
    const std::vector<media::Colour> first = tipBand();
    h.frames(1);
    EXPECT_TRUE(first == tipBand());
}

}  // namespace
