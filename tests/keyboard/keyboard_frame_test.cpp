// The on-screen keyboard in the running viewer: its geometry at 1080 x 1920, hover, locks and typing.
#include <gtest/gtest.h>

#include <string>

#include "keyboard/keyboard.h"
#include "media/media.h"
#include "tests/support/harness.h"

namespace {

constexpr media::Colour K = media::rgb(2, 2, 2);
constexpr media::Colour G = media::rgb(200, 200, 200);

// A started viewer with the search panel open, so that the keyboard is shown and typed on.
struct KeyboardViewer {
    Harness h;
    explicit KeyboardViewer(HarnessOptions options = {}) : h(std::move(options)) {
        h.v().frame.searchPanelOpen = 1;
        h.v().frame.searchInputActive = 1;
    }
    KeyboardState& k() { return h.v().keyboard; }
    const KeyEntry& key(int index) { return k().lowerKeys.at(static_cast<std::size_t>(index)); }
    void pointAt(int x, int y) {
        h.moveTo(h.v().layout.keyboardX + x, h.v().layout.keyboardY + y);
        h.frames(1);
    }
    void clickHere() {
        h.press();
        h.frames(1);
        h.release();
        h.frames(1);
    }
    void tap(int index) {
        pointAt(key(index).x + key(index).width / 2, key(index).y + key(index).height / 2);
        clickHere();
    }
};

media::Colour facePixel(int face, int x, int y) {
    media::beginDrawing(face);
    const media::Colour colour = media::pixelColour(x, y);
    media::endDrawing();
    return colour;
}

TEST(KeyboardGeometry, MatchesTheWorkedExampleAt1080By1920) {
    KeyboardViewer kv;
    ASSERT_TRUE(kv.h.started());
    auto& k = kv.k();
    EXPECT_EQ(k.width, 1042);
    EXPECT_EQ(k.height, 349);
    EXPECT_EQ(k.keyWidth, 67);
    EXPECT_EQ(k.keyHeight, 62);
    EXPECT_EQ(media::spriteWidth(sprite::keyboardLower), 1042);
    EXPECT_EQ(media::spriteHeight(sprite::keyboardAltGr), 349);
    EXPECT_EQ(kv.h.v().layout.keyboardX, 19);
    EXPECT_EQ(kv.h.v().layout.keyboardY, 1561);
    const int rowFirst[] = {0, 14, 28, 42, 55}, rowTop[] = {0, 64, 128, 192, 256};
    for (int r = 0; r < 5; ++r) EXPECT_EQ(kv.key(rowFirst[r]).y, rowTop[r]) << "row " << r + 1;
    EXPECT_EQ(kv.key(0).x, 12);  // the first box at nearest(1042/100) = 10, its rectangle 2 further
    EXPECT_EQ(kv.key(14).x, 10);
    for (int index : {55, 56, 58}) EXPECT_EQ(kv.key(index).width, 100) << index;
    EXPECT_EQ(kv.key(57).x, 218);
    EXPECT_EQ(kv.key(57).width, 608);
    for (int index = 0; index < static_cast<int>(keyCount); ++index) {
        EXPECT_EQ(kv.key(index).height, 62) << index;
        EXPECT_GT(kv.key(index).width, 0) << index;
        EXPECT_LE(kv.key(index).x + kv.key(index).width, 1042) << index;
    }
}

// Keys of one row follow each other left to right without overlapping, and the keys found by the
// pixel scans reach the right edge less 2 pixels.
TEST(KeyboardGeometry, RowsAreOrderedAndTheScannedKeysCloseTheRows) {
    KeyboardViewer kv;
    const int rows[][2] = {{0, 13}, {14, 27}, {28, 41}, {42, 54}, {55, 59}};
    for (const auto& r : rows) {
        for (int i = r[0] + 1; i <= r[1]; ++i) {
            if (i == 14 + 1 || i == 28 + 1 || i == 42 + 1) continue;  // left keys are placed after the row
            EXPECT_LT(kv.key(i - 1).x + kv.key(i - 1).width, kv.key(i).x) << i;
        }
        EXPECT_EQ(kv.key(r[1]).x + kv.key(r[1]).width, 1040) << r[1];
    }
    EXPECT_LT(kv.key(14).x + kv.key(14).width, kv.key(15).x);
    EXPECT_LT(kv.key(28).x + kv.key(28).width, kv.key(29).x);
    EXPECT_LT(kv.key(42).x + kv.key(42).width, kv.key(43).x);
    // The Enter key's lower half is narrower than its upper half.
    EXPECT_GT(kv.key(41).x, kv.key(27).x);
}

TEST(KeyboardFaces, OutlinesFillsAndTheJoinedEnterKey) {
    KeyboardViewer kv;
    const auto& space = kv.key(57);
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x, space.y + 30), K);  // left outline of the box
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x + 20, space.y + 30), G);
    EXPECT_EQ(facePixel(sprite::keyboardLower, space.x + 20, 63), 0u);  // the gap between rows
    const auto& lower = kv.key(41);
    for (int face : {sprite::keyboardLower, sprite::keyboardUpper, sprite::keyboardAltGr}) {
        EXPECT_EQ(facePixel(face, lower.x + 10, lower.y + 50), G) << face;  // the lower half is filled
        EXPECT_EQ(facePixel(face, lower.x + 10, lower.y - 1), G) << face;   // and joined to the upper
        EXPECT_EQ(facePixel(face, lower.x + 10, kv.key(27).y + 3), G) << face;
    }
    // Highlight pairs have the size of their key; the Enter pair spans 2.05 key heights.
    EXPECT_EQ(media::spriteWidth(93), 67);
    EXPECT_EQ(media::spriteWidth(98), 608);
    EXPECT_EQ(media::spriteWidth(110), 608);
    EXPECT_EQ(media::spriteWidth(104), kv.key(27).width);
    EXPECT_EQ(media::spriteHeight(115), 127);
    EXPECT_EQ(media::spriteWidth(101), kv.key(28).width);
    EXPECT_EQ(media::spriteWidth(114), kv.key(54).width);
}

TEST(KeyHover, EdgesCountAsOverTheKeyAndGapsOverNone) {
    KeyboardViewer kv;
    auto& k = kv.k();
    const auto& q = kv.key(15);
    k.keyboardPointerX = q.x + q.width;
    k.keyboardPointerY = q.y + q.height;
    hoverKeys(kv.h.v());
    EXPECT_EQ(k.pointerOverKey, 1);
    EXPECT_EQ(k.currentKey, 15);
    EXPECT_EQ(k.hoverKeySprite, 93);
    EXPECT_EQ(k.hoverKeyX, q.x - 2);
    EXPECT_EQ(k.hoverKeyY, q.y);

    k.keyboardPointerX = q.x + q.width + 1;  // between q and w
    hoverKeys(kv.h.v());
    EXPECT_EQ(k.pointerOverKey, 0);
    EXPECT_EQ(k.currentKey, 59);
    EXPECT_EQ(k.hoverKeySprite, 93);  // kept after leaving the keys
    k.keyboardPointerX = q.x + 5;
    k.keyboardPointerY = q.y + q.height + 1;  // between rows 2 and 3
    hoverKeys(kv.h.v());
    EXPECT_EQ(k.pointerOverKey, 0);
}

TEST(KeyHover, SpecialShapesOverrideAndEnterTakesItsUpperPlace) {
    KeyboardViewer kv;
    auto& k = kv.k();
    auto hoverAt = [&](int index) {
        k.keyboardPointerX = kv.key(index).x + 3;
        k.keyboardPointerY = kv.key(index).y + 3;
        hoverKeys(kv.h.v());
        EXPECT_EQ(k.currentKey, index);
    };
    const int expected[][2] = {{14, 94}, {55, 96}, {56, 96}, {58, 96}, {59, 97}, {57, 98}, {13, 99},
                               {28, 101}, {42, 102}, {54, 103}, {27, 104}};
    for (const auto& [index, hoverSprite] : expected) {
        hoverAt(index);
        EXPECT_EQ(k.hoverKeySprite, hoverSprite) << index;
        EXPECT_EQ(k.hoverKeyX, kv.key(index).x) << index;
    }
    hoverAt(41);
    EXPECT_EQ(k.hoverKeySprite, 104);
    EXPECT_EQ(k.hoverKeyX, kv.key(27).x);
    EXPECT_EQ(k.hoverKeyY, kv.key(27).y);
}

TEST(KeyHover, ALongLabelOnARegularKeyIsFoundButNotHighlighted) {
    HarnessOptions options;
    options.configurationText = "[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\xC2\xA6" "ab\xC2\xA6\xC3\xA9\n";
    KeyboardViewer kv(options);
    auto& k = kv.k();
    k.keyboardPointerX = kv.key(1).x + 3;  // "é": one character, two bytes
    k.keyboardPointerY = 5;
    hoverKeys(kv.h.v());
    EXPECT_EQ(k.hoverKeySprite, 93);
    k.keyboardPointerX = kv.key(0).x + 3;  // "ab"
    hoverKeys(kv.h.v());
    EXPECT_EQ(k.currentKey, 0);
    EXPECT_EQ(k.pointerOverKey, 1);
    EXPECT_EQ(k.hoverKeySprite, 93);
    EXPECT_EQ(k.hoverKeyX, kv.key(1).x - 2);  // still the previous key's highlight
}

TEST(KeyboardLocks, CapsLockTwiceReturnsToLowerCase) {
    KeyboardViewer kv;
    kv.tap(28);
    EXPECT_EQ(kv.k().shiftActive, 1);
    EXPECT_EQ(kv.k().lowerCaseActive, 0);
    EXPECT_EQ(kv.k().activeKeyboardSprite, sprite::keyboardUpper);
    EXPECT_EQ(kv.k().lockKeySprite, 101);
    kv.tap(28);
    EXPECT_EQ(kv.k().lowerCaseActive, 1);
    EXPECT_EQ(kv.k().shiftActive, 0);
    EXPECT_EQ(kv.k().activeKeyboardSprite, sprite::keyboardLower);
    EXPECT_EQ(kv.h.v().search.searchWord, "");
}

TEST(KeyboardLocks, CapsLockThenRightShiftAlsoReturnsToLowerCase) {
    KeyboardViewer kv;
    kv.tap(28);
    kv.tap(15);
    kv.tap(54);
    kv.tap(15);
    EXPECT_EQ(kv.h.v().search.searchWord, "Qq");
    EXPECT_EQ(kv.k().lowerCaseActive, 1);
    EXPECT_EQ(kv.k().lockKeySprite, 103);
}

TEST(KeyboardLocks, AltGrFromUpperCaseSwitchesToAltGrAndBack) {
    KeyboardViewer kv;
    kv.tap(42);
    kv.tap(58);
    EXPECT_EQ(kv.k().altGrActive, 1);
    EXPECT_EQ(kv.k().shiftActive, 0);
    EXPECT_EQ(kv.k().lowerCaseActive, 0);
    EXPECT_EQ(kv.k().activeKeyboardSprite, sprite::keyboardAltGr);
    EXPECT_EQ(kv.k().altGrKeyX, kv.key(58).x);
    kv.tap(17);  // e: é under AltGr
    kv.tap(56);
    EXPECT_EQ(kv.k().lowerCaseActive, 1);
    kv.tap(17);
    EXPECT_EQ(kv.h.v().search.searchWord, "\xC3\xA9" "e");
}

TEST(KeyboardLocks, AReleaseOverNoKeyAfterACapsKeyTogglesAgain) {
    KeyboardViewer kv;
    kv.tap(28);
    ASSERT_EQ(kv.k().shiftActive, 1);
    kv.pointAt(kv.key(15).x + kv.key(15).width + 1, kv.key(15).y + 5);  // the gap after q
    kv.clickHere();
    EXPECT_EQ(kv.k().lowerCaseActive, 1);
    kv.clickHere();
    EXPECT_EQ(kv.k().shiftActive, 1);
    // The lock highlight stays on caps lock, not on the walk's last key.
    EXPECT_EQ(kv.k().shiftKeyX, kv.key(28).x);
    EXPECT_EQ(kv.k().shiftKeyY, kv.key(28).y);
    EXPECT_EQ(kv.h.v().search.searchWord, "");
}

TEST(KeyboardTyping, DeleteTabSpaceAndEnter) {
    KeyboardViewer kv;
    auto& word = kv.h.v().search.searchWord;
    kv.tap(13);  // delete on an empty word
    EXPECT_EQ(word, "");
    word = "a\xE2\x82\xAC";
    kv.tap(13);  // a whole character goes, not a byte of it
    EXPECT_EQ(word, "a");
    kv.tap(14);
    EXPECT_EQ(word, "a        ");
    kv.tap(57);
    EXPECT_EQ(word, "a         ");
    word.clear();
    kv.tap(41);  // with an empty word the search waits and the flag stays
    EXPECT_EQ(kv.h.v().search.onScreenEnterPressed, 1);
    for (int silent : {55, 56, 59, 42}) kv.tap(silent);
    EXPECT_EQ(word, "");
}

TEST(KeyboardTyping, ALabelOfMinusOneDeletes) {
    HarnessOptions options;
    options.configurationText = "[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\xC2\xA6-1\xC2\xA6x\n";
    KeyboardViewer kv(options);
    kv.h.v().search.searchWord = "ab";
    kv.tap(1);
    kv.tap(0);
    kv.tap(0);
    EXPECT_EQ(kv.h.v().search.searchWord, "a");
}

TEST(KeyboardTyping, TheSwitchOffKeepsTheKeyboardAwayButItsFacesAreDrawn) {
    HarnessOptions options;
    options.configurationText = "[GLOBAL]\nEnableOn-ScreenKeyboard=no\n[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\xC2\xA6q\n";
    KeyboardViewer kv(options);
    EXPECT_TRUE(media::spriteExists(sprite::keyboardLower));
    kv.tap(0);
    EXPECT_EQ(kv.h.v().search.searchWord, "");
    EXPECT_EQ(kv.h.v().frame.keyboardKeyDown, 0);
}

TEST(KeyboardPixels, TheFaceHoverAndPressedLooksAreShown) {
    KeyboardViewer kv;
    const auto& space = kv.key(57);
    const int x = kv.h.v().layout.keyboardX + space.x + 20, y = kv.h.v().layout.keyboardY + space.y + 5;
    kv.pointAt(700, -300);  // away from the keys
    const media::Colour face = kv.h.pixel(x, y);
    EXPECT_NEAR(media::red(face), 200 * 230 / 255, 3);
    EXPECT_EQ(media::red(face), media::green(face));

    kv.pointAt(space.x + 20, space.y + 5);
    const media::Colour hover = kv.h.pixel(x, y);
    EXPECT_GT(media::green(hover), media::red(hover) + 20);

    kv.h.press();
    kv.h.frames(1);
    EXPECT_EQ(kv.h.v().frame.keyboardKeyDown, 1);
    EXPECT_EQ(kv.k().pressedKeySprite, 110);
    const media::Colour pressed = kv.h.pixel(x, y);
    EXPECT_NEAR(media::red(pressed), media::green(pressed), 3);
    EXPECT_LT(media::red(pressed), media::red(face));  // the dark top of the pressed look
    kv.h.release();
    kv.h.frames(1);
    EXPECT_EQ(kv.h.v().frame.keyboardKeyDown, 0);
}

}  // namespace
