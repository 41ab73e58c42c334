// End to end with the real tool programs: extracted text, the text view after a page turn and for a
// page in many scripts, and search results checked against an independent count over TextualData.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "context/helpers.h"
#include "context/viewer.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "text/text_view.h"

namespace {

struct RealDocument {
    Harness h{{.realClock = true}};
    Viewer& v = h.v();

    bool openAndWaitForText(const std::string& pdf) {
        if (!h.started()) return false;
        h.open(pdf);
        return h.runUntil([&] { return !v.text.textExtractionPending && !v.text.pageTexts.empty(); }, 100000,
                          5, 120.0);
    }

    std::set<int> searchedPages(const std::string& word) {
        v.frame.searchPanelOpen = v.frame.searchInputActive = true;
        v.search.searchWord.clear();
        h.type(word);
        h.frames(1);
        h.pressKeys({media::scan::enter});
        h.frames(1);
        h.runUntil([&] { return v.search.searchWorkerState.load() == SearchWorker::idle; }, 100000, 5, 60.0);
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
            const std::size_t end = std::min(file.find('\f', start), file.size());
            if (media::caseFold(file.substr(start, end - start)).find(folded) != std::string::npos)
                pages.insert(page);
            start = end + 1;
        }
        return pages;
    }

    static std::uint64_t spriteSignature(int sprite) {
        std::uint64_t sum = 0;
        for (media::Colour c :
             spritePixels(sprite, 0, 0, media::spriteOwnWidth(sprite), media::spriteOwnHeight(sprite)))
            sum = sum * 31 + c;
        return sum;
    }
};

constexpr media::Colour panelGrey = media::rgb(30, 30, 30);
constexpr media::Colour white = media::rgb(255, 255, 255);
const std::string noFaceHasIt = "\U0010FFFD";  // drawn as the font's missing-glyph box

// Finds missing-glyph boxes in text drawn white in the text view's font on its grey: the box as the font
// draws it is the template, compared with the pixels at each character's place along a line.
struct BoxFinder {
    int spriteNumber = -1;  // a scratch sprite holding the template at (0, 0)
    int boxWidth = 0, boxHeight = 0;

    BoxFinder() {
        spriteNumber = media::createSpriteAnyNumber(64, 64);
        media::beginDrawing(spriteNumber);
        media::setFont(font::base);
        media::fillBox(0, 0, 64, 64, panelGrey);
        media::setDrawingMode(media::mode::transparent);
        media::drawText(0, 0, noFaceHasIt, white);
        boxWidth = media::textWidth(noFaceHasIt);
        boxHeight = media::textHeight(noFaceHasIt);
        media::endDrawing();
    }
    ~BoxFinder() { media::freeSprite(spriteNumber); }

    std::vector<int> block(int sprite, int x, int y) const {
        std::vector<int> grey;
        for (media::Colour c : spritePixels(sprite, x, y, boxWidth, boxHeight)) grey.push_back(media::red(c));
        return grey;
    }

    // The indexes of the characters of the line drawn at (x, y) on the sprite that show the box.
    std::vector<std::size_t> boxesIn(int sprite, int x, int y, const std::string& line) const {
        const std::vector<int> box = block(spriteNumber, 0, 0);
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < media::characterCount(line); ++i) {
            media::beginDrawing(sprite);
            media::setFont(font::base);
            const int at = x + media::textWidth(media::characterSlice(line, 0, i));
            media::endDrawing();
            const std::vector<int> here = block(sprite, at, y);
            int differing = 0;
            for (std::size_t p = 0; p < box.size(); ++p) differing += std::abs(here[p] - box[p]) > 40;
            if (differing * 50 <= static_cast<int>(box.size())) found.push_back(i);
        }
        return found;
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
    ASSERT_TRUE(d.h.runUntil([&] { return !v.conversion.conversionRunning && v.sheet.sheetReady; }, 100000, 5,
                             120.0));
    v.frame.searchPanelOpen = false;
    v.view.currentPage = 2;
    showTextView(v);
    const std::uint64_t secondPage = d.spriteSignature(sprite::textView);
    v.view.currentPage = 1;
    showTextView(v);
    v.frame.textViewOpen = true;
    const std::uint64_t firstPage = d.spriteSignature(sprite::textView);
    ASSERT_NE(firstPage, secondPage);
    const int stripX = v.layout.screenWidth - 3, stripY = v.layout.screenHeight / 2;  // the next-page strip
    d.h.moveTo(stripX, stripY);
    d.h.frames(2);
    d.h.clickAt(stripX, stripY);
    d.h.frames(1);
    ASSERT_EQ(v.view.currentPage, 2);
    EXPECT_EQ(d.spriteSignature(sprite::textView), secondPage);
}

// Two lines of each script as a real manual would have them; the CJK lines in the CJK face the set-up
// installs, since cairo embeds the one face a line is drawn in.
TestPage manyScriptsPage() {
    const std::string cjk = "WenQuanYi Micro Hei";
    TestPage page;
    page.lines = {"日本語の説明書：設定を変更するには、メニューから項目を選びます。",
                  "ファイルを開いて、ページをめくり、テキストを検索してコピーできます。",
                  "中文说明：打开文件以后，可以翻页、搜索和复制全部文本。",
                  "繁體中文：每一頁的文字都可以在這個視窗裡閱讀。",
                  "Ελληνικά: η αναζήτηση βρίσκει λέξεις σε κάθε σελίδα του εγγράφου.",
                  "Кириллица: поиск находит слова на каждой странице документа.",
                  "العربية: البحث يجد الكلمات في كل صفحة من المستند",
                  "日本語の文章がパネルの端まで続いても、行は表示幅で折り返されます。",
                  "漢字と仮名は二桁分の幅を取り、ラテン文字は一桁分の幅を取ります。"};
    page.lineFonts = {cjk, cjk, cjk, cjk, "", "", "", cjk, cjk};
    return page;
}

TEST(TextEndToEnd, TheTextViewOfAManyScriptPdfShowsEveryGlyphAndNoLineRunsPastThePanel) {
    const std::string pdf = makeTemporaryFolder("pagewell-scripts-pdf") + "scripts.pdf";
    ASSERT_TRUE(makeTestPdf(pdf, {manyScriptsPage()}));
    RealDocument d;
    ASSERT_TRUE(d.openAndWaitForText(pdf));
    Viewer& v = d.v;
    const std::string& text = v.text.pageTexts.at(0).text;
    for (const char* sample : {"日本語の説明書", "中文说明", "繁體中文", "Ελληνικά", "Кириллица", "ص"}) {
        ASSERT_NE(text.find(sample), std::string::npos) << sample << " missing from " << text;
    }
    v.view.currentPage = 1;
    showTextView(v);

    const BoxFinder finder;
    const int width = media::spriteOwnWidth(sprite::textView);
    const double medium = v.layout.mediumFontSize;
    int drawn = 0, wideLines = 0;
    for (const std::string& line : v.text.textLines.at(1)) {
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        const int y = nearest(3.0 * medium + 1.2 * medium * drawn++);
        media::beginDrawing(sprite::textView);
        media::setFont(font::base);
        EXPECT_LE(v.layout.largeFontSize + media::textWidth(line), width) << line;
        wideLines += media::textWidth(line) > v.layout.textLineChars * media::textWidth("A") * 3 / 4;
        media::endDrawing();
        EXPECT_TRUE(finder.boxesIn(sprite::textView, v.layout.largeFontSize, y, line).empty()) << line;
    }
    EXPECT_GE(drawn, 4);
    EXPECT_GE(wideLines, 2) << "lines of ideographs fill the panel's width";
    const int top = 3 * v.layout.baseFontSize + 1;
    const auto edge =
        spritePixels(sprite::textView, width - 1, top, 1, media::spriteOwnHeight(sprite::textView) - top);
    for (std::size_t y = 0; y < edge.size(); ++y)
        ASSERT_EQ(edge[y], panelGrey) << "ink at the panel's right edge, row " << top + y;

    // The finder itself sees a box drawn among ideographs.
    const std::string withBox = "ab" + noFaceHasIt + "日本";
    media::beginDrawing(sprite::textView);
    media::setFont(font::base);
    media::drawText(v.layout.largeFontSize, 0, withBox, white);
    media::endDrawing();
    EXPECT_EQ(finder.boxesIn(sprite::textView, v.layout.largeFontSize, 0, withBox),
              std::vector<std::size_t>{2});
}

TEST_P(CorpusSearch, HitsAreThePagesHoldingTheWordInTheExtractedText) {
    RealDocument d;
    ASSERT_TRUE(d.openAndWaitForText(std::string(PAGEWELL_CORPUS_DIR) + GetParam()));
    for (const std::string word : {"the", "PLOT", "Figure", "data", "é"}) {
        EXPECT_EQ(d.searchedPages(word), d.pagesInFile(word)) << word;
    }
    EXPECT_FALSE(d.pagesInFile("the").empty());  // the comparison above is not between two empty sets
    EXPECT_GT(d.v.text.extractedWordCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSearch,
                         ::testing::Values("short-ltnews36.pdf", "manual-gnuplot.pdf",
                                           "images-expeyes-eyesj.pdf", "slides-beamer-conference-talk.pdf",
                                           "a5-hyperref-paper.pdf"));
