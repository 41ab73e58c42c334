// pdftopng.exe: file names, image sizes at the asked resolution, page ranges and bounds on huge pages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "media/pictures/pictures.h"
#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

std::string pageFile(const std::string& root, int page) {
    char name[16];
    std::snprintf(name, sizeof name, "-%06d.png", page);
    return root + name;
}

void expectImageSize(const std::string& png, double widthPoints, double heightPoints, int dpi) {
    PngHeader header;
    ASSERT_TRUE(readPngHeader(png, header)) << png;
    EXPECT_NEAR(header.width, widthPoints * dpi / 72.0, 1.0) << png;
    EXPECT_NEAR(header.height, heightPoints * dpi / 72.0, 1.0) << png;
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.colourType, 2);  // RGB without alpha
}

ToolRun render(const std::string& pdf, int first, int last, int dpi, const std::string& root) {
    return runTool("pdftopng.exe", {"-q", "-f", std::to_string(first), "-l", std::to_string(last), "-r",
                                    std::to_string(dpi), pdf, root});
}

}  // namespace

TEST(PdfToPng, RendersEachPaperSizeAtTheAskedResolution) {
    ScratchFolder folder;
    struct Case {
        double width, height;
        int dpi;
    };
    const Case cases[] = {{595.276, 841.89, 120},  {612, 792, 120},         {841.89, 595.276, 190},
                          {419.528, 595.276, 190}, {209.764, 297.638, 600}, {300, 350, 300}};
    std::vector<TestPage> pages;
    for (const Case& size : cases) pages.push_back({size.width, size.height, {"x"}, {}});
    ASSERT_TRUE(makeTestPdf(folder.path("sizes.pdf"), pages));
    for (int k = 1; k <= 6; ++k) {
        const Case& size = cases[k - 1];
        ToolRun run = render(folder.path("sizes.pdf"), k, k, size.dpi, folder.path("page"));
        ASSERT_EQ(run.exitCode, 0) << run.standardError;
        expectImageSize(pageFile(folder.path("page"), k), size.width, size.height, size.dpi);
    }
}

TEST(PdfToPng, WritesOnlyTheAskedPagesAndLeavesNoTemporaryFiles) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 9));
    ASSERT_EQ(render(folder.path("doc.pdf"), 7, 7, 50, folder.path("page")).exitCode, 0);
    ASSERT_EQ(render(folder.path("doc.pdf"), 2, 4, 50, folder.path("page")).exitCode, 0);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"doc.pdf", "page-000002.png", "page-000003.png",
                                                            "page-000004.png", "page-000007.png"}));
}

TEST(PdfToPng, RefusesPagesOutsideTheDocumentWithoutWritingAnything) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 3));
    const std::pair<int, int> ranges[] = {
        {4, 4}, {0, 0}, {0, 1}, {3, 4}, {-1, -1}, {3, 2}, {1000000, 1000000}};
    for (auto [first, last] : ranges) {
        ToolRun run = render(folder.path("doc.pdf"), first, last, 50, folder.path("page"));
        EXPECT_EQ(run.exitCode, 1) << first << ".." << last;
        EXPECT_FALSE(run.standardError.empty());
    }
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"doc.pdf"});
}

TEST(PdfToPng, DrawsThePageContent) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("hello.pdf"), onePagePdf("[0 0 200 100]")));
    ASSERT_EQ(render(folder.path("hello.pdf"), 1, 1, 72, folder.path("p")).exitCode, 0);
    std::string png = readWholeFile(pageFile(folder.path("p"), 1));
    // An empty white 200 x 100 page compresses to far less than one with text on it.
    ASSERT_TRUE(makeTestPdf(folder.path("blank.pdf"), {TestPage{200, 100, {}, {}}}));
    ASSERT_EQ(render(folder.path("blank.pdf"), 1, 1, 72, folder.path("b")).exitCode, 0);
    std::string blank = readWholeFile(pageFile(folder.path("b"), 1));
    EXPECT_GT(png.size(), blank.size() + 200);
}

// A short, very wide page at the resolution its area would suggest: the image is bounded, not refused.
TEST(PdfToPng, BoundsTheImageOfAHugePage) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("wide.pdf"), onePagePdf("[0 0 14400 300]")));
    ToolRun run = render(folder.path("wide.pdf"), 1, 1, 1119, folder.path("page"));
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_NE(run.standardError.find("too large"), std::string::npos);
    PngHeader header;
    ASSERT_TRUE(readPngHeader(pageFile(folder.path("page"), 1), header));
    EXPECT_LE(header.width, 20000);
    EXPECT_NEAR(static_cast<double>(header.width) / header.height, 48.0, 0.5);
}

TEST(PdfToPng, RendersTheFirstAndLastPageOfEveryCorpusDocument) {
    for (const CorpusDocument& document : corpusDocuments()) {
        ScratchFolder folder;
        ToolRun first = render(document.path, 1, 1, 72, folder.path("page"));
        ASSERT_EQ(first.exitCode, 0) << document.path << ": " << first.standardError;
        expectImageSize(pageFile(folder.path("page"), 1), document.width, document.height, 72);
        ToolRun last = render(document.path, document.pages, document.pages, 36, folder.path("page"));
        ASSERT_EQ(last.exitCode, 0) << document.path << ": " << last.standardError;
        EXPECT_TRUE(fileExists(pageFile(folder.path("page"), document.pages))) << document.path;
        EXPECT_EQ(
            render(document.path, document.pages + 1, document.pages + 1, 36, folder.path("page")).exitCode,
            1);
    }
}

// With -share the page also goes into the memory shared as descriptor 3, before its file is written: a
// PAM from byte 64 holding the file's very pixels, its length in the first eight bytes. A page larger
// than the memory is not shared (the length stays 0); its file comes all the same.
TEST(PdfToPng, SharesItsPageWithTheViewerAsItsFileHoldsIt) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 2));
    for (const std::size_t room : {std::size_t{2'000'000}, std::size_t{20'000}}) {
        SCOPED_TRACE(room);
        ASSERT_TRUE(writeWholeFile(folder.path("shared"), std::string(room, '\0')));
        const ToolRun run = runCommand(
            {"/bin/sh", "-c", "exec \"$0\" -q -share -f 2 -l 2 -r 30 \"$1\" \"$2\" 3<>\"$3\"",
             toolPath("pdftopng.exe"), folder.path("doc.pdf"), folder.path("page"), folder.path("shared")},
            20);
        ASSERT_EQ(run.exitCode, 0) << run.standardError;
        media::Picture file, shared;
        ASSERT_TRUE(media::decodeImageFile(pageFile(folder.path("page"), 2), file));
        const std::string memory = readWholeFile(folder.path("shared"));
        std::uint64_t length = 0;
        std::memcpy(&length, memory.data(), sizeof length);
        if (room < file.pixels.size() * 4) {
            EXPECT_EQ(length, 0u);
            continue;
        }
        ASSERT_TRUE(length > 0 && length <= room - 64);
        ASSERT_TRUE(media::decodeImageMemory(memory.data() + 64, length, shared));
        EXPECT_EQ(shared.width, file.width);
        EXPECT_TRUE(shared.pixels == file.pixels);
    }
}
