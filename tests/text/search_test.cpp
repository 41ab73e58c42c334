// The search: matching, snippets, the worker hand-over, the hit rows and picking a row.
#include "text/search.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "context/viewer.h"
#include "media/input/input.h"
#include "media/text/text.h"
#include "tests/support/polling.h"

namespace {

std::vector<int> hitPages(const std::vector<SearchHit>& hits) {
    std::vector<int> pages;
    for (const SearchHit& hit : hits) pages.push_back(hit.page);
    return pages;
}

// Hands over count pages holding "hit" as the worker's result, and draws the hit list.
void showHits(Viewer& v, int count) {
    std::vector<PageText> pages;
    for (int page = 1; page <= count; ++page) pages.push_back({"hit", page});
    v.search.workerHits = searchPages(pages, "hit");
    v.search.searchWorkerState = SearchWorker::finished;
    renderHitList(v);
}

// Waits for the worker's finished marker without running frames.
bool waitForWorker(Viewer& v) {
    return eventually([&] { return v.search.searchWorkerState.load() == SearchWorker::finished; });
}

}  // namespace

TEST(SearchPages, OneHitPerPageAtTheFirstOccurrenceInPageOrder) {
    const std::vector<PageText> pages = {{"nothing here", 1},
                                         {"first alpha then alpha and alpha again", 2},
                                         {"", 3},
                                         {"no", 4},
                                         {"last alpha", 5}};
    const auto hits = searchPages(pages, "alpha");
    EXPECT_EQ(hitPages(hits), (std::vector<int>{2, 5}));
    EXPECT_EQ(hits[0].snippet, "alpha then alpha and alpha again");
    EXPECT_EQ(std::tuple(hits[0].pageLabel, hits[0].rowY), std::tuple("2", 0));
    EXPECT_EQ(hits[1].snippet, "alpha");
}

TEST(SearchPages, EmptyWordsAndEmptyTextsNeverMatch) {
    EXPECT_TRUE(searchPages({{"anything", 1}}, "").empty());
    EXPECT_TRUE(searchPages({{"", 1}}, "a").empty());
    EXPECT_TRUE(searchPages({}, "a").empty());
    EXPECT_TRUE(searchPages({{"abc", 1}}, "abcd").empty());
}

TEST(SearchPages, MatchesInsideWordsAndIgnoresCase) {
    EXPECT_EQ(searchPages({{"the start", 1}}, "art")[0].snippet, "art");
    EXPECT_EQ(searchPages({{"lower beta text", 7}}, "BETA")[0].snippet, "beta text");
    EXPECT_EQ(searchPages({{"UPPER BETA TEXT", 7}}, "beta")[0].snippet, "BETA TEXT");
    EXPECT_EQ(searchPages({{"мир ПРИВЕТ мир", 1}}, "привет")[0].snippet, "ПРИВЕТ мир");
    EXPECT_EQ(searchPages({{"ο δρόμος", 1}}, "ΔΡΌΜΟΣ")[0].snippet, "δρόμος");  // final sigma folds too
}

TEST(SearchPages, SnippetsAreCharactersOfTheOriginalText) {
    const std::string tail = std::string(60, 'x');
    EXPECT_EQ(searchPages({{"find " + tail, 1}}, "FIND")[0].snippet, "find " + std::string(50, 'x'));
    EXPECT_EQ(searchPages({{"abc near the end", 1}}, "end")[0].snippet, "end");
    std::string accents;
    for (int i = 0; i < 70; ++i) accents += "é";
    const std::string snippet = searchPages({{"É" + accents, 1}}, "éé")[0].snippet;
    EXPECT_EQ(media::characterCount(snippet), 55u);
    EXPECT_EQ(snippet.substr(0, 2), "É");
    // Wide characters take two columns of the hit row: 27 of them fill 54, a 28th would not fit.
    std::string wide;
    for (int i = 0; i < 40; ++i) wide += "検索";
    EXPECT_EQ(media::characterCount(searchPages({{wide, 1}}, "検")[0].snippet), 27u);
}

TEST(SearchPages, MatchesAfterCharactersWhoseFoldingChangesLength) {
    // "ß" folds to "ss", "İ" to three bytes, "ẞ" from three bytes to two.
    EXPECT_EQ(searchPages({{"Die Straße hier", 1}}, "STRASSE")[0].snippet, "Straße hier");
    EXPECT_EQ(searchPages({{"Die Straße hier", 1}}, "sse")[0].snippet, "ße hier");
    EXPECT_EQ(searchPages({{"İİİ Ankara", 1}}, "ankara")[0].snippet, "Ankara");
    EXPECT_EQ(searchPages({{"ẞẞẞ word", 1}}, "WORD")[0].snippet, "word");
}

TEST(SearchWorker, TheFinishedResultIsTakenOnceAndAnEmptyWordFindsNothing) {
    Viewer v;
    v.layout.largeFontSize = 20;
    v.text.pageTexts = {{"a word", 1}, {"two words", 2}};
    v.search.searchWord = "WORD";
    startSearch(v);
    ASSERT_TRUE(waitForWorker(v));
    EXPECT_TRUE(v.search.searchHits.empty());  // untouched until the hit list is drawn
    renderHitList(v);
    EXPECT_EQ(v.search.searchWorkerState.load(), SearchWorker::idle);
    EXPECT_EQ(hitPages(v.search.searchHits), (std::vector<int>{1, 2}));

    v.search.searchWord = "";
    startSearch(v);
    ASSERT_TRUE(waitForWorker(v));
    renderHitList(v);
    EXPECT_TRUE(v.search.searchHits.empty());
}

TEST(SearchWorker, ASecondSearchIsNotStartedWhileOneRuns) {
    Viewer v;
    v.text.pageTexts = {{"word", 1}};
    v.search.searchWorkerState = SearchWorker::running;
    v.search.searchWord = "word";
    startSearch(v);
    EXPECT_EQ(v.search.searchWordForWorker, "");  // nothing was started
    EXPECT_EQ(v.search.searchWorkerState.load(), SearchWorker::running);
}

TEST(SearchWorker, TheWorkerSearchesTheWordAsItStoodAtTheStart) {
    Viewer v;
    v.text.pageTexts = {{"alpha", 1}, {"alphabet", 2}};
    v.search.searchWord = "alphabet";
    startSearch(v);
    v.search.searchWord = "alpha";
    ASSERT_TRUE(waitForWorker(v));
    renderHitList(v);
    EXPECT_EQ(hitPages(v.search.searchHits), (std::vector<int>{2}));
}

TEST(HitRows, FortySixRowsThenTheNoticeRowForTheFortySeventhHit) {
    Viewer v;
    const int f = v.layout.largeFontSize = 20;
    showHits(v, 50);
    const auto& hits = v.search.searchHits;
    ASSERT_EQ(hits.size(), 50u);
    EXPECT_EQ(std::tuple(hits[0].rowY, hits[45].rowY, hits[46].rowY, hits[47].rowY, hits[49].rowY),
              std::tuple(3 * f, 3 * f + 45 * f, 3 * f + 46 * f, 0, 0));
}

TEST(PickSearchHit, TheRowUnderThePointerOpensItsPageAndSharedBoundariesGoToTheLowerRow) {
    Viewer v;
    const int f = v.layout.largeFontSize = 20;
    v.document.pageCount = v.document.pageCountShown = 60;
    showHits(v, 60);
    // No page files: the page a pick opens is the one the page view waits on (0: none picked).
    auto pickAt = [&](int y, bool overSearchButton = false) {
        v.view.awaitedPage = 0;
        v.frame.frameEvent = media::WindowEvent::leftUp;
        v.frame.searchPanelOpen = v.frame.pointerOverHitList = true;
        v.frame.pointerOverSearchButton = overSearchButton;
        v.frame.thumbnailMode = v.frame.toolbarShown = v.frame.pagePressed = true;
        v.search.pointerYInHitList = y;
        pickSearchHit(v);
        return v.view.awaitedPage;
    };
    EXPECT_EQ(pickAt(3 * f + 5), 1 + 0);  // first row: page 1
    EXPECT_EQ(pickAt(3 * f + f), 2);      // boundary of rows 1 and 2
    EXPECT_EQ(v.frame.frameEvent, media::WindowEvent::none);
    EXPECT_FALSE(v.frame.thumbnailMode);
    EXPECT_EQ(pickAt(3 * f + 46 * f + 3), 47);  // the notice row
    EXPECT_EQ(pickAt(3 * f + 48 * f), 0);       // below the notice: no row, nothing happens
    EXPECT_EQ(v.frame.frameEvent, media::WindowEvent::leftUp);
    EXPECT_EQ(pickAt(3 * f + 5, true), 0);  // the Search button takes the release
}
