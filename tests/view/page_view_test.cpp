// The page view in running frames: fitting, flips and strips, the tap glide, the double-click, the
// zoom drag, and the first page of a conversion.
#include <cmath>

#include "context/fitting.h"
#include "tests/view/view_fixture.h"

namespace {

HarnessOptions landscapeDesktop() {
    HarnessOptions options;
    options.desktopWidth = 1920;
    options.desktopHeight = 1080;
    return options;
}

class PageView : public viewtest::ViewerWithPages {
protected:
    void expectPage(int width, int height, int x, int y, int fitByWidth) {
        EXPECT_EQ(media::spriteWidth(sprite::page), width);
        EXPECT_EQ(media::spriteHeight(sprite::page), height);
        EXPECT_EQ(v().view.pageX, x);
        EXPECT_EQ(v().view.pageY, y);
        EXPECT_EQ(v().view.fitByWidth, fitByWidth);
    }
    void flipAt(int x) {
        moveTo(x, 960);
        frames(1);
        press();
        release();
    }
};

TEST_F(PageView, PagesAreFittedIntoTheScreenAndCentred) {
    open(2);
    expectPage(764, 1080, 158, 420, 1);  // the height fit is too wide: refitted against the width
    EXPECT_EQ(v().view.fitWidth, 763.51196f);
    EXPECT_EQ(v().view.pageFitWidth, 764.0f);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(1)));
    EXPECT_EQ(harness->pixel(100, 960), media::rgb(0, 0, 0));
    open(2, 1240, 1754, landscapeDesktop());
    expectPage(764, 1080, 69, 0, 0);
    open(2, 1754, 1240, landscapeDesktop());
    expectPage(902, 638, 0, 221, 1);
}

TEST_F(PageView, StripsTurnPagesButNeverLightAtTheEndsAndMissingPagesRaiseTheNotice) {
    open(4, 1240, 1754, {}, {3});
    int right = v().layout.screenWidth - 3;
    flipAt(2);
    EXPECT_EQ(v().frame.backStripHovered, 0);
    EXPECT_EQ(v().view.currentPage, 1);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_EQ(v().view.pageCounterText, "2/4");
    flipAt(right);  // page 3 has no image yet
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_EQ(v().view.pageNotReady, 1);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), media::rgb(100, 100, 100), 60));
    viewtest::writePageFile(folder, 3, 1240, 1754, true);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_EQ(v().view.pageNotReady, 0);
    flipAt(right);
    flipAt(right);
    EXPECT_EQ(v().view.currentPage, 4);
    EXPECT_EQ(v().frame.forwardStripHovered, 0);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 700), viewtest::pageColour(4)));
    flipAt(2);
    EXPECT_TRUE(viewtest::near(harness->pixel(2, 100), media::rgb(198, 198, 198)));
    EXPECT_EQ(v().view.currentPage, 3);
}

TEST_F(PageView, PressOf159MillisecondsIsATapThatGlidesAnd160IsNot) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(160);
    EXPECT_EQ(v().view.panAnimating, 0);
    tap(159);
    ASSERT_EQ(v().view.panAnimating, 1);
    EXPECT_EQ(v().view.panShiftX, 540 - 700);
    EXPECT_EQ(v().view.panShiftY, 960 - 1200);
    frames(60, 5);
    EXPECT_EQ(v().view.panAnimating, 0);
    float covered = 1.0f - std::pow(2.0f, -10.0f * 260.0f / 450.0f);  // ends in the first frame past 255 ms
    EXPECT_NEAR(v().view.pageX, 158 - 160 * covered, 1.0);
    EXPECT_NEAR(v().view.pageY, 420 - 240 * covered, 1.0);
    EXPECT_EQ(v().view.panStartX, v().view.pageX);
}

TEST_F(PageView, PressDuringAGlideStopsItAndTheNextTapGlidesFromItsStart) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(50);
    frames(10, 5);
    moveTo(600, 1000);
    frames(1);
    int stoppedX = v().view.pageX;
    ASSERT_NE(stoppedX, 158);
    press();
    EXPECT_EQ(v().view.panAnimating, 0);
    EXPECT_EQ(v().view.pageX, stoppedX);
    EXPECT_EQ(v().view.panStartX, 158);
    harness->advance(40);
    release();
    ASSERT_EQ(v().view.panAnimating, 1);
    frames(1, 1);
    EXPECT_LE(std::abs(v().view.pageX - 158), 2);  // from the start, not from where it stopped
    frames(60, 5);
    EXPECT_NEAR(v().view.pageX, 158 + (540 - 600) * 0.98, 2.0);
    EXPECT_NEAR(v().view.pageY, 420 + (960 - 1000) * 0.98, 2.0);
}

TEST_F(PageView, DoubleClickStopsTheGlideAndRestoresTheFit) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(60);
    ASSERT_EQ(v().view.panAnimating, 1);  // the first press and release are a tap
    frames(10, 10);
    harness->doubleClick();
    frames(1, 10);
    EXPECT_EQ(v().view.panAnimating, 0);
    EXPECT_EQ(v().view.pageX, 158);
    EXPECT_EQ(v().view.pageY, 420);
    harness->release();
    frames(1, 10);
    EXPECT_EQ(v().frame.longPress, 1);  // timed from the first press
    EXPECT_EQ(v().view.panAnimating, 0);
}

TEST_F(PageView, SameZoomMotionInTwoFramesZoomsOnceAboutThePointer) {
    open(2, 1240, 1754, landscapeDesktop());
    moveTo(380, 500);
    frames(1);
    press();
    moveTo(400, 500);
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 917);
    EXPECT_EQ(media::spriteHeight(sprite::page), 1296);
    EXPECT_EQ(v().view.zoomOffsetX, -66);   // -(331 x 0.2)
    EXPECT_EQ(v().view.zoomOffsetY, -100);  // -(500 x 0.2)
    moveTo(420, 500);
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 917);
    moveTo(430, 500);
    frames(1);
    EXPECT_GT(media::spriteWidth(sprite::page), 917);
    release();
    EXPECT_GT(media::spriteWidth(sprite::page), 917);  // releasing keeps the zoom
}

TEST_F(PageView, PortraitPageOnPortraitScreenZoomsWithOrdinaryMotionButNeverBelowItsFit) {
    open(2);  // fitted by width at 764 x 1080, narrower than the 1080-pixel screen
    moveTo(540, 900);
    frames(1);
    press();
    moveTo(520, 900);  // shrinking from the fit: the size stays
    frames(1);
    moveTo(490, 900);
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    moveTo(510, 900);  // 20 and then 30 pixels a frame to the right enlarge it
    frames(1);
    moveTo(540, 900);
    frames(1);
    EXPECT_GT(media::spriteWidth(sprite::page), 764);
    EXPECT_GT(media::spriteHeight(sprite::page), 1080);
    release();
}

TEST_F(PageView, AOnePageDocumentConvertedWithinItsLaunchFrameStillBecomesAJpeg) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-quick");
    viewer.document.documentCacheFolder = cache;
    viewer.conversion.firstPageShown = 0;
    viewer.document.pageCount = 1;
    viewtest::writePageFile(cache, 1, 1240, 1754, false);  // already written at the launch check
    viewer.conversion.nextPageToConvert = 2;
    viewer.conversion.lastSeenConvertPage = 0;
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);
    singlePageFinish(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_FALSE(media::filePresent(cache + "page-000001.png"));
}

TEST_F(PageView, FirstPageIsShownOnceItLoadsAndASinglePageBecomesAJpeg) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-first");
    viewer.document.documentCacheFolder = cache;
    viewer.conversion.firstPageShown = 0;
    media::writeWholeFile(cache + "page-000001.png", "half a picture");
    viewer.conversion.nextPageToConvert = 2;
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);  // unreadable: tried again at the next launch
    viewer.document.pageCount = 1;
    singlePageFinish(viewer);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.png"));  // kept until a JPEG is written
    EXPECT_FALSE(media::filePresent(cache + "page-000001.jpg"));
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    frames(1);
    EXPECT_FALSE(media::filePresent(cache + "page-000001.png"));
    EXPECT_TRUE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
    EXPECT_EQ(viewer.document.pageCount, 0);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(PageView, ASinglePageWhoseJpegCannotBeWrittenShowsItsPngOnce) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-no-jpeg");
    viewer.document.documentCacheFolder = cache;
    viewer.conversion.firstPageShown = 0;
    viewer.document.pageCount = 1;
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    media::createFolder(cache + "page-000001.jpg", false);  // nothing can be written under that name
    singlePageFinish(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
    EXPECT_EQ(viewer.document.pageCount, 0);  // no retry in every later frame
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.png"));
}

}  // namespace
