// pdfinfo.exe on made and real documents: page count, first-page size, one property a line.
#include <cairo-pdf.h>
#include <gtest/gtest.h>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

InfoValues infoOf(const std::string& pdf) {
    ToolRun run = runTool("pdfinfo.exe", {pdf});
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    return parseInfo(run.standardOutput);
}

}  // namespace

TEST(PdfInfo, CountsPagesAndGivesTheFirstPageSizeForCommonPaper) {
    ScratchFolder folder;
    struct Case {
        double width, height;
        const char* name;
    };
    const Case cases[] = {{595.276, 841.89, "(A4)"},
                          {612, 792, "(letter)"},
                          {419.528, 595.276, "(A5)"},
                          {209.764, 297.638, ""},
                          {841.89, 595.276, "(A4 landscape)"}};
    for (const Case& size : cases) {
        std::string pdf = folder.path("size.pdf");
        ASSERT_TRUE(
            makeTestPdf(pdf, {{size.width, size.height, {"size test"}, {}}, {100, 100, {"size test"}, {}}}));
        ToolRun run = runTool("pdfinfo.exe", {pdf});
        ASSERT_EQ(run.exitCode, 0) << run.standardError;
        InfoValues values = parseInfo(run.standardOutput);
        EXPECT_EQ(values.pages, 2);
        EXPECT_NEAR(values.width, size.width, 0.01);
        EXPECT_NEAR(values.height, size.height, 0.01);
        std::string ending = *size.name ? std::string("pts ") + size.name + "\n" : "pts\n";
        EXPECT_NE(run.standardOutput.find(ending), std::string::npos) << run.standardOutput;
    }
}

TEST(PdfInfo, PrintsNamesInOneColumnAndSizesWithoutTrailingZeros) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("a4.pdf"), 3));
    ToolRun run = runTool("pdfinfo.exe", {folder.path("a4.pdf")});
    EXPECT_NE(run.standardOutput.find("\nPages:           3\n"), std::string::npos) << run.standardOutput;
    EXPECT_NE(run.standardOutput.find("\nPage size:       595.276 x 841.89 pts (A4)\n"), std::string::npos);
    EXPECT_NE(run.standardOutput.find("\nEncrypted:       no\n"), std::string::npos);
    EXPECT_NE(run.standardOutput.find("\nPage rot:        0\n"), std::string::npos);
    EXPECT_NE(run.standardOutput.find("\nPDF version:     1."), std::string::npos);
    std::string size = std::to_string(readWholeFile(folder.path("a4.pdf")).size());
    EXPECT_NE(run.standardOutput.find("\nFile size:       " + size + " bytes\n"), std::string::npos);
}

// The viewer takes the page count from the last "Pages:" line: a title must not be able to forge one.
TEST(PdfInfo, KeepsEachPropertyOnOneLineWhenMetadataHoldsLineBreaks) {
    ScratchFolder folder;
    std::string pdf = folder.path("title.pdf");
    cairo_surface_t* surface = cairo_pdf_surface_create(pdf.c_str(), 595.276, 841.89);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "Report\nPages: 999\rPage size: 1 x 1");
    cairo_t* cr = cairo_create(surface);
    cairo_show_page(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    ToolRun run = runTool("pdfinfo.exe", {pdf});
    InfoValues values = parseInfo(run.standardOutput);
    EXPECT_EQ(values.pageLines, 1);
    EXPECT_EQ(values.pages, 1);
    EXPECT_NEAR(values.width, 595.276, 0.01);
    EXPECT_NE(run.standardOutput.find("Title:           Report Pages: 999 Page size: 1 x 1\n"),
              std::string::npos)
        << run.standardOutput;
}

TEST(PdfInfo, PageSizeIsTheVisibleBoxAsShown) {
    ScratchFolder folder;
    std::string cropped = folder.path("cropped.pdf");
    ASSERT_TRUE(writeWholeFile(cropped, onePagePdf("[0 0 612 792]", "/CropBox [100 100 400 600]")));
    InfoValues values = infoOf(cropped);
    EXPECT_NEAR(values.width, 300, 0.01);
    EXPECT_NEAR(values.height, 500, 0.01);

    std::string rotated = folder.path("rotated.pdf");
    ASSERT_TRUE(writeWholeFile(rotated, onePagePdf("[0 0 612 792]", "/Rotate 90")));
    ToolRun run = runTool("pdfinfo.exe", {rotated});
    values = parseInfo(run.standardOutput);
    EXPECT_NEAR(values.width, 792, 0.01);
    EXPECT_NEAR(values.height, 612, 0.01);
    EXPECT_NE(run.standardOutput.find("Page rot:        90\n"), std::string::npos) << run.standardOutput;
}

TEST(PdfInfo, AgreesWithTheIndependentToolOnEveryCorpusDocument) {
    std::vector<CorpusDocument> documents = corpusDocuments();
    ASSERT_GE(documents.size(), 5u);
    for (const CorpusDocument& document : documents) {
        ToolRun run = runTool("pdfinfo.exe", {document.path}, 20);
        ASSERT_EQ(run.exitCode, 0) << document.path << ": " << run.standardError;
        InfoValues values = parseInfo(run.standardOutput);
        EXPECT_EQ(values.pages, document.pages) << document.path;
        EXPECT_NEAR(values.width, document.width, 0.01) << document.path;
        EXPECT_NEAR(values.height, document.height, 0.01) << document.path;
    }
}
