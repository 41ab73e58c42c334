// The information file's two interpreted lines, the conversion resolution and the tools' arguments.
#include "document/information.h"

#include <gtest/gtest.h>

#include <climits>

#include "document/tools.h"

using Words = std::vector<std::string>;

TEST(PagesLine, RecognisedOnlyAtTheVeryStartInExactCase) {
    EXPECT_TRUE(isPagesLine("Pages:           311"));
    EXPECT_FALSE(isPagesLine(" Pages: 3"));
    EXPECT_FALSE(isPagesLine("pages: 3"));
    EXPECT_FALSE(isPagesLine("Pages"));
}

TEST(PagesLine, CountIsTheNumberBetweenFirstAndSecondColon) {
    EXPECT_EQ(parsePagesLine("Pages:           311"), 311);
    EXPECT_EQ(parsePagesLine("Pages:12"), 12);
    EXPECT_EQ(parsePagesLine("Pages:\t 7 pages"), 7);
    EXPECT_EQ(parsePagesLine("Pages: 7:8"), 7);
    EXPECT_EQ(parsePagesLine("Pages: +9x"), 9);
    EXPECT_EQ(parsePagesLine("Pages: -3"), -3);
    EXPECT_EQ(parsePagesLine("Pages: many"), 0);
    EXPECT_EQ(parsePagesLine("Pages: :5"), 0);
    EXPECT_EQ(parsePagesLine("Pages: 99999999999999999999999"), INT_MAX);
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

TEST(PageSizeLine, TypicalLineGivesTheTextsAsWritten) {
    EXPECT_TRUE(isPageSizeLine("Page size:      595.276 x 841.89 pts (A4)"));
    EXPECT_FALSE(isPageSizeLine("Page Size: 1 x 2"));
    PageSize a4 = parsed("Page size:      595.276 x 841.89 pts (A4)");
    EXPECT_EQ(a4.width, "595.276");
    EXPECT_EQ(a4.height, "841.89");
    EXPECT_FLOAT_EQ(a4.widthPoints, 595.276f);
    EXPECT_FLOAT_EQ(a4.heightPoints, 841.89f);
}

TEST(PageSizeLine, OddLinesGiveZeroesNotGarbage) {
    EXPECT_EQ(parsed("Page size: 500 pts").height, "");
    EXPECT_EQ(parsed("Page size: 500 pts").heightPoints, 0.0f);
    EXPECT_EQ(parsed("Page size: wide x tall").widthPoints, 0.0f);
    EXPECT_EQ(parsed("Page size: inf x nan pts").widthPoints, 0.0f);
    EXPECT_EQ(parsed("Page size: inf x nan pts").heightPoints, 0.0f);
    EXPECT_EQ(parsed("Page size: 1x2x3").height, "2");
    EXPECT_EQ(parsed("Page size: Page size: 10 x 20").width, "10");
}

TEST(RenderDpi, TableOfExamples) {
    struct Example {
        float width, height, dpi;
    };
    const Example examples[] = {
        {595.276f, 841.89f, 120.0f},                              // A4 portrait
        {612.0f, 792.0f, 120.0f},                                 // US Letter
        {841.89f, 595.276f, 190.0f},                              // A4 landscape
        {419.53f, 595.276f, 190.0f},                              // A5 portrait
        {300.0f, 350.0f, 300.0f},    {209.76f, 297.64f, 600.0f},  // A7 portrait
        {700.0f, 600.0f, 600.0f},                                 // exactly 600 high: the area rule decides
        {100.0f, 400.0f, 600.0f},                                 // exactly 400 high likewise
    };
    for (const Example& e : examples)
        EXPECT_EQ(computeRenderDpi(e.width, e.height, 600.0f), e.dpi) << e.width << " x " << e.height;
}

TEST(RenderDpi, AreaRuleKeptWhenNoHeightRuleApplies) {
    const float dpi = computeRenderDpi(2000.0f, 300.0f, 600.0f);
    EXPECT_NEAR(dpi, 151.289f, 0.001f);
    EXPECT_EQ(pageConverterArguments(1, dpi, "/d.pdf", "/c/")[6], "151");
}

TEST(ToolArguments, PageConverterWordsAndWholeResolution) {
    EXPECT_EQ(pageConverterArguments(7, 120.0f, "/docs/a.pdf", "/cache/1_a.pdf/"),
              (Words{"-q", "-f", "7", "-l", "7", "-r", "120", "/docs/a.pdf", "/cache/1_a.pdf/page"}));
    EXPECT_EQ(pageConverterArguments(1, 150.5f, "/a.pdf", "/c/")[6], "150");  // halves to even
    EXPECT_EQ(pageConverterArguments(1, 151.5f, "/a.pdf", "/c/")[6], "152");
    EXPECT_EQ(pageConverterArguments(1, -5.0f, "/a.pdf", "/c/")[6], "1");
    EXPECT_EQ(pageConverterArguments(1, 1e30f, "/a.pdf", "/c/")[6], "100000");
}

// The tools lie in the program folder's bin64 (or, in a 32-bit build, bin32) folder.
TEST(ToolPaths, FollowTheBuildsWordSize) {
    Viewer v;
    v.layout.programFolder = "/opt/pagewell/";
    setUpToolPaths(v);
    const std::string folder =
        sizeof(void*) == 8 ? "/opt/pagewell/includes/bin64/" : "/opt/pagewell/includes/bin32/";
    EXPECT_EQ(v.tools.toolFolder, folder);
    EXPECT_EQ(v.tools.pdftopngPath, folder + "pdftopng.exe");
    EXPECT_EQ(v.tools.pdfinfoPath, folder + "pdfinfo.exe");
    EXPECT_EQ(v.tools.pdftotextPath, folder + "pdftotext.exe");
}

// Arguments go to the program as they are; only a leading "-" is kept from reading as an option.
TEST(ToolArguments, PathsPassUnchangedAndNeverAsOptions) {
    const std::string document = "/my docs/it's \"$HOME\" `rm -rf x`; a&b.pdf";
    const std::string folder = "/cache/0_it's_$(x).pdf/";
    EXPECT_EQ(textExtractorArguments(document, folder), (Words{"-q", document, folder + "TextualData.txt"}));
    EXPECT_EQ(informationArguments(document), Words{document});
    EXPECT_EQ(pageConverterArguments(3, 190.0f, document, folder)[7], document);
    EXPECT_EQ(informationArguments("-n.pdf"), Words{"./-n.pdf"});
    EXPECT_EQ(textExtractorArguments("-n.pdf", "-c/")[2], "./-c/TextualData.txt");
    EXPECT_EQ(pageConverterArguments(1, 120.0f, "-n.pdf", "-c/")[7], "./-n.pdf");
}
