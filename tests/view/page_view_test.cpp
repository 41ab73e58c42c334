// The page view in running frames: fitting, flips and strips, the tap glide, the double-click, the
// zoom drag, and the first page of a conversion; the gestures with the mouse and with touch.
#include <algorithm>
#include <cmath>

#include "context/fitting.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/view/view_fixture.h"

namespace {

const HarnessOptions landscapeDesktop{.desktopWidth = 1920, .desktopHeight = 1080};

std::pair<int, int> pageSize() {
    return {media::spriteWidth(sprite::page), media::spriteHeight(sprite::page)};
}

void expectPage(Viewer& v, int width, int height, int x, int y, bool fitByWidth) {
    EXPECT_EQ(pageSize(), std::pair(width, height));
    EXPECT_EQ(std::tuple(v.view.pageX, v.view.pageY, v.view.fitByWidth), std::tuple(x, y, fitByWidth));
}

// The fitted A4 page of the 1080 x 1920 screen, centred and unzoomed.
void expectPortraitFit(Viewer& v) {
    expectPage(v, 764, 1080, 158, 420, 1);
    EXPECT_EQ(std::tuple(v.view.zoomFactor, v.view.zoomOffsetX, v.view.zoomOffsetY), std::tuple(1.0f, 0, 0));
}

class PageView : public viewtest::ViewerWithPages {
protected:
    // A viewer without pages awaiting a document's first page in the returned cache folder.
    std::string openAwaitingFirstPage(const std::string& name) {
        open(0);
        const std::string cache = makeTemporaryFolder(name);
        v().document.documentCacheFolder = cache;
        v().view.firstPageShown = false;
        return cache;
    }
};

class PageGestures : public viewtest::ByPointer<viewtest::ViewerWithPages> {
protected:
    void flipAt(int x) { harness->clickAt(x, 960); }
    // A press and a release 20 ms apart, the press counted as the clicks-th of a burst.
    void quickClick(int clicks) {
        harness->press(clicks);
        frames(1, 20);
        harness->release();
        frames(1, 20);
    }
    // Pressed at the first x, then moved along y to each later x in a frame of its own.
    void pressAndMove(int y, std::initializer_list<int> xs) {
        moveInFrame(*xs.begin(), y);
        press();
        for (const int* x = xs.begin() + 1; x != xs.end(); ++x) moveInFrame(*x, y);
    }
};

INSTANTIATE_TEST_SUITE_P(Pointer, PageGestures, pointerStyles, pointerStyleName);

TEST_F(PageView, PagesAreFittedIntoTheScreenAndCentred) {
    open(2);
    expectPage(v(), 764, 1080, 158, 420, 1);  // the height fit is too wide: refitted against the width
    EXPECT_EQ(std::pair(v().view.fitWidth, v().view.pageFitWidth), std::pair(763.51196f, 764.0f));
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(1)));
    EXPECT_EQ(harness->pixel(100, 960), media::rgb(0, 0, 0));
    open(2, 1240, 1754, landscapeDesktop);
    expectPage(v(), 764, 1080, 69, 0, 0);
    open(2, 1754, 1240, landscapeDesktop);
    expectPage(v(), 902, 638, 0, 221, 1);
    // The size a prefetched page is scaled to ahead is the one fitPage gives it.
    for (auto [width, height] : {std::pair{620, 877}, {1240, 1754}, {1754, 1240}, {3000, 200}, {90, 2000}}) {
        ASSERT_TRUE(media::createSprite(sprite::page, width, height));
        fitPage(v());
        const media::DisplaySize predicted = fittedPageSize(v().layout, width, height);
        EXPECT_EQ(std::pair(predicted.width, predicted.height), pageSize()) << width << "x" << height;
    }
}

TEST_P(PageGestures, StripsTurnPagesButNeverLightAtTheEndsAndMissingPagesRaiseTheNotice) {
    open(4, 1240, 1754, {}, {3});
    int right = v().layout.screenWidth - 3;
    flipAt(2);
    EXPECT_FALSE(v().frame.backStripHovered);
    EXPECT_EQ(v().view.currentPage, 1);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_EQ(v().view.pageCounterText, "2/4");
    flipAt(right);  // page 3 has no image yet
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_TRUE(v().view.pageNotReady);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), media::rgb(100, 100, 100), 60));
    viewtest::writePageFile(folder, 3, 1240, 1754, true);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_FALSE(v().view.pageNotReady);
    flipAt(right);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 4);
    EXPECT_FALSE(v().frame.forwardStripHovered);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(4)));
    flipAt(2);
    EXPECT_TRUE(viewtest::near(harness->pixel(2, 100), media::rgb(198, 198, 198)));
    EXPECT_EQ(v().view.currentPage, 3);
}

TEST_P(PageGestures, PressOf159MillisecondsIsATapThatGlidesAnd160IsNot) {
    open(2);
    moveInFrame(700, 1200);
    tap(160);
    EXPECT_FALSE(v().view.panAnimating);
    tap(159);
    ASSERT_TRUE(v().view.panAnimating);
    EXPECT_EQ(std::pair(v().view.panShiftX, v().view.panShiftY), std::pair(540 - 700, 960 - 1200));
    frames(60, 5);
    EXPECT_FALSE(v().view.panAnimating);
    float covered = 1.0f - std::pow(2.0f, -10.0f * 260.0f / 450.0f);  // ends in the first frame past 255 ms
    EXPECT_NEAR(v().view.pageX, 158 - 160 * covered, 1.0);
    EXPECT_NEAR(v().view.pageY, 420 - 240 * covered, 1.0);
    EXPECT_EQ(v().view.panStartX, v().view.pageX);
}

TEST_P(PageGestures, PressDuringAGlideStopsItAndTheNextTapGlidesFromItsStart) {
    open(2);
    moveInFrame(700, 1200);
    tap(50);
    frames(10, 5);
    moveInFrame(600, 1000);
    int stoppedX = v().view.pageX;
    ASSERT_NE(stoppedX, 158);
    press();
    EXPECT_FALSE(v().view.panAnimating);
    EXPECT_EQ(std::pair(v().view.pageX, v().view.panStartX), std::pair(stoppedX, 158));
    harness->advance(40);
    release();
    ASSERT_TRUE(v().view.panAnimating);
    frames(1, 1);
    EXPECT_LE(std::abs(v().view.pageX - 158), 2);  // from the start, not from where it stopped
    frames(60, 5);
    EXPECT_NEAR(v().view.pageX, 158 + (540 - 600) * 0.98, 2.0);
    EXPECT_NEAR(v().view.pageY, 420 + (960 - 1000) * 0.98, 2.0);
}

TEST_P(PageGestures, DoubleClickStopsTheGlideAndRestoresTheFit) {
    open(2);
    moveInFrame(700, 1200);
    tap(60);
    ASSERT_TRUE(v().view.panAnimating);  // the first press and release are a tap
    frames(10, 10);
    harness->doubleClick();
    frames(1, 10);
    EXPECT_FALSE(v().view.panAnimating);
    EXPECT_EQ(std::pair(v().view.pageX, v().view.pageY), std::pair(158, 420));
    harness->release();
    frames(1, 10);
    EXPECT_TRUE(v().frame.longPress);  // timed from the first press
    EXPECT_FALSE(v().view.panAnimating);
}

TEST_P(PageGestures, SameZoomMotionInTwoFramesZoomsOnceAboutThePointer) {
    open(2, 1240, 1754, landscapeDesktop);
    pressAndMove(500, {380, 400});
    EXPECT_EQ(pageSize(), std::pair(917, 1296));
    // -(331 x 0.2), -(500 x 0.2)
    EXPECT_EQ(std::pair(v().view.zoomOffsetX, v().view.zoomOffsetY), std::pair(-66, -100));
    moveInFrame(420, 500);
    EXPECT_EQ(media::spriteWidth(sprite::page), 917);
    moveInFrame(430, 500);
    EXPECT_GT(media::spriteWidth(sprite::page), 917);
    release();
    EXPECT_GT(media::spriteWidth(sprite::page), 917);  // releasing keeps the zoom
}

TEST_P(PageGestures, PortraitPageOnPortraitScreenZoomsWithOrdinaryMotionButNeverBelowItsFit) {
    open(2);                             // fitted by width at 764 x 1080, narrower than the 1080-pixel screen
    pressAndMove(900, {540, 520, 490});  // shrinking from the fit: the size stays
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    moveInFrame(510, 900);  // 20 and then 30 pixels a frame to the right enlarge it
    moveInFrame(540, 900);
    EXPECT_GT(media::spriteWidth(sprite::page), 764);
    EXPECT_GT(media::spriteHeight(sprite::page), 1080);
    release();
}

// A finger lands on the lit strip from the middle of the page, then lands further right each time:
// none of those jumps is a drag, so every tap turns a page and none zooms or moves the page.
TEST_P(PageGestures, TapsLandingOnTheLitRightStripTurnPagesAndNeverZoom) {
    open(5);
    const int right = v().layout.screenWidth;
    moveInFrame(540, 960);
    int page = 1;
    for (int x : {right - 16, right - 9, right - 4, right - 1}) {
        flipAt(x);
        frames(60, 5);  // no quick second press
        EXPECT_EQ(v().view.currentPage, ++page) << "x " << x;
        expectPortraitFit(v());
        EXPECT_FALSE(v().frame.zoomDragging);
    }
}

// The strip's flag keeps its value behind the tool bar; the press on Info is still the tool bar's.
TEST_P(PageGestures, ATapOnAToolbarButtonRightAfterAStripTapTurnsNoPage) {
    open(4);
    flipAt(v().layout.screenWidth - 3);
    ASSERT_EQ(v().view.currentPage, 2);
    frames(60, 5);
    harness->clickAt(149, 27);  // Info
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_TRUE(v().frame.infoPanelOpen);
}

// SDL counts the presses of a burst 1, 2, 3, 4: every second one arrives as a double-click,
// which on a lit strip still turns the page. Away from the strips it restores the fit, and its release
// 60 ms after the pair's first press, as quick as a double-tap, is no tap: the page stays centred.
TEST_P(PageGestures, QuickTapsOnALitStripTurnAPageEachAndADoubleClickOnThePageRestoresTheFit) {
    open(6);
    moveInFrame(v().layout.screenWidth - 3, 960);
    for (int clicks = 1; clicks <= 4; ++clicks) {  // 160 ms in all
        quickClick(clicks);
        EXPECT_EQ(v().view.currentPage, 1 + clicks) << "press " << clicks;
    }
    pressAndMove(900, {500, 520, 560});  // the first step from the fit is not shown yet
    release();
    ASSERT_GT(media::spriteWidth(sprite::page), 764);
    frames(60, 5);
    quickClick(1);  // a tap that starts a glide, then the second press of the pair
    harness->press(2);
    frames(1, 20);
    expectPortraitFit(v());
    EXPECT_FALSE(v().view.panAnimating);
    harness->release();
    frames(60, 5);
    expectPortraitFit(v());
    quickClick(1);  // the next quick press and release is a tap again
    EXPECT_TRUE(v().view.panAnimating);
    EXPECT_EQ(v().view.currentPage, 5);
}

// The drag runs from the left edge to the right one in growing steps: its factor would pass 200,
// far beyond what the display layer draws, so the page stops at that size and its offsets with it.
TEST_P(PageGestures, ALongZoomDragStopsAtTheLargestDisplaySizeAndADoubleClickRestoresTheFit) {
    open(2);
    pressAndMove(900, {10});
    auto largerSide = [] {
        return std::max(media::spriteWidth(sprite::page), media::spriteHeight(sprite::page));
    };
    for (int x : {210, 411, 613, 816, 1020}) {
        moveInFrame(x, 900);
        EXPECT_LT(largerSide(), media::largestDisplaySide) << "x " << x;
    }
    const int side = largerSide(), offsetX = v().view.zoomOffsetX, offsetY = v().view.zoomOffsetY;
    EXPECT_GE(side, media::largestDisplaySide - 2);
    moveInFrame(1070, 900);
    EXPECT_EQ(largerSide(), side);
    EXPECT_EQ(std::pair(v().view.zoomOffsetX, v().view.zoomOffsetY), std::pair(offsetX, offsetY));
    release();
    harness->doubleClick();
    frames(1);
    expectPortraitFit(v());
}

// A leftward drag of 600 pixels in one frame would make the step 1 - 6 = -5: a negative page.
TEST_P(PageGestures, AFastLeftwardDragNeverMakesTheZoomStepZeroOrNegative) {
    open(2, 1240, 1754, landscapeDesktop);
    pressAndMove(500, {100, 300});
    ASSERT_GT(v().view.zoomFactor, 2.0f);
    moveInFrame(-300, 500);
    EXPECT_GT(v().view.zoomStep, 0.0f);
    EXPECT_GT(v().view.zoomFactor, 0.0f);
    EXPECT_GT(media::spriteWidth(sprite::page), 0);
    EXPECT_GT(media::spriteHeight(sprite::page), 0);
    release();
}

// A finger lands again while the viewer still holds the page pressed, its lift lost on the way: the
// jump to the second contact is no drag, whatever it does to the pointer.
TEST_F(PageView, AFingerLandingElsewhereAfterALostLiftDoesNotZoom) {
    open(2, 1240, 1754, landscapeDesktop);
    media::feedMouseButtonAt(150, 500, true, 1);
    frames(3);
    ASSERT_TRUE(v().frame.pagePressed);
    media::feedMouseButtonAt(650, 500, true, 1);
    frames(3);
    expectPage(v(), 764, 1080, 69, 0, 0);
    EXPECT_EQ(v().view.zoomOffsetX, 0);
}

TEST_F(PageView, AOnePageDocumentWhosePageCameBeforeItsConverterEndStillBecomesAJpeg) {
    const std::string cache = openAwaitingFirstPage("view-quick");
    v().document.pageCount = 1;
    viewtest::writePageFile(cache, 1, 1240, 1754, false);  // written before its converter's end is seen
    v().view.awaitedPage = 1;
    v().conversion.convertersEnded += 1;
    EXPECT_FALSE(showAwaitedPage(v()));
    EXPECT_FALSE(v().view.firstPageShown);
    singlePageFinish(v());
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_FALSE(media::filePresent(cache + "page-000001.png"));
}

TEST_F(PageView, FirstPageIsShownOnceItLoadsAndASinglePageBecomesAJpeg) {
    const std::string cache = openAwaitingFirstPage("view-first");
    media::writeWholeFile(cache + "page-000001.png", "half a picture");
    v().view.awaitedPage = 1;
    v().conversion.convertersEnded += 1;
    EXPECT_FALSE(showAwaitedPage(v()));
    EXPECT_FALSE(v().view.firstPageShown);  // unreadable: tried again at the next converter's end
    v().document.pageCount = 1;
    singlePageFinish(v());
    EXPECT_TRUE(media::filePresent(cache + "page-000001.png"));  // kept until a JPEG is written
    EXPECT_FALSE(media::filePresent(cache + "page-000001.jpg"));
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    frames(1);
    EXPECT_FALSE(media::filePresent(cache + "page-000001.png"));
    EXPECT_TRUE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_EQ(v().document.pageCount, 0);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(PageView, ASinglePageWhoseJpegCannotBeWrittenShowsItsPngOnce) {
    const std::string cache = openAwaitingFirstPage("view-no-jpeg");
    v().document.pageCount = 1;
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    media::createFolder(cache + "page-000001.jpg", false);  // nothing can be written under that name
    singlePageFinish(v());
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_EQ(v().document.pageCount, 0);  // no retry in every later frame
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.png"));
}

}  // namespace
