// The page view in running frames: fitting, flips, strips, the tap glide, the zoom drag, the
// double-click, and the first page of a conversion.
#include <algorithm>
#include <cmath>

#include "tests/view/view_fixture.h"
#include "view/fitting.h"

namespace {

using viewtest::ViewerWithPages;

HarnessOptions landscapeDesktop() {
    HarnessOptions options;
    options.desktopWidth = 1920;
    options.desktopHeight = 1080;
    return options;
}

class PageView : public ViewerWithPages {};

TEST_F(PageView, PortraitPageOnPortraitScreenIsRefittedAgainstTheWidth) {
    open(3);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    EXPECT_EQ(media::spriteHeight(sprite::page), 1080);
    EXPECT_EQ(v().view.pageX, 158);
    EXPECT_EQ(v().view.pageY, 420);
    EXPECT_EQ(v().view.fitByWidth, 1);
    EXPECT_EQ(v().view.fitWidth, 763.51196f);
    EXPECT_EQ(v().view.pageFitWidth, 764.0f);
    EXPECT_EQ(v().view.pageFitHeight, 1080.0f);
    media::Colour centre = harness->pixel(540, 700);
    EXPECT_TRUE(viewtest::near(centre, viewtest::pageColour(1)))
        << media::red(centre) << "," << media::green(centre) << "," << media::blue(centre);
    EXPECT_EQ(harness->pixel(100, 960), media::rgb(0, 0, 0));
}

TEST_F(PageView, PortraitPageOnLandscapeDesktopFitsTheHeight) {
    open(2, 1240, 1754, landscapeDesktop());
    ASSERT_EQ(v().layout.screenWidth, 902);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    EXPECT_EQ(media::spriteHeight(sprite::page), 1080);
    EXPECT_EQ(v().view.pageX, 69);
    EXPECT_EQ(v().view.pageY, 0);
    EXPECT_EQ(v().view.fitByWidth, 0);
}

TEST_F(PageView, LandscapePageIsRefittedToTheScreenWidth) {
    open(2, 1754, 1240, landscapeDesktop());
    EXPECT_EQ(media::spriteWidth(sprite::page), 902);
    EXPECT_EQ(media::spriteHeight(sprite::page), 638);
    EXPECT_EQ(v().view.fitByWidth, 1);
    EXPECT_EQ(v().view.pageX, 0);
    EXPECT_EQ(v().view.pageY, 540 - 319);
}

TEST_F(PageView, StripsNeverLightOnTheFirstAndLastPage) {
    open(3);
    int right = v().layout.screenWidth - 3;
    moveTo(2, 960);
    frames(1);
    EXPECT_EQ(v().frame.backStripHovered, 0);
    moveTo(right, 960);
    frames(1);
    EXPECT_EQ(v().frame.forwardStripHovered, 1);
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_EQ(v().view.pageCounterText, "2/3");
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_EQ(v().frame.forwardStripHovered, 0);
    press();  // the unlit strip does nothing on the last page
    release();
    EXPECT_EQ(v().view.currentPage, 3);
    moveTo(2, 960);
    frames(1);
    EXPECT_EQ(v().frame.backStripHovered, 1);
    EXPECT_TRUE(viewtest::near(harness->pixel(2, 100), media::rgb(198, 198, 198)));
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 2);
}

TEST_F(PageView, FlipToAPageWithoutImageKeepsThePageAndShowsTheNotice) {
    open(10, 1240, 1754, {}, {5});
    v().view.currentPage = 4;
    showPage(v(), false);
    moveTo(v().layout.screenWidth - 3, 960);
    frames(1);
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 4);
    EXPECT_EQ(v().view.pageNotReady, 1);
    EXPECT_EQ(v().view.pageCounterText, "4/10");
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), media::rgb(100, 100, 100), 60));
    viewtest::writePageFile(folder, 5, 1240, 1754, true);
    press();
    release();
    EXPECT_EQ(v().view.currentPage, 5);
    EXPECT_EQ(v().view.pageNotReady, 0);
    EXPECT_TRUE(viewtest::near(harness->pixel(540, 960), viewtest::pageColour(5)));
}

TEST_F(PageView, BackFlipToAMissingPageReloadsTheCurrentOneAndEndsTheZoom) {
    open(4, 1240, 1754, {}, {2});
    v().view.currentPage = 3;
    showPage(v(), false);
    media::zoomSprite(sprite::page, 900, 1300);
    v().view.zoomFactor = 1.5f;
    previousPage(v());
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_EQ(v().view.pageNotReady, 1);
    EXPECT_EQ(v().view.zoomFactor, 1.0f);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(PageView, ForwardFlipToAMissingPageKeepsTheZoom) {
    open(3, 1240, 1754, {}, {2});
    media::zoomSprite(sprite::page, 900, 1300);
    v().view.zoomFactor = 1.5f;
    nextPage(v());
    EXPECT_EQ(v().view.currentPage, 1);
    EXPECT_EQ(v().view.pageNotReady, 1);
    EXPECT_EQ(v().view.zoomFactor, 1.5f);
    EXPECT_EQ(media::spriteWidth(sprite::page), 900);
}

TEST_F(PageView, PressOf159MillisecondsIsATapAnd160IsNot) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(160);
    EXPECT_EQ(v().frame.longPress, 1);
    EXPECT_EQ(v().view.panAnimating, 0);
    tap(159);
    EXPECT_EQ(v().frame.longPress, 0);
    EXPECT_EQ(v().view.panAnimating, 1);
    EXPECT_EQ(v().view.panShiftX, 540 - 700);
    EXPECT_EQ(v().view.panShiftY, 960 - 1200);
}

TEST_F(PageView, TapGlidesTheTappedPointTowardsTheCentreAndStops) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(50);
    ASSERT_EQ(v().view.panAnimating, 1);
    frames(60, 5);
    EXPECT_EQ(v().view.panAnimating, 0);
    // The glide ends in the first frame past 255 ms, about 98 % of the way.
    float covered = 1.0f - std::pow(2.0f, -10.0f * 260.0f / 450.0f);
    EXPECT_NEAR(v().view.pageX, 158 - 160 * covered, 1.0);
    EXPECT_NEAR(v().view.pageY, 420 - 240 * covered, 1.0);
    EXPECT_EQ(v().view.panStartX, v().view.pageX);
    EXPECT_EQ(v().view.panStartY, v().view.pageY);
}

TEST_F(PageView, TapAtTheCentreRunsTheGlideWithoutMoving) {
    open(2);
    moveTo(540, 960);
    frames(1);
    tap(50);
    ASSERT_EQ(v().view.panAnimating, 1);
    frames(30, 5);
    EXPECT_EQ(v().view.panAnimating, 1);
    EXPECT_EQ(v().view.pageX, 158);
    frames(30, 5);
    EXPECT_EQ(v().view.panAnimating, 0);
    EXPECT_EQ(v().view.pageX, 158);
    EXPECT_EQ(v().view.pageY, 420);
}

TEST_F(PageView, PressDuringAGlideStopsItAndTheNextTapGlidesFromItsStart) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    tap(50);
    frames(10, 5);
    moveTo(600, 1000);
    frames(1);
    ASSERT_EQ(v().view.panAnimating, 1);
    int stoppedX = v().view.pageX;
    ASSERT_NE(stoppedX, 158);
    press();
    EXPECT_EQ(v().view.panAnimating, 0);
    EXPECT_EQ(v().view.pageX, stoppedX);
    EXPECT_EQ(v().view.panStartX, 158);
    EXPECT_EQ(v().view.panStartY, 420);
    harness->advance(40);
    release();
    ASSERT_EQ(v().view.panAnimating, 1);
    frames(1, 1);
    // The new glide starts at the old start position, shifted by the new press point.
    EXPECT_LE(std::abs(v().view.pageX - 158), 2);
    frames(60, 5);
    EXPECT_NEAR(v().view.pageX, 158 + (540 - 600) * 0.98, 2.0);
    EXPECT_NEAR(v().view.pageY, 420 + (960 - 1000) * 0.98, 2.0);
}

TEST_F(PageView, DoubleClickStopsTheGlideAndRestoresTheFit) {
    open(2);
    moveTo(700, 1200);
    frames(1);
    harness->press();
    frames(1);
    harness->advance(59);
    harness->release();
    frames(1, 1);
    ASSERT_EQ(v().view.panAnimating, 1);  // the first press and release are a tap
    frames(10, 10);
    harness->doubleClick();
    frames(1, 10);
    EXPECT_EQ(v().view.panAnimating, 0);
    EXPECT_EQ(v().view.pageX, 158);
    EXPECT_EQ(v().view.pageY, 420);
    EXPECT_EQ(v().view.zoomOffsetX, 0);
    harness->release();
    frames(1, 10);
    EXPECT_EQ(v().frame.longPress, 1);  // timed from the first press
    EXPECT_EQ(v().view.panAnimating, 0);
}

TEST_F(PageView, SameZoomMotionInTwoFramesZoomsOnce) {
    open(2, 1240, 1754, landscapeDesktop());
    moveTo(380, 500);
    frames(1);
    press();
    moveTo(400, 500);
    frames(1);
    EXPECT_EQ(v().frame.zoomDragging, 1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 917);
    EXPECT_EQ(media::spriteHeight(sprite::page), 1296);
    EXPECT_EQ(v().view.zoomOffsetX, -66);   // -(331 x 0.2)
    EXPECT_EQ(v().view.zoomOffsetY, -100);  // -(500 x 0.2)
    moveTo(420, 500);
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 917);
    EXPECT_EQ(v().view.zoomOffsetX, -66);
    moveTo(430, 500);
    frames(1);
    EXPECT_GT(media::spriteWidth(sprite::page), 917);
    release();
    EXPECT_GT(media::spriteWidth(sprite::page), 917);  // releasing keeps the zoom
    EXPECT_EQ(v().frame.zoomDragging, 0);
}

TEST_F(PageView, ShrinkingBelowTheFitRestartsTheFactor) {
    open(2, 1240, 1754, landscapeDesktop());
    moveTo(400, 500);
    frames(1);
    press();
    moveTo(380, 500);  // moving left first: the factor starts again at 1 before the step
    frames(1);
    EXPECT_NEAR(v().view.zoomFactor, 0.8f, 1e-6f);
    moveTo(370, 500);
    frames(1);
    EXPECT_NEAR(v().view.zoomFactor, 0.9f, 1e-6f);
    release();
    harness->doubleClick();
    frames(1);
    EXPECT_EQ(v().view.zoomFactor, 1.0f);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(PageView, ZoomOnThePortraitScreenNeedsTheWidthToExceedTheScreen) {
    open(2);
    moveTo(500, 1000);
    frames(1);
    press();
    moveTo(550, 1000);  // factor 1.5, but 764 is narrower than the screen: not applied
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
    moveTo(580, 1000);  // 764 x 1.5 is wider: applied with the accumulated factor
    frames(1);
    EXPECT_EQ(media::spriteWidth(sprite::page), nearest(764 * v().view.zoomFactor));
    EXPECT_GT(media::spriteWidth(sprite::page), 1080);
}

class FirstPage : public ViewerWithPages {};

TEST_F(FirstPage, ShownAtTheLaunchAfterTheOneThatProducedIt) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-first");
    viewer.document.documentCacheFolder = cache;
    viewer.conversion.firstPageShown = 0;
    media::freeSprite(sprite::page);
    viewer.conversion.nextPageToConvert = 2;  // the converter for page 1 was launched
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);
    EXPECT_EQ(viewer.conversion.lastSeenConvertPage, 2);
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    firstPageCheck(viewer);  // no new launch: not looked at
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);
    viewer.conversion.nextPageToConvert = 3;
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(FirstPage, UnreadableFirstPageIsTriedAgainAtTheNextLaunch) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-first");
    viewer.document.documentCacheFolder = cache;
    viewer.conversion.firstPageShown = 0;
    media::writeWholeFile(cache + "page-000001.png", "not a picture");
    viewer.conversion.nextPageToConvert = 2;
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    viewer.conversion.nextPageToConvert = 3;
    firstPageCheck(viewer);
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
}

TEST_F(FirstPage, SinglePageDocumentTurnsItsPngIntoAJpegAndShowsIt) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-single");
    viewer.document.documentCacheFolder = cache;
    viewer.document.pageCount = 1;
    viewer.conversion.firstPageShown = 0;
    media::freeSprite(sprite::page);
    frames(3);
    EXPECT_FALSE(media::spriteExists(sprite::page));
    viewtest::writePageFile(cache, 1, 1240, 1754, false);
    frames(1);
    EXPECT_FALSE(media::filePresent(cache + "page-000001.png"));
    EXPECT_TRUE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_EQ(viewer.conversion.firstPageShown, 1);
    EXPECT_EQ(viewer.document.pageCount, 0);
    EXPECT_EQ(media::spriteWidth(sprite::page), 764);
}

TEST_F(FirstPage, SinglePagePngIsKeptWhileItCannotBeRead) {
    open(0);
    Viewer& viewer = v();
    std::string cache = makeTemporaryFolder("view-single");
    viewer.document.documentCacheFolder = cache;
    viewer.document.pageCount = 1;
    viewer.conversion.firstPageShown = 0;
    media::writeWholeFile(cache + "page-000001.png", "half a picture");
    singlePageFinish(viewer);
    EXPECT_TRUE(media::filePresent(cache + "page-000001.png"));
    EXPECT_FALSE(media::filePresent(cache + "page-000001.jpg"));
    EXPECT_EQ(viewer.conversion.firstPageShown, 0);
}

}  // namespace
