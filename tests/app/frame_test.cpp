// Frame tests of the application shell: tool bar, hover, pointer pulse, events, Escape, Exit,
// Detach and re-attach, the Info panel and the welcome screen, on a 1080 x 1920 display.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/app.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "tests/support/harness.h"
#include "tests/support/scratch.h"

namespace {

// Centres of the buttons at 1080 x 1920 (faces at y 12..41).
constexpr int buttonY = 27;
constexpr int openX = 39, infoX = 149, aboutX = 353, exitX = 409, detachX = 1047;
constexpr int pageX = 540, pageY = 960;

int brightPixels(const Harness& h, int x0, int y0, int x1, int y1, int threshold) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (media::red(h.pixel(x, y)) > threshold) ++count;
    return count;
}

// The motion to a place and the frame that takes it.
void moveInFrame(Harness& h, int x, int y) {
    h.moveTo(x, y);
    h.frames(1);
}

using ToolbarFrame = StartedViewer;
using PointerFrame = StartedViewer;
using EscapeFrame = StartedViewer;
using WelcomeFrame = StartedViewer;

// Presses on the page, the tool bar and the detached window: each case runs with the mouse and with
// touch.
class PressFrame : public ::testing::TestWithParam<PointerStyle> {
protected:
    void SetUp() override { ASSERT_TRUE(h.started()); }
    Harness h{withPointer(GetParam())};
};

INSTANTIATE_TEST_SUITE_P(Pointer, PressFrame, pointerStyles, pointerStyleName);

}  // namespace

TEST_F(ToolbarFrame, ShownOnlyWhileThePointerIsInItsZone) {
    moveInFrame(h, pageX, pageY);
    EXPECT_FALSE(h.v().frame.toolbarShown);
    EXPECT_EQ(h.pixel(500, 70), media::rgb(0, 0, 0));
    moveInFrame(h, pageX, 103);  // the pointer's top row still overlaps the 96-pixel zone
    EXPECT_TRUE(h.v().frame.toolbarShown);
    EXPECT_EQ(h.pixel(500, 70), media::rgb(100, 100, 100));
    EXPECT_EQ(h.pixel(500, 5), media::rgb(200, 200, 200));
    EXPECT_EQ(h.pixel(12, 14), media::rgb(255, 255, 255));  // the Open face
    moveInFrame(h, pageX, 104);
    EXPECT_FALSE(h.v().frame.toolbarShown);
}

TEST_F(ToolbarFrame, StripFlagsKeepTheirValuesInsideTheZone) {
    moveInFrame(h, pageX, 50);
    h.v().frame.forwardStripHovered = true;
    h.v().frame.backStripHovered = false;
    h.frames(3);
    EXPECT_TRUE(h.v().frame.forwardStripHovered);
    EXPECT_FALSE(h.v().frame.backStripHovered);
}

TEST_F(ToolbarFrame, HoverTintsTheButtonAndShowsItsTip) {
    moveInFrame(h, pageX, 50);
    EXPECT_EQ(h.v().frame.hoveredButton, Button::none);
    EXPECT_EQ(brightPixels(h, 8, 56, 300, 76, 200), 0);
    moveInFrame(h, openX, buttonY);
    EXPECT_EQ(h.v().frame.hoveredButton, Button::open);
    // White face under the green overlay at intensity 60.
    EXPECT_LE(channelDistance(h.pixel(12, 14), media::rgb(195, 242, 195), 3), 4)
        << std::hex << h.pixel(12, 14);
    EXPECT_GT(brightPixels(h, 8, 56, 300, 76, 200), 20);  // the tip's text on the dark band
    moveInFrame(h, exitX, buttonY);
    EXPECT_EQ(h.v().frame.hoveredButton, Button::exit);
    EXPECT_EQ(h.pixel(12, 14), media::rgb(255, 255, 255));
}

TEST_F(ToolbarFrame, ThumbnailsSearchAndTextCannotBeHoveredWithoutADocument) {
    for (int x : {72 + 22, 182 + 41, 268 + 29}) {
        moveInFrame(h, x, buttonY);
        EXPECT_EQ(h.v().frame.hoveredButton, Button::none) << "x " << x;
    }
}

// From the start value 50 the first run up has 10 frames; every later cycle starts again at 50.
TEST_F(PointerFrame, PulseRunsUpAndDownBetween30And250) {
    std::vector<int> expected;
    for (int i = 70; i <= 250; i += 20) expected.push_back(i);
    for (int i = 250; i >= 30; i -= 20) expected.push_back(i);
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < expected.size(); ++i) {
            h.frames(1);
            EXPECT_EQ(h.v().frame.pointerIntensity, expected[i]) << "round " << round << " frame " << i;
        }
        if (round == 0) expected.insert(expected.begin(), 50);
    }
}

TEST_F(PointerFrame, TouchRingOnlyInFramesWithMotion) {
    moveInFrame(h, pageX, pageY + 300);
    h.moveTo(pageX, pageY);  // start-up put the pointer at the centre; this is a real move
    h.frames(1);
    EXPECT_GT(brightPixels(h, pageX - 32, pageY - 32, pageX + 32, pageY - 12, 200), 0);
    h.frames(1);
    EXPECT_EQ(brightPixels(h, pageX - 32, pageY - 32, pageX + 32, pageY - 12, 200), 0);
}

TEST_P(PressFrame, ExactlyOneWindowEventPerFrame) {
    moveInFrame(h, pageX, pageY);
    h.press();
    h.release();
    h.frames(1);
    EXPECT_TRUE(h.v().frame.pagePressed);
    h.frames(1);
    EXPECT_FALSE(h.v().frame.pagePressed);
}

TEST_P(PressFrame, PressTimingDecidesTap) {
    moveInFrame(h, pageX, pageY);
    for (auto [ms, longPress] : {std::pair{154, false}, {155, true}}) {
        h.press();
        h.frames(1, 5);
        h.advance(ms);  // 154: 159 ms from the press frame to the release frame
        h.release();
        h.frames(1, 5);
        EXPECT_EQ(h.v().frame.longPress, longPress) << ms;
    }
}

TEST_F(EscapeFrame, EscapeEndsTheLoopAfterTheFrame) {
    h.frames(2);
    EXPECT_FALSE(h.ended());
    h.pressEscape();
    h.frames(1);
    EXPECT_TRUE(h.ended());
}

TEST_P(PressFrame, EscapeIsIgnoredInTheFrameTheAboutScreenReturns) {
    moveInFrame(h, aboutX, buttonY);
    h.press();
    h.frames(1);
    h.pressEscape();
    h.release();
    h.release();  // ends the about screen at once
    h.frames(1);
    EXPECT_FALSE(h.ended());
    EXPECT_TRUE(h.v().frame.exitSuppressed);
    h.frames(2);
    EXPECT_FALSE(h.ended());  // an Escape from the about screen's time does not end a later frame
}

TEST_P(PressFrame, ExitButtonEndsTheLoop) {
    h.clickAt(exitX, buttonY);
    EXPECT_TRUE(h.ended());
}

// A pointer that jumps from a button to the page (a touch elsewhere) leaves no button hovered.
TEST_P(PressFrame, AReleaseAwayFromTheToolbarIsNotAButtonRelease) {
    moveInFrame(h, exitX, buttonY);
    if (h.hoversBeforePress()) {
        EXPECT_EQ(h.v().frame.hoveredButton, Button::exit);
    }
    h.moveTo(pageX, pageY);
    h.press();
    h.frames(1);
    h.release();
    h.frames(1);
    EXPECT_FALSE(h.ended());
    EXPECT_EQ(h.v().frame.hoveredButton, Button::none);
}

TEST_P(PressFrame, DetachThenAPressOnThePageReattachesAndSkipsTheFrame) {
    h.clickAt(detachX, buttonY);
    EXPECT_TRUE(h.v().frame.windowDetached);
    EXPECT_TRUE(media::windowHasCaption());
    h.moveTo(pageX, pageY);
    h.frames(2);
    EXPECT_TRUE(h.v().frame.windowDetached);
    h.press();
    int intensity = h.v().frame.pointerIntensity;
    h.frames(1);
    EXPECT_FALSE(h.v().frame.windowDetached);
    EXPECT_FALSE(media::windowHasCaption());
    EXPECT_EQ(h.v().frame.pointerIntensity, intensity);  // the rest of the frame did not run
    h.frames(1);
    EXPECT_NE(h.v().frame.pointerIntensity, intensity);
    h.release();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.pagePressed);
}

TEST_P(PressFrame, APressInTheToolbarZoneAlsoReattaches) {
    h.clickAt(detachX, buttonY);
    ASSERT_TRUE(h.v().frame.windowDetached);
    moveInFrame(h, pageX, 60);
    h.press();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.windowDetached);
}

TEST_P(PressFrame, InfoTogglesThePlaceholderPanel) {
    h.clickAt(infoX, buttonY);
    EXPECT_TRUE(h.v().frame.infoPanelOpen);
    EXPECT_EQ(h.pixel(450, 95), media::rgb(100, 100, 100));  // panel at (445, 90), 190 x 20
    EXPECT_GT(brightPixels(h, 460, 92, 630, 108, 200), 20);  // "Load a PDF first..."
    h.press();
    h.frames(1);
    h.release();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.infoPanelOpen);
    EXPECT_EQ(h.pixel(450, 95), media::rgb(0, 0, 0));
}

// The pointer jumps from the page onto Info and presses in the same frame: the viewer shows the tool
// bar where the press happened before it handles it, so the one tap uses the button.
TEST_P(PressFrame, ATapOnAButtonOfTheHiddenToolbarUsesIt) {
    moveInFrame(h, pageX, pageY);
    ASSERT_FALSE(h.v().frame.toolbarShown);
    h.moveTo(infoX, buttonY);
    h.press();
    h.frames(1);
    h.release();
    h.frames(2);  // the mouse's press waited a frame here: its release comes a frame later
    EXPECT_TRUE(h.v().frame.infoPanelOpen);
    EXPECT_EQ(h.pixel(450, 95), media::rgb(100, 100, 100));
}

TEST_F(WelcomeFrame, WelcomePanelCounterAndLogoFadeIn) {
    moveInFrame(h, pageX, 1500);
    EXPECT_GT(brightPixels(h, 210, 540, 870, 740, 200), 100);  // panel at (210, 540)
    EXPECT_GT(brightPixels(h, 495, 1900, 585, 1920, 100), 5);  // "1/1" at the bottom
    EXPECT_LE(h.v().frame.welcomeFade, 10);
    h.frames(600);
    EXPECT_EQ(h.v().frame.welcomeFade, 255);
}
