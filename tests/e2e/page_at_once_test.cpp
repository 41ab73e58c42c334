// Any page at once, with the real tool programs: page 1 shows before page 2's converter starts, and a
// far page asked for (End, a search hit) is made next and shows long before the order reaches it.
#include <gtest/gtest.h>

#include "context/viewer.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"

namespace {

struct PageAtOnce : E2eTest {
    bool pageMade(int page) { return !findPageImage(v(), page).empty(); }
};

}  // namespace

TEST_F(PageAtOnce, PageOneShowsBeforePageTwosConverterStarts) {
    harness.open(numberedPdf(5, "five.pdf"));
    EXPECT_EQ(v().tools.textExtractorProcess, 0) << "the text waits until page 1 is on screen";
    int startsWhenShown = 0;
    ASSERT_TRUE(within(60.0, [&] {
        startsWhenShown = v().conversion.pageQueue.startCount();
        return v().view.firstPageShown;
    }));
    EXPECT_EQ(startsWhenShown, 1);
    EXPECT_TRUE(media::spriteExists(sprite::page));
    ASSERT_TRUE(convert(5));
}

TEST_F(PageAtOnce, EndPressedAtOnceShowsTheLastPageBeforePageTwoHundredExists) {
    harness.open(numberedPdf(400, "four hundred.pdf"));
    harness.pressKeys({media::scan::end});
    EXPECT_TRUE(v().view.pageNotReady) << "the notice stands until the page is there";
    bool textBeforePage = false, shared = false;
    ASSERT_TRUE(within(60.0, [&] {
        const bool shown = v().view.currentPage == 400 && !v().view.pageNotReady;
        textBeforePage = textBeforePage || (!shown && v().tools.textExtractorProcess != 0);
        shared = shared || v().tools.sharedPage == 400;
        return shown;
    }));
    EXPECT_FALSE(textBeforePage) << "the text extractor waits while the reader waits on a page";
    EXPECT_FALSE(pageMade(200));
    // Its converter shared it ahead of its file: what shows is the file's very pixels.
    EXPECT_TRUE(shared);
    EXPECT_EQ(v().tools.sharedPage, 0) << "the shared memory goes once the page is taken";
    ASSERT_TRUE(within(60.0, [&] { return pageMade(400); }));
    media::Picture file, shown;
    ASSERT_TRUE(media::saveSpritePng(sprite::page, documents + "shown.png"));
    ASSERT_TRUE(media::decodeImageFile(documents + "shown.png", shown));
    ASSERT_TRUE(media::decodeImageFile(findPageImage(v(), 400), file));
    EXPECT_TRUE(shown.width == file.width && shown.pixels == file.pixels);
    EXPECT_TRUE(v().conversion.conversionRunning);
    // Its neighbour is started next (in the frame after the one that showed it), then the order goes
    // on from where it stood and makes every page once.
    EXPECT_TRUE(within(60.0, [&] { return v().conversion.pageQueue.started(399); }));
    EXPECT_LT(v().conversion.pageQueue.startCount(), 200);
}

// The Search button works once the text is in, while pages are still converted; the hit's page is made
// next and comes in place of the notice.
TEST_F(PageAtOnce, ASearchHitOnAPageNotMadeYetShowsIt) {
    harness.open(numberedPdf(400, "searched.pdf"));
    ASSERT_TRUE(within(60.0, [&] { return !v().text.pageTexts.empty(); }));
    ASSERT_TRUE(v().conversion.conversionRunning);
    harness.clickAt(v().layout.searchButtonX + media::spriteWidth(sprite::searchButton) / 2,
                    v().layout.mediumFontSize + 5);
    ASSERT_TRUE(v().frame.searchPanelOpen);
    harness.type("word350");
    harness.frames(1);
    harness.pressKeys({media::scan::enter});
    ASSERT_TRUE(harness.runUntil([&] { return v().search.searchHits.size() == 1; }, 100000, 5, 30.0));
    ASSERT_FALSE(pageMade(350));
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader),
              f = v().layout.largeFontSize;
    harness.clickAt(v().layout.screenWidth / 2, top + 3 * f + f / 2);
    EXPECT_TRUE(v().view.pageNotReady);
    ASSERT_TRUE(within(60.0, [&] { return v().view.currentPage == 350 && !v().view.pageNotReady; }));
    EXPECT_FALSE(pageMade(300));
}

// A document named at start has page 1 converted beside the start, at the resolution of A4 and Letter
// pages: the opening takes that run as page 1's start, or for pages that call for another resolution
// stops it and makes page 1 at theirs.
struct NamedAtStart : ::testing::TestWithParam<std::pair<double, int>> {};

TEST_P(NamedAtStart, PageOneMadeAheadIsTakenOnlyAtTheDocumentsResolution) {
    const auto [heightPoints, dotsPerInch] = GetParam();
    HardTimeLimit limit{60};
    const TestPage page{.heightPoints = heightPoints, .lines = {"Named at start"}, .lineFonts = {}};
    const std::string path = makeTemporaryFolder("named-at-start") + "named.pdf";
    ASSERT_TRUE(makeTestPdf(path, {page, page}));
    Harness harness({.realClock = true, .documentAtStart = path});
    Viewer& v = harness.v();
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 1);
    EXPECT_EQ(v.conversion.converterPage, 1);
    ASSERT_TRUE(harness.runUntil([&] { return v.view.firstPageShown; }, 10000000, 5, 30.0));
    media::Picture picture;
    ASSERT_TRUE(media::decodeImageFile(findPageImage(v, 1), picture));
    EXPECT_NEAR(picture.width, 595.276 * dotsPerInch / 72, 1.0);
    ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v, 2); }, 10000000, 5, 30.0));
}

INSTANTIATE_TEST_SUITE_P(PageSizes, NamedAtStart,
                         ::testing::Values(std::pair{841.89, 120}, std::pair{500.0, 190}));
