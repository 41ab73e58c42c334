// Sprites on the dummy display: sizes, zoom and clip, overlap tests, and what reaches the presented
// frame when sprites are shown opaque, transparent, with intensity or multiplied.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "display_window.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/display/display_internal.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

using namespace media;

namespace {

constexpr Colour grey = rgb(100, 100, 100);
constexpr Colour red = rgb(200, 0, 0);

struct Spot {
    int x, y;
    Colour colour;
};

// Each spot of the last presented frame holds its colour.
void expectCaptured(std::initializer_list<Spot> spots) {
    for (const Spot& s : spots) EXPECT_EQ(capturedPixel(s.x, s.y), s.colour) << "at " << s.x << ", " << s.y;
}

std::pair<int, int> shownSize(int sprite) {
    return {spriteWidth(sprite), spriteHeight(sprite)};
}
std::pair<int, int> ownSize(int sprite) {
    return {spriteOwnWidth(sprite), spriteOwnHeight(sprite)};
}

long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// A 20 x 10 sprite: left half black, right half red.
void makeHalfBlackSprite(int number) {
    ASSERT_TRUE(createSprite(number, 20, 10));
    ASSERT_TRUE(beginDrawing(number));
    fillBox(10, 0, 10, 10, red);
    endDrawing();
}

using Sprites = DisplayWindow;

TEST_F(Sprites, ZoomToMinusOneRestoresTheOwnSizeExactly) {
    ASSERT_TRUE(createSprite(3, 37, 23));
    zoomSprite(3, 100, 7);
    EXPECT_EQ(shownSize(3), std::make_pair(100, 7));
    zoomSprite(3, -1, 50);
    EXPECT_EQ(shownSize(3), std::make_pair(37, 50));
    zoomSprite(3, -1, -1);
    EXPECT_EQ(shownSize(3), std::make_pair(37, 23));
    EXPECT_EQ(ownSize(3), std::make_pair(37, 23));
}

TEST_F(Sprites, ClipIsClampedIntoTheSpriteAndLeavesItsSizeAlone) {
    makeHalfBlackSprite(4);
    clipSprite(4, 15, -5, 100, -1);  // only the last five red columns, full height
    EXPECT_EQ(spriteWidth(4), 20);
    clearDisplay(grey);
    displaySprite(4, 30, 30);
    present();
    expectCaptured({{30, 30, red}, {34, 39, red}, {35, 30, grey}, {30, 40, grey}});
    clipSprite(4, 0, 0, -1, -1);
    displaySprite(4, 0, 0);
    present();
    expectCaptured({{0, 0, rgb(0, 0, 0)}, {19, 9, red}});
}

TEST_F(Sprites, OverlapUsesStrictInequalitiesAtDisplaySizes) {
    ASSERT_TRUE(createSprite(1, 10, 10));
    ASSERT_TRUE(createSprite(2, 4, 4));
    EXPECT_TRUE(spritesOverlap(1, 0, 0, 2, 9, 9));
    EXPECT_FALSE(spritesOverlap(1, 0, 0, 2, 10, 5));  // touching the right edge
    EXPECT_FALSE(spritesOverlap(1, 0, 0, 2, 5, 10));  // touching the bottom edge
    EXPECT_FALSE(spritesOverlap(1, 0, 0, 2, -4, 5));  // touching the left edge
    EXPECT_TRUE(spritesOverlap(1, 0, 0, 2, -3, -3));
    zoomSprite(1, 20, 20);
    EXPECT_TRUE(spritesOverlap(1, 0, 0, 2, 15, 15));
    EXPECT_FALSE(spritesOverlap(1, 0, 0, 99, 5, 5));  // no such sprite
}

TEST_F(Sprites, TransparentDisplayLeavesPureBlackOutAndOpaqueDisplayDrawsIt) {
    makeHalfBlackSprite(5);
    clearDisplay(grey);
    displayTransparentSprite(5, 10, 10, 255);
    displaySprite(5, 50, 10);
    present();
    expectCaptured({{12, 12, grey}, {25, 12, red}, {52, 12, rgb(0, 0, 0)}, {65, 12, red}});
}

TEST_F(Sprites, IntensityFadesATransparentSprite) {
    makeHalfBlackSprite(6);
    clearDisplay(rgb(0, 0, 200));
    displayTransparentSprite(6, 0, 0, 128);
    displayTransparentSprite(6, 40, 0, 0);
    present();
    Colour mixed = capturedPixel(15, 5);
    EXPECT_NEAR(media::red(mixed), 100, 3);
    EXPECT_NEAR(media::blue(mixed), 100, 3);
    EXPECT_EQ(capturedPixel(55, 5), rgb(0, 0, 200));
}

TEST_F(Sprites, AlphaCapableSpriteStartsFullyTransparentAndKeepsItsOwnAlpha) {
    ASSERT_TRUE(createSprite(7, 10, 10, alphaCapable));
    clearDisplay(grey);
    displayTransparentSprite(7, 0, 0, 255);
    present();
    EXPECT_EQ(capturedPixel(5, 5), grey);
    ASSERT_TRUE(beginDrawing(7));
    fillBox(0, 0, 5, 10, rgb(0, 0, 0));  // opaque black stays visible in an alpha-capable sprite
    endDrawing();
    clearDisplay(grey);
    displayTransparentSprite(7, 0, 0, 255);
    present();
    expectCaptured({{2, 5, rgb(0, 0, 0)}, {7, 5, grey}});
}

TEST_F(Sprites, MultiplyBlendingMultipliesAndDarkensWithBlack) {
    makeHalfBlackSprite(8);
    const auto multiplyAt = [this](int intensity) {
        clearDisplay(rgb(200, 200, 200));
        setBlending(Blending::multiply);
        displayTransparentSprite(8, 0, 0, intensity);
        setBlending(Blending::normal);
        present();
    };
    multiplyAt(255);
    EXPECT_EQ(capturedPixel(5, 5), rgb(0, 0, 0));
    Colour product = capturedPixel(15, 5);
    EXPECT_NEAR(media::red(product), 200 * 200 / 255, 2);
    EXPECT_EQ(media::green(product), 0);
    EXPECT_EQ(capturedPixel(30, 5), rgb(200, 200, 200));
    // Below full intensity black still darkens fully (the about screen's edges); colours are scaled.
    multiplyAt(200);
    EXPECT_EQ(capturedPixel(5, 5), rgb(0, 0, 0));
    EXPECT_NEAR(media::red(capturedPixel(15, 5)), 200 * 200 / 255 * 200 / 255, 3);
}

TEST_F(Sprites, ZoomedSpriteCoversItsDisplaySize) {
    makeHalfBlackSprite(9);
    zoomSprite(9, 40, 20);
    clearDisplay(grey);
    displaySprite(9, 0, 0);
    present();
    expectCaptured({{39, 19, red}, {5, 19, rgb(0, 0, 0)}, {40, 10, grey}, {10, 20, grey}});
}

// The software renderer scales an opaque sprite from its pixels, without a texture of its own; the
// frame holds what the texture would have drawn (the transparent display takes the texture, and leaves
// nothing out of a picture without pure black), smooth or not, whole, clipped or zoomed up.
TEST_F(Sprites, ScaledOpaqueSpriteDrawsAsItsTextureWouldWithoutOne) {
    ASSERT_TRUE(createSprite(9, 57, 43) && beginDrawing(9));
    drawStripedGradient(57, 43, rgb(240, 200, 100), rgb(10, 20, 30), rgb(200, 30, 60), 5);
    endDrawing();
    for (bool smooth : {false, true}) {
        setSpriteFiltering(smooth);
        for (const SDL_Rect& clip : {SDL_Rect{0, 0, -1, -1}, SDL_Rect{7, 5, 30, 20}}) {
            clipSprite(9, clip.x, clip.y, clip.w, clip.h);
            zoomSprite(9, clip.w < 0 ? 31 : 110, clip.w < 0 ? 22 : 71);  // shrunk whole, a part enlarged
            displaySprite(9, 3, 2);
            present();
            const auto fromPixels = capturedFrame();
            EXPECT_FALSE(detail::findSprite(9)->opaqueTexture) << smooth << " " << clip.x;
            displayTransparentSprite(9, 3, 2, 255);
            present();
            EXPECT_EQ(fromPixels, capturedFrame()) << smooth << " " << clip.x;
        }
    }
    setSpriteFiltering(true);
}

TEST_F(Sprites, NeverCreatedOrFreedSpritesDrawNothingAndReportZero) {
    clearDisplay(grey);
    displaySprite(77, 0, 0);
    displayTransparentSprite(78, 0, 0, 255);
    ASSERT_TRUE(createSprite(79, 10, 10));
    freeSprite(79);
    displaySprite(79, 0, 0);
    present();
    EXPECT_EQ(capturedPixel(1, 1), grey);
    EXPECT_FALSE(spriteExists(79));
    EXPECT_EQ(spriteWidth(79), 0);
    EXPECT_FALSE(copySprite(79, 80));
    EXPECT_FALSE(beginDrawing(79));
}

TEST_F(Sprites, CreatingUnderAUsedNumberReplacesTheSprite) {
    makeHalfBlackSprite(10);
    ASSERT_TRUE(createSprite(10, 5, 6));
    EXPECT_EQ(spriteOwnWidth(10), 5);
    ASSERT_TRUE(beginDrawing(10));
    EXPECT_EQ(pixelColour(4, 5), rgb(0, 0, 0));
    endDrawing();
    EXPECT_FALSE(createSprite(10, 0, 6));
    EXPECT_FALSE(createSprite(11, 100000, 100000));
    EXPECT_EQ(spriteOwnWidth(10), 5);
}

TEST_F(Sprites, AnyNumberPicksAFreeNumberEachTime) {
    const int first = createSpriteAnyNumber(4, 4), second = createSpriteAnyNumber(4, 4);
    EXPECT_GT(first, 0);
    EXPECT_GT(second, 0);
    EXPECT_NE(first, second);
    EXPECT_TRUE(spriteExists(first));
}

TEST_F(Sprites, CopyKeepsPixelsAndTheCopyChangesAlone) {
    makeHalfBlackSprite(12);
    ASSERT_TRUE(copySprite(12, 13));
    ASSERT_TRUE(beginDrawing(13));
    EXPECT_EQ(pixelColour(15, 5), red);
    fillBox(0, 0, 20, 10, rgb(0, 200, 0));
    ASSERT_TRUE(beginDrawing(12));  // opening another target closes the first
    EXPECT_EQ(pixelColour(15, 5), red);
    endDrawing();
}

TEST_F(Sprites, TextureFollowsDrawingDoneAfterTheSpriteWasShown) {
    makeHalfBlackSprite(14);
    displaySprite(14, 0, 0);
    present();
    ASSERT_TRUE(beginDrawing(14));
    fillBox(0, 0, 10, 10, rgb(0, 0, 250));
    endDrawing();
    displaySprite(14, 0, 0);
    present();
    EXPECT_EQ(capturedPixel(3, 3), rgb(0, 0, 250));
}

// A large sprite never shown, or left alone for a second, is kept packed and is whole wherever it is
// read, copied or shown; one whose runs would take over an eighth of its room stays as it is.
TEST_F(Sprites, LargeSpriteIsPackedWhileUnseenAndWholeWhereverItIsUsed) {
    auto packed = [](int number) { return detail::findSprite(number)->picture.pixels.empty(); };
    auto drawBox = [](int number, int x, int width) {
        ASSERT_TRUE(beginDrawing(number));
        fillBox(x, 0, width, 512, red);
        endDrawing();
    };
    ASSERT_TRUE(createSprite(20, 1024, 512) && createSprite(22, 1024, 512));  // 2 MB each
    drawBox(20, 0, 512);
    for (int x = 0; x < 1024; x += 2) drawBox(22, x, 1);  // a red column every other: every pixel a run
    present();
    EXPECT_EQ(std::make_pair(packed(20), packed(22)), std::make_pair(true, false));
    ASSERT_TRUE(copySprite(20, 21) && beginDrawing(21));
    EXPECT_EQ(std::make_pair(pixelColour(511, 5), pixelColour(512, 5)), std::make_pair(red, rgb(0, 0, 0)));
    endDrawing();
    present();
    EXPECT_TRUE(packed(20));     // read for the copy, still never shown
    displaySprite(20, -500, 0);  // columns 500 to 619: red up to 511
    present();
    expectCaptured({{11, 5, red}, {12, 5, rgb(0, 0, 0)}});
    advanceTestClock(600);
    drawBox(20, 1000, 1);
    advanceTestClock(999);
    present();
    EXPECT_FALSE(packed(20));  // shown, then drawn on, less than a second ago
    advanceTestClock(1);
    present();
    EXPECT_TRUE(packed(20));
}

// The frame limiter paced on a stand-in clock for the test's scope: no time is measured.
struct StandInPacing {
    StandInPacing() { useStandInPacingClock(true); }
    ~StandInPacing() { useStandInPacingClock(false); }
    StandInPacing(const StandInPacing&) = delete;
    StandInPacing& operator=(const StandInPacing&) = delete;
};

TEST_F(Sprites, FlipUnderTheTestClockNeverSleeps) {
    StandInPacing pacing;
    setFrameRate(2);
    for (int i = 0; i < 5; ++i) flipDisplay();
    EXPECT_EQ(pacingSleptNanoseconds(), 0);
    std::int64_t before = elapsedMilliseconds();
    advanceTestClock(25);
    EXPECT_EQ(elapsedMilliseconds(), before + 25);
    setTestClock(7);
    EXPECT_EQ(elapsedMilliseconds(), 7);
}

// Frames are due one interval after another, whatever a frame's own work took; a frame more than a
// whole interval late starts the count again instead of rushing the next ones.
TEST_F(Sprites, FrameLimiterHoldsFramesApartOnTheRealClock) {
    useTestClock(false);
    StandInPacing pacing;
    constexpr std::int64_t interval = 10'000'000;
    setFrameRate(99);  // one frame per 10 ms
    flipDisplay();
    const std::int64_t first = pacingSleptNanoseconds();
    EXPECT_LE(first, interval);
    for (int i = 0; i < 5; ++i) {
        advancePacingClock(interval / 4);  // the frame's own work
        flipDisplay();
    }
    EXPECT_EQ(pacingSleptNanoseconds() - first, 5 * (interval - interval / 4));
    advancePacingClock(3 * interval);  // a frame that took three intervals
    const std::int64_t beforeLate = pacingSleptNanoseconds();
    flipDisplay();
    EXPECT_EQ(pacingSleptNanoseconds(), beforeLate) << "a late frame is not held back";
    flipDisplay();
    EXPECT_EQ(pacingSleptNanoseconds(), beforeLate + interval) << "the next is due an interval later";
}

TEST_F(Sprites, WindowCaptionTogglesInPlace) {
    EXPECT_EQ(windowTitle(), "Display test");
    EXPECT_FALSE(windowHasCaption());
    toggleWindowCaption();
    EXPECT_TRUE(windowHasCaption());
    EXPECT_EQ(std::make_pair(windowWidth(), windowHeight()), std::make_pair(width, height));
    toggleWindowCaption();
    EXPECT_FALSE(windowHasCaption());
}

TEST_F(Sprites, DesktopSizeCanBeOverriddenAndTheOverrideRemoved) {
    overrideDesktopSize(1080, 1920);
    EXPECT_EQ(std::make_pair(desktopWidth(), desktopHeight()), std::make_pair(1080, 1920));
    overrideDesktopSize(0, 0);
    EXPECT_GT(desktopWidth(), 0);
}

TEST_F(Sprites, SavedSpriteLoadsBackWithItsPixelsWhateverItsClip) {
    makeHalfBlackSprite(15);
    clipSprite(15, 0, 0, 5, 5);
    const std::string file = testing::TempDir() + "pagewell_sprite_test.png";
    ASSERT_TRUE(saveSpritePng(15, file));
    ASSERT_TRUE(loadSprite(16, file));
    EXPECT_EQ(ownSize(16), std::make_pair(20, 10));
    ASSERT_TRUE(beginDrawing(16));
    EXPECT_EQ(pixelColour(19, 9), red);
    EXPECT_EQ(pixelColour(0, 0), rgb(0, 0, 0));
    endDrawing();
    clearDisplay(grey);
    displayTransparentSprite(16, 0, 0, 255);  // an opaque picture: its black is left out
    present();
    expectCaptured({{2, 2, grey}, {15, 2, red}});
}

TEST_F(Sprites, FailedLoadKeepsTheSpriteThatWasThere) {
    makeHalfBlackSprite(17);
    EXPECT_FALSE(loadSprite(17, testing::TempDir() + "no_such_picture.png"));
    const char notAPicture[] = "not a picture";
    EXPECT_FALSE(loadSpriteFromMemory(17, notAPicture, sizeof notAPicture));
    EXPECT_EQ(spriteOwnWidth(17), 20);
}

TEST_F(Sprites, SavedFrameHoldsWhatWasPresented) {
    clearDisplay(grey);
    makeHalfBlackSprite(18);
    displaySprite(18, 0, 0);
    present();
    std::string file = testing::TempDir() + "pagewell_frame_test.png";
    ASSERT_TRUE(saveCapturedFrame(file));
    ASSERT_TRUE(loadSprite(19, file));
    EXPECT_EQ(spriteOwnWidth(19), width);
    ASSERT_TRUE(beginDrawing(19));
    EXPECT_EQ(pixelColour(15, 5), red);
    EXPECT_EQ(pixelColour(50, 50), grey);
    endDrawing();
}

TEST_F(Sprites, CapturedPixelOutsideTheFrameIsMinusOne) {
    present();
    expectCaptured({{width, 0, 0xFFFFFFFFu}, {0, -1, 0xFFFFFFFFu}});
}

}  // namespace

// A page zoomed far past the screen: only its visible part is scaled, where the whole copy would put
// it. The software renderer used to scale the whole 32768 x 32768 copy (4 GB) in every frame; now
// at most one source pixel past each edge is scaled.
TEST_F(Sprites, ZoomedFarPastTheEdgesShowsTheRightPixelsWithoutScalingTheWholeCopy) {
    constexpr Colour crimson = rgb(200, 0, 0), green = rgb(0, 200, 0), blue = rgb(0, 0, 200),
                     white = rgb(255, 255, 255);
    ASSERT_TRUE(createSprite(5, 64, 64));  // four 32 x 32 cells, each 16384 pixels wide when zoomed
    ASSERT_TRUE(beginDrawing(5));
    fillBox(0, 0, 32, 32, crimson);
    fillBox(32, 0, 32, 32, green);
    fillBox(0, 32, 32, 32, blue);
    fillBox(32, 32, 32, 32, white);
    endDrawing();
    setSpriteFiltering(false);
    zoomSprite(5, 32768, 32768);
    const long peakBefore = peakResidentKilobytes();
    for (int frame = 0; frame < 3; ++frame) {
        displaySprite(5, width / 2 - 16384, height / 2 - 16384);  // the four cells meet at the centre
        present();
    }
    expectCaptured({{0, 0, crimson},
                    {width / 2 - 1, height / 2 - 1, crimson},
                    {width / 2, height / 2 - 1, green},
                    {width / 2 - 1, height / 2, blue},
                    {width / 2, height / 2, white},
                    {width - 1, height - 1, white}});
    EXPECT_LT(peakResidentKilobytes() - peakBefore, 256 * 1024);
    displaySprite(5, width, 0);  // wholly off the screen: nothing is drawn
    present();
    EXPECT_EQ(capturedPixel(width - 1, 0), rgb(0, 0, 0));
    setSpriteFiltering(true);
}
