// The extracted-text store: splitting, normalising, counting, display lines and the load step.
#include "text/text_store.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "context/viewer.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/harness.h"

namespace {

// The reduction as written out: for L = 22 down to 2, every non-overlapping group of L blanks found
// from the left becomes one blank; then the ends are trimmed.
std::string reduceByReplacing(std::string text) {
    for (std::size_t length = 22; length >= 2; --length) {
        const std::string group(length, ' ');
        std::string out;
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(group, from)) != std::string::npos; from = at + length) {
            out += text.substr(from, at - from) + " ";
        }
        text = out + text.substr(from);
    }
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<PageText> normalisedPages(const std::string& file) {
    std::vector<PageText> pages = splitPages(file);
    for (PageText& page : pages) page.text = normalisePageText(page.text);
    return pages;
}

// A viewer whose document cache folder is a fresh temporary folder.
struct StoreFixture : ::testing::Test {
    Viewer v;

    void SetUp() override {
        v.document.documentCacheFolder = makeTemporaryFolder("pagewell-text");
        ASSERT_FALSE(v.document.documentCacheFolder.empty());
        v.text.textExtractionPending = true;
        v.document.pageCount = 3;
        v.layout.textLineChars = 10;
        v.layout.textViewLastLine = 4;
    }
    void loadText(const std::string& bytes) {  // written as the extraction would, then loaded
        ASSERT_TRUE(media::writeWholeFile(v.document.documentCacheFolder + "TextualData.txt", bytes));
        loadExtractedText(v);
    }
};

}  // namespace

TEST(SplitPages, FormFeedsAndZeroBytesEndPagesAndAFinalFormFeedAddsNothing) {
    const auto pages = splitPages("a\fb\f");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(std::tuple(pages[0].text, pages[0].page, pages[1].text, pages[1].page),
              std::tuple("a", 1, "b", 2));

    EXPECT_EQ(splitPages(std::string("a\0b", 3)).size(), 2u);
    EXPECT_EQ(splitPages("a\fb").size(), 2u);  // the last piece without a form feed still counts
    const auto empties = splitPages("\f\f");
    ASSERT_EQ(empties.size(), 2u);
    EXPECT_EQ(empties[0].text, "");
    EXPECT_EQ(splitPages("x\f\fy\f")[1].text, "");
    EXPECT_TRUE(splitPages("").empty());
}

TEST(SplitPages, LineEndPairsAndTabsBecomeBlanksButLoneLineEndsStay) {
    EXPECT_EQ(splitPages("a\r\nb\tc")[0].text, "a b c");
    EXPECT_EQ(splitPages("a\nb\rc")[0].text, "a\nb\rc");
    EXPECT_EQ(splitPages("a\r\r\nb")[0].text, "a\r b");
    EXPECT_EQ(splitPages("a\n\r")[0].text, "a\n\r");
    EXPECT_EQ(splitPages("a\r\fb")[0].text, "a\r");  // a pair split by the page end is no pair
}

TEST(NormalisePageText, TheExampleRecordsAndTheirWordCount) {
    const auto pages = normalisedPages("one  two\r\nthree\f");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].text, "one two three");
    EXPECT_EQ(countBlanks(pages[0].text), 2);

    const auto ab = normalisedPages("a\fb\f");
    EXPECT_EQ(countBlanks(ab[0].text) + countBlanks(ab[1].text), 0);
}

TEST(NormalisePageText, LongBlankRunsShrinkAsTheReplacementPassesDo) {
    EXPECT_EQ(normalisePageText("x" + std::string(23, ' ') + "y"), "x y");
    EXPECT_EQ(normalisePageText("x" + std::string(45, ' ') + "y"), "x y");
    EXPECT_EQ(normalisePageText("      "), "");
    // Not every run ends as one blank: the passes leave two blanks for some lengths.
    for (std::size_t run = 1; run <= 2000; ++run) {
        const std::string text = "x" + std::string(run, ' ') + "y";
        ASSERT_EQ(normalisePageText(text), reduceByReplacing(text)) << "run of " << run;
    }
}

TEST(NormalisePageText, MixedRandomTextMatchesTheReplacementPasses) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int pieces = static_cast<int>(random() % 40);
        for (int i = 0; i < pieces; ++i) {
            text += std::string(random() % 60, ' ');
            text += std::string(random() % 4, "ab\ncé"[random() % 5]);
        }
        ASSERT_EQ(normalisePageText(text), reduceByReplacing(text)) << "round " << round;
    }
}

TEST(CutDisplayLines, CutsAtTheCharacterCountAndKeepsAtMostTheLastLine) {
    const std::string twoLinesAndOne(21, 'a');
    const auto lines = cutDisplayLines(twoLinesAndOne, 10, 5);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "a");
    EXPECT_EQ(cutDisplayLines("short", 10, 5), std::vector<std::string>{"short"});
    EXPECT_EQ(cutDisplayLines("", 10, 5), std::vector<std::string>{""});
    EXPECT_EQ(cutDisplayLines(std::string(10, 'a'), 10, 5).size(), 1u);
    EXPECT_EQ(cutDisplayLines(std::string(1000, 'a'), 10, 5).size(), 5u);
    EXPECT_TRUE(cutDisplayLines("text", 0, 5).size() <= 5u);  // a zero width never loops
}

TEST(CutDisplayLines, NeverCutsACharacterApart) {
    std::string text;
    for (int i = 0; i < 21; ++i) text += i % 3 == 0 ? "é" : (i % 3 == 1 ? "€" : "𝄞");
    const auto lines = cutDisplayLines(text, 10, 5);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::tuple(lines[0], lines[2]), std::tuple("é€𝄞é€𝄞é€𝄞é", "𝄞"));
    EXPECT_EQ(lines[0] + lines[1] + lines[2], text);
}

struct ColumnCut {
    const char* name;
    std::string text;
    int columns;
    std::vector<std::string> lines;
};

void PrintTo(const ColumnCut& cut, std::ostream* out) {
    *out << cut.name;
}

class CutByColumns : public ::testing::TestWithParam<ColumnCut> {};

TEST_P(CutByColumns, WideCharactersTakeTwoColumnsOfTheLine) {
    EXPECT_EQ(cutDisplayLines(GetParam().text, GetParam().columns, 10), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutByColumns,
    ::testing::Values(ColumnCut{"Ideographs", "日本語です", 4, {"日本", "語で", "す"}},
                      ColumnCut{"WideCharacterAtTheEdgeMovesDown", "abc日本", 4, {"abc", "日本"}},
                      ColumnCut{"MixedWidthsFillTheLine", "a日b本c", 4, {"a日b", "本c"}},
                      ColumnCut{"OneColumnLineStillAdvances", "日本", 1, {"日", "本"}},
                      ColumnCut{"FullwidthWideHalfwidthNarrow", "ＡＢｱｲｳ", 4, {"ＡＢ", "ｱｲｳ"}},
                      ColumnCut{"GreekCyrillicArabicOneEach", "αβγжзиعرب", 3, {"αβγ", "жзи", "عرب"}},
                      ColumnCut{"Hangul", "한국어", 5, {"한국", "어"}}),
    [](const ::testing::TestParamInfo<ColumnCut>& info) { return std::string(info.param.name); });

// Random text of narrow and wide characters: the lines join up to the text, none is wider than the
// line, and each is as full as it can be (the next character would not have fitted).
TEST(CutDisplayLines, LinesAreAsFullAsTheColumnsAllowAndNoWider) {
    const std::vector<std::string> pieces = {"a", " ", "é", "ж", "ع", "日", "の", "한", "Ａ", "😀", "\u0301"};
    auto columnsOf = [](const std::string& character) {
        return media::displayColumns(media::firstCodePoint(character));
    };
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 300); i > 0; --i) text += pieces[random() % pieces.size()];
        const int columns = 1 + static_cast<int>(random() % 12);
        const auto lines = cutDisplayLines(text, columns, 1000);
        std::string joined;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            int used = 0;
            for (std::size_t c = 0; c < media::characterCount(lines[l]); ++c)
                used += columnsOf(media::characterSlice(lines[l], c, 1));
            ASSERT_TRUE(used <= columns || media::characterCount(lines[l]) == 1) << lines[l];
            if (l + 1 < lines.size()) {
                ASSERT_GT(used + columnsOf(lines[l + 1]), columns) << lines[l];
            }
            joined += lines[l];
        }
        ASSERT_EQ(joined, text) << "round " << round;
    }
}

TEST_F(StoreFixture, AMissingOrEmptyFileLeavesTheRequestPendingAndTheStoreAsItWas) {
    v.text.pageTexts = {{"old", 1}};
    loadExtractedText(v);
    EXPECT_TRUE(v.text.textExtractionPending);
    loadText("");
    EXPECT_TRUE(v.text.textExtractionPending);
    ASSERT_EQ(v.text.pageTexts.size(), 1u);
    EXPECT_EQ(v.text.pageTexts[0].text, "old");

    loadText("one  two\r\nthree\f");
    EXPECT_FALSE(v.text.textExtractionPending);
    ASSERT_EQ(v.text.pageTexts.size(), 1u);
    EXPECT_EQ(v.text.pageTexts[0].text, "one two three");
    EXPECT_EQ(v.text.extractedWordCount, 2);
}

TEST_F(StoreFixture, PagesBeyondThePageCountStaySearchableButGetNoLines) {
    loadText("p1\fp2 " + std::string(25, 'z') + "\fp3\fp4\fp5\f");
    ASSERT_EQ(v.text.pageTexts.size(), 5u);
    EXPECT_EQ(v.text.pageTexts[4].text, "p5");
    ASSERT_EQ(v.text.textLines.size(), 4u);  // pages 0..3
    for (const auto& row : v.text.textLines) EXPECT_EQ(row.size(), 5u);
    const auto& lines = v.text.textLines;
    EXPECT_EQ(std::tuple(lines[0][0], lines[1][0], lines[2][0], lines[2][2], lines[3][0]),
              std::tuple("", "p1", "p2 zzzzzzz", "zzzzzzzz", "p3"));
    EXPECT_EQ(v.text.extractedWordCount, 1);
}

TEST_F(StoreFixture, APageWithMoreLinesThanTheViewKeepsOnlyTheFirstOnes) {
    loadText(std::string(100, 'q') + "\f");
    ASSERT_EQ(v.text.textLines[1].size(), 5u);
    EXPECT_EQ(v.text.textLines[1][4], std::string(10, 'q'));
    EXPECT_EQ(v.text.pageTexts[0].text.size(), 100u);  // the copy and the search see it all
}

TEST_F(StoreFixture, TextThatIsNotUtf8IsReadAsWindows1252) {
    loadText(std::string("caf\xe9 \x80 \xc3\f\xff\xfe\x00z", 13));
    ASSERT_EQ(v.text.pageTexts.size(), 3u);
    for (const PageText& page : v.text.pageTexts) EXPECT_TRUE(media::isValidUtf8(page.text));
    EXPECT_EQ(std::tuple(v.text.pageTexts[0].text, v.text.pageTexts[2].text), std::tuple("café € Ã", "z"));
}

TEST_F(StoreFixture, TheStoreIsNotRebuiltUnderARunningSearch) {
    v.text.pageTexts = {{"held", 1}};
    v.text.textExtractionPending = false;  // as when a cached document is opened
    v.search.searchWorkerState = SearchWorker::running;
    loadText("new\f");
    EXPECT_EQ(v.text.pageTexts[0].text, "held");
    EXPECT_TRUE(v.text.textExtractionPending);  // the main loop tries again next frame
    v.search.searchWorkerState = SearchWorker::idle;
    loadExtractedText(v);
    EXPECT_EQ(std::tuple(v.text.pageTexts[0].text, v.text.textExtractionPending), std::tuple("new", false));
}
