// Any page at once, with the real tool programs: page 1 shows before page 2's converter starts, and a
// far page asked for (End, a search hit) is made next and shows long before the order reaches it.
#include <gtest/gtest.h>

#include "context/viewer.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"

namespace {

struct PageAtOnce : E2eTest {
    bool pageMade(int page) { return !findPageImage(v(), page).empty(); }
    bool within60s(const std::function<bool()>& done) { return harness.runUntil(done, 10000000, 5, 60.0); }
    bool waitForPage(int page) {
        return within60s([&] { return v().view.currentPage == page && !v().view.pageNotReady; });
    }
};

}  // namespace

TEST_F(PageAtOnce, PageOneShowsBeforePageTwosConverterStarts) {
    harness.open(numberedPdf(5, "five.pdf"));
    int startsWhenShown = 0;
    ASSERT_TRUE(within60s([&] {
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
    ASSERT_TRUE(waitForPage(400));
    EXPECT_FALSE(pageMade(200));
    EXPECT_TRUE(v().conversion.conversionRunning);
    // Its neighbour is started next (in the frame after the one that showed it), then the order goes
    // on from where it stood and makes every page once.
    EXPECT_TRUE(within60s([&] { return v().conversion.pageQueue.started(399); }));
    EXPECT_LT(v().conversion.pageQueue.startCount(), 200);
}

// The Search button works once the text is in, while pages are still converted; the hit's page is made
// next and comes in place of the notice.
TEST_F(PageAtOnce, ASearchHitOnAPageNotMadeYetShowsIt) {
    harness.open(numberedPdf(400, "searched.pdf"));
    ASSERT_TRUE(within60s([&] { return !v().text.pageTexts.empty(); }));
    ASSERT_TRUE(v().conversion.conversionRunning);
    harness.clickAt(v().layout.searchButtonX + media::spriteWidth(sprite::searchButton) / 2,
                    v().layout.mediumFontSize + 5);
    ASSERT_TRUE(v().frame.searchPanelOpen);
    harness.type("word350");
    harness.frames(1);
    harness.pressKeys({media::scan::enter});
    ASSERT_TRUE(harness.runUntil([&] { return v().search.searchHits.size() == 1; }, 100000, 5, 30.0));
    ASSERT_FALSE(pageMade(350));
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
    const int f = v().layout.largeFontSize;
    harness.clickAt(v().layout.screenWidth / 2, top + 3 * f + f / 2);
    EXPECT_TRUE(v().view.pageNotReady);
    ASSERT_TRUE(waitForPage(350));
    EXPECT_FALSE(pageMade(300));
}
