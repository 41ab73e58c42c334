// The tool programs' argument vectors and folder.
#include <gtest/gtest.h>

#include "document/tools.h"

using Words = std::vector<std::string>;

TEST(ToolArguments, PageConverterForPageSevenAt120Dpi) {
    EXPECT_EQ(pageConverterArguments(7, 120.0f, "/docs/a.pdf", "/cache/1_a.pdf/"),
              (Words{"-q", "-f", "7", "-l", "7", "-r", "120", "/docs/a.pdf", "/cache/1_a.pdf/page"}));
}

TEST(ToolArguments, ResolutionRoundsToNearestHalvesToEven) {
    EXPECT_EQ(pageConverterArguments(1, 150.5f, "/a.pdf", "/c/")[6], "150");
    EXPECT_EQ(pageConverterArguments(1, 151.5f, "/a.pdf", "/c/")[6], "152");
    EXPECT_EQ(pageConverterArguments(1, 120.4f, "/a.pdf", "/c/")[6], "120");
}

TEST(ToolArguments, ResolutionOutsideAnyUsefulRangeStaysAWholeNumber) {
    EXPECT_EQ(pageConverterArguments(1, -5.0f, "/a.pdf", "/c/")[6], "1");
    EXPECT_EQ(pageConverterArguments(1, 1e30f, "/a.pdf", "/c/")[6], "100000");
}

// Arguments go to the program as they are: nothing a shell would interpret is altered or quoted.
TEST(ToolArguments, PathsWithShellCharactersPassUnchanged) {
    const std::string document = "/my docs/it's \"$HOME\" `rm -rf x`; a&b.pdf";
    const std::string folder = "/cache/0_it's_$(x).pdf/";
    EXPECT_EQ(textExtractorArguments(document, folder),
              (Words{"-q", document, folder + "TextualData.txt"}));
    Words converter = pageConverterArguments(3, 190.0f, document, folder);
    ASSERT_EQ(converter.size(), 9u);
    EXPECT_EQ(converter[7], document);
    EXPECT_EQ(converter[8], folder + "page");
    EXPECT_EQ(informationArguments(document), Words{document});
}

TEST(ToolArguments, LeadingDashIsNeverReadAsAnOption) {
    EXPECT_EQ(informationArguments("-n.pdf"), Words{"./-n.pdf"});
    EXPECT_EQ(textExtractorArguments("-n.pdf", "-c/")[1], "./-n.pdf");
    EXPECT_EQ(textExtractorArguments("-n.pdf", "-c/")[2], "./-c/TextualData.txt");
    EXPECT_EQ(pageConverterArguments(1, 120.0f, "-n.pdf", "-c/")[7], "./-n.pdf");
}
