// End to end with the real tool programs: extracted text, the text view after a page turn, and search
// results checked against an independent count over TextualData.txt.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "context/viewer.h"
#include "media/media.h"
#include "media/unicode.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "text/text_view.h"

namespace {

HarnessOptions realClock() {
    HarnessOptions options;
    options.realClock = true;
    return options;
}

struct RealDocument {
    Harness h{realClock()};
    Viewer& v = h.v();

    bool openAndWaitForText(const std::string& pdf) {
        if (!h.started()) return false;
        h.open(pdf);
        return h.runUntil([&] { return v.document.textExtractionPending == 0 && !v.text.pageTexts.empty(); },
                          100000, 5, 120.0);
    }

    std::set<int> searchedPages(const std::string& word) {
        v.frame.searchPanelOpen = v.frame.searchInputActive = 1;
        v.search.searchWord.clear();
        h.type(word);
        h.frames(1);
        h.keyDown(media::scan::enter);
        h.frames(1);
        h.keyUp(media::scan::enter);
        h.frames(2);
        h.runUntil([&] { return v.search.searchWorkerState.load() == 0; }, 100000, 5, 60.0);
        std::set<int> pages;
        for (const SearchHit& hit : v.search.searchHits) pages.insert(hit.page);
        return pages;
    }

    // The pages holding the word, counted straight from the file: split at form feeds, folded whole.
    std::set<int> pagesInFile(const std::string& word) {
        std::string file;
        media::readWholeFile(v.document.documentCacheFolder + "TextualData.txt", file);
        const std::string folded = media::caseFold(word);
        std::set<int> pages;
        std::size_t start = 0;
        for (int page = 1; start < file.size(); ++page) {
            std::size_t end = file.find('\f', start);
            if (end == std::string::npos) end = file.size();
            if (media::caseFold(file.substr(start, end - start)).find(folded) != std::string::npos) {
                pages.insert(page);
            }
            start = end + 1;
        }
        return pages;
    }

    std::uint64_t spriteSignature(int sprite) {
        std::uint64_t sum = 0;
        if (!media::beginDrawing(sprite)) return 0;
        const int width = media::spriteOwnWidth(sprite), height = media::spriteOwnHeight(sprite);
        for (int y = 0; y < height; y += 2) {
            for (int x = 0; x < width; x += 2) sum = sum * 31 + media::pixelColour(x, y);
        }
        media::endDrawing();
        return sum;
    }
};

class CorpusSearch : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST(TextEndToEnd, WordsOfAMadePdfAreFoundOnTheirPagesAndTheTextViewFollowsAPageTurn) {
    const std::string pdf = makeTemporaryFolder("pagewell-text-pdf") + "words.pdf";
    std::vector<TestPage> pages(4);
    pages[0].lines = {"Alpha bravo"};
    pages[1].lines = {"charlie alpha", "and alpha again"};
    pages[2].lines = {"Straße und ΣΟΦΙΑ"};
    pages[3].lines = {"nothing to find"};
    ASSERT_TRUE(makeTestPdf(pdf, pages));
    RealDocument d;
    ASSERT_TRUE(d.openAndWaitForText(pdf));
    ASSERT_EQ(d.v.text.pageTexts.size(), 4u);
    EXPECT_EQ(d.searchedPages("ALPHA"), (std::set<int>{1, 2}));
    EXPECT_EQ(d.v.search.searchHits[1].snippet.substr(0, 5), "alpha");
    EXPECT_EQ(d.searchedPages("strasse"), (std::set<int>{3}));
    EXPECT_EQ(d.searchedPages("σοφια"), (std::set<int>{3}));
    EXPECT_EQ(d.searchedPages("zulu"), (std::set<int>{}));

    Viewer& v = d.v;
    ASSERT_TRUE(d.h.runUntil([&] { return v.conversion.conversionRunning == 0 && v.sheet.sheetReady; },
                             100000, 5, 120.0));
    v.frame.searchPanelOpen = 0;
    v.view.currentPage = 2;
    showTextView(v);
    const std::uint64_t secondPage = d.spriteSignature(sprite::textView);
    v.view.currentPage = 1;
    showTextView(v);
    v.frame.textViewOpen = 1;
    const std::uint64_t firstPage = d.spriteSignature(sprite::textView);
    ASSERT_NE(firstPage, secondPage);
    d.h.moveTo(v.layout.screenWidth - 3, v.layout.screenHeight / 2);  // the next-page strip
    d.h.frames(3);
    d.h.press();
    d.h.frames(1);
    d.h.release();
    d.h.frames(2);
    ASSERT_EQ(v.view.currentPage, 2);
    EXPECT_EQ(d.spriteSignature(sprite::textView), secondPage);
}

TEST_P(CorpusSearch, HitsAreThePagesHoldingTheWordInTheExtractedText) {
    RealDocument d;
    ASSERT_TRUE(d.openAndWaitForText(std::string(PAGEWELL_CORPUS_DIR) + GetParam()));
    for (const std::string word : {"the", "PLOT", "Figure", "data", "é"}) {
        const std::set<int> expected = d.pagesInFile(word);
        EXPECT_EQ(d.searchedPages(word), expected) << word;
    }
    EXPECT_FALSE(d.pagesInFile("the").empty());  // the comparison above is not between two empty sets
    EXPECT_GT(d.v.text.extractedWordCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSearch,
                         ::testing::Values("short-ltnews36.pdf", "manual-gnuplot.pdf",
                                           "images-expeyes-eyesj.pdf", "slides-beamer-conference-talk.pdf",
                                           "a5-hyperref-paper.pdf"));
