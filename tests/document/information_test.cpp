// The information file's two interpreted lines and the conversion resolution.
#include <climits>

#include <gtest/gtest.h>

#include "document/information.h"
#include "document/tools.h"

TEST(PagesLine, RecognisedOnlyAtTheVeryStartInExactCase) {
    EXPECT_TRUE(isPagesLine("Pages:           311"));
    EXPECT_TRUE(isPagesLine("Pages:"));
    EXPECT_FALSE(isPagesLine(" Pages: 3"));
    EXPECT_FALSE(isPagesLine("pages: 3"));
    EXPECT_FALSE(isPagesLine("Pages"));
    EXPECT_FALSE(isPagesLine(""));
}

TEST(PagesLine, CountIsTheNumberBetweenFirstAndSecondColon) {
    EXPECT_EQ(parsePagesLine("Pages:           311"), 311);
    EXPECT_EQ(parsePagesLine("Pages:12"), 12);
    EXPECT_EQ(parsePagesLine("Pages:\t 7 pages"), 7);
    EXPECT_EQ(parsePagesLine("Pages: 7:8"), 7);
    EXPECT_EQ(parsePagesLine("Pages: +9x"), 9);
    EXPECT_EQ(parsePagesLine("Pages: -3"), -3);
}

TEST(PagesLine, TextWithoutANumberGivesZero) {
    EXPECT_EQ(parsePagesLine("Pages:"), 0);
    EXPECT_EQ(parsePagesLine("Pages: many"), 0);
    EXPECT_EQ(parsePagesLine("Pages: :5"), 0);
    EXPECT_EQ(parsePagesLine("Pages: \n5"), 0);
}

TEST(PagesLine, HugeCountsAreHeldAtTheIntegerLimit) {
    EXPECT_EQ(parsePagesLine("Pages: 99999999999999999999999"), INT_MAX);
    EXPECT_EQ(parsePagesLine("Pages: -99999999999999999999999"), INT_MIN);
}

namespace {
struct PageSize {
    std::string width, height;
    float widthPoints = -1.0f, heightPoints = -1.0f;
};
PageSize parsed(const std::string& line) {
    PageSize size;
    parsePageSizeLine(line, size.width, size.height, size.widthPoints, size.heightPoints);
    return size;
}
}  // namespace

TEST(PageSizeLine, TypicalLinesGiveTheTextsAsWritten) {
    EXPECT_TRUE(isPageSizeLine("Page size:      595.276 x 841.89 pts (A4)"));
    EXPECT_FALSE(isPageSizeLine("Page Size: 1 x 2"));
    EXPECT_FALSE(isPageSizeLine(" Page size: 1 x 2"));
    PageSize a4 = parsed("Page size:      595.276 x 841.89 pts (A4)");
    EXPECT_EQ(a4.width, "595.276");
    EXPECT_EQ(a4.height, "841.89");
    EXPECT_FLOAT_EQ(a4.widthPoints, 595.276f);
    EXPECT_FLOAT_EQ(a4.heightPoints, 841.89f);
    PageSize letter = parsed("Page size:       612 x 792 pts (letter)");
    EXPECT_EQ(letter.width, "612");
    EXPECT_EQ(letter.height, "792");
}

TEST(PageSizeLine, OddLinesGiveZeroesNotGarbage) {
    PageSize noX = parsed("Page size: 500 pts");
    EXPECT_EQ(noX.width, "500");
    EXPECT_EQ(noX.height, "");
    EXPECT_EQ(noX.heightPoints, 0.0f);
    PageSize words = parsed("Page size: wide x tall");
    EXPECT_EQ(words.widthPoints, 0.0f);
    EXPECT_EQ(words.heightPoints, 0.0f);
    PageSize notFinite = parsed("Page size: inf x nan pts");
    EXPECT_EQ(notFinite.widthPoints, 0.0f);
    EXPECT_EQ(notFinite.heightPoints, 0.0f);
    PageSize threeX = parsed("Page size: 1x2x3");
    EXPECT_EQ(threeX.width, "1");
    EXPECT_EQ(threeX.height, "2");
    PageSize repeated = parsed("Page size: Page size: 10 x 20");
    EXPECT_EQ(repeated.width, "10");
    EXPECT_EQ(repeated.height, "20");
}

TEST(RenderDpi, TableOfExamples) {
    struct Example {
        float width, height, dpi;
    };
    const Example examples[] = {
        {595.276f, 841.89f, 120.0f},  // A4 portrait
        {612.0f, 792.0f, 120.0f},     // US Letter
        {841.89f, 595.276f, 190.0f},  // A4 landscape
        {419.53f, 595.276f, 190.0f},  // A5 portrait
        {300.0f, 350.0f, 300.0f},
        {209.76f, 297.64f, 600.0f},   // A7 portrait
        {700.0f, 600.0f, 600.0f},     // exactly 600 high: the area rule decides
    };
    for (const Example& e : examples) {
        EXPECT_EQ(computeRenderDpi(e.width, e.height, 600.0f), e.dpi) << e.width << " x " << e.height;
    }
}

TEST(RenderDpi, AreaRuleKeptWhenNoHeightRuleApplies) {
    const float dpi = computeRenderDpi(2000.0f, 300.0f, 600.0f);
    EXPECT_NEAR(dpi, 151.289f, 0.001f);
    EXPECT_EQ(pageConverterArguments(1, dpi, "/d.pdf", "/c/")[6], "151");
    EXPECT_EQ(computeRenderDpi(100.0f, 400.0f, 600.0f), 600.0f);  // 400 and 600 high keep d
    EXPECT_EQ(computeRenderDpi(0.0f, 0.0f, 600.0f), 600.0f);
    EXPECT_EQ(computeRenderDpi(0.0f, 0.0f, 72.0f), 72.0f);
}
