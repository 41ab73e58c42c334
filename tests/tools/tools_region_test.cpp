// pdfregion.exe: one rectangle of a page, pixel for pixel the part of the whole page drawn at the same
// resolution, whatever the page's box and rotation; bad requests give a message and no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "media/pictures/pictures.h"
#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

struct PixelBox {
    int x0, y0, x1, y1;
};

ToolRun renderRegion(const std::string& pdf, double dpi, PixelBox box, const std::string& output) {
    auto pt = [&](int pixels) { return std::to_string(pixels * 72.0 / dpi); };
    const std::string clip = pt(box.x0) + "," + pt(box.y0) + "," + pt(box.x1) + "," + pt(box.y1);
    return runTool("pdfregion.exe", {"-q", "-f", "1", "-r", std::to_string(dpi), "-c", clip, pdf, output});
}

// The rows of the region's picture equal those of the box in the whole page's picture.
bool sameAsBox(const media::Picture& region, const media::Picture& whole, PixelBox box) {
    for (int y = 0; y < region.height; ++y) {
        const auto row = region.pixels.begin() + static_cast<std::ptrdiff_t>(y) * region.width;
        if (!std::equal(row, row + region.width, whole.pixels.begin() + (y + box.y0) * whole.width + box.x0))
            return false;
    }
    return true;
}

}  // namespace

// The whole page drawn by the page converter at the same (fractional) resolution is the reference.
TEST(PdfRegion, DrawsExactlyThatPartOfTheWholePage) {
    ScratchFolder folder;
    ASSERT_TRUE(makeTextPagesPdf(folder.path("text.pdf")));
    ASSERT_TRUE(writeWholeFile(folder.path("rotated.pdf"), onePagePdf("[0 0 300 200]", "/Rotate 90")));
    ASSERT_TRUE(writeWholeFile(folder.path("offset.pdf"), onePagePdf("[100 50 400 250]")));
    struct Case {
        std::string pdf;
        double dpi;
        PixelBox box;
        const char* output;  // the viewer's layers are PAM files, the pixels as it holds them
    };
    const Case cases[] = {
        {"text.pdf", 261.027190, {300, 700, 1100, 1900}, "region.pam"},  // a 4K screen's fit of the picture
        {"text.pdf", 457.5, {0, 0, 1080, 1920}, "region.pam"},           // the corner of a zoomed page
        {"rotated.pdf", 300.0, {10, 40, 200, 400}, "region.png"},
        {"offset.pdf", 144.0, {0, 0, 600, 400}, "region.png"},  // the whole page: its box does not start at 0
        // A point of the page drawn as a small page is at the viewer's largest zoom: beyond a whole
        // page's resolution (so not compared with one), still exact in size.
        {"offset.pdf", 60000.0, {0, 0, 500, 400}, "region.pam"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdf + " at " + std::to_string(c.dpi) + " dpi");
        ToolRun run = renderRegion(folder.path(c.pdf), c.dpi, c.box, folder.path(c.output));
        ASSERT_EQ(run.exitCode, 0) << run.standardError;
        media::Picture region, page;
        ASSERT_TRUE(media::decodeImageFile(folder.path(c.output), region));
        ASSERT_EQ(std::tie(region.width, region.height),
                  std::make_tuple(c.box.x1 - c.box.x0, c.box.y1 - c.box.y0));
        if (c.dpi > 10000) continue;
        ToolRun whole = runTool("pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", std::to_string(c.dpi),
                                                 folder.path(c.pdf), folder.path("whole")});
        ASSERT_EQ(whole.exitCode, 0) << whole.standardError;
        ASSERT_TRUE(media::decodeImageFile(folder.path("whole-000001.png"), page));
        EXPECT_TRUE(sameAsBox(region, page, c.box));
    }
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"offset.pdf", "region.pam", "region.png",
                                                            "rotated.pdf", "text.pdf", "whole-000001.png"}));
}

TEST(PdfRegion, RefusesBadRequestsWithAMessageAndNoFile) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 2));
    ASSERT_TRUE(writeWholeFile(folder.path("locked.pdf"), unopenableLockedPdf()));
    ASSERT_TRUE(writeWholeFile(folder.path("text.pdf"), "not a PDF document\n"));
    const std::string pdf = folder.path("doc.pdf"), out = folder.path("out.png");
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"-q", "-f", "1", "-r", "100", pdf, out}, 2},                         // no rectangle
        {{"-q", "-f", "1", "-r", "100", "-c", "0,0,10", pdf, out}, 2},         // three numbers
        {{"-q", "-f", "1", "-r", "100", "-c", "5,0,1,10", pdf, out}, 2},       // right of its left
        {{"-q", "-f", "1", "-r", "100", "-c", "0,0,10,10", pdf}, 2},           // no output
        {{"-q", "-f", "3", "-r", "100", "-c", "0,0,10,10", pdf, out}, 1},      // no such page
        {{"-q", "-f", "1", "-r", "100", "-c", "0,0,0.1,0.1", pdf, out}, 1},    // no whole pixel
        {{"-q", "-f", "1", "-r", "10000", "-c", "0,0,600,600", pdf, out}, 1},  // larger than any page image
        {{"-q", "-f", "1", "-r", "100", "-c", "0,0,10,10", folder.path("text.pdf"), out}, 1},
        {{"-q", "-f", "1", "-r", "100", "-c", "0,0,10,10", folder.path("locked.pdf"), out}, 4},
    };
    for (const auto& [words, exitCode] : cases) {
        SCOPED_TRACE(::testing::PrintToString(words));
        ToolRun run = runTool("pdfregion.exe", words, 20);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_FALSE(run.standardError.empty());
        EXPECT_FALSE(fileExists(out));
    }
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"doc.pdf", "locked.pdf", "text.pdf"}));
}

// Serving, the document stays open: one answer a request line, in order, each file as a run of its own
// makes it, and a request named "-" put into the memory shared as descriptor 3, with its length; a
// request for another page or folder, or one not understood, is refused; the end of input ends the run.
TEST(PdfRegion, ServesOneAnswerARequestLineUntilItsInputEnds) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 2));
    ASSERT_TRUE(writeWholeFile(folder.path("shared"), std::string(100000, '\0')));
    const std::string clip = "-r 100 -c 0,0,72,36 ";
    const std::string requests = "-f 2 " + clip + "a.pam\n-f 3 " + clip + "b.pam\n-f 1 " + clip +
                                 "../c.pam\nnonsense\n-f 1 " + clip + "d.png\n-f 2 " + clip + "-\n";
    ToolRun run = runCommand(
        {"/bin/sh", "-c", "printf %s \"$1\" | exec \"$0\" -q -serve \"$2\" \"$3\" 3<>\"$4\"",
         toolPath("pdfregion.exe"), requests, folder.path("doc.pdf"), folder.path(""), folder.path("shared")},
        20);
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    ToolRun single = runTool("pdfregion.exe", {"-q", "-f", "2", "-r", "100", "-c", "0,0,72,36",
                                               folder.path("doc.pdf"), folder.path("single.pam")});
    ASSERT_EQ(single.exitCode, 0) << single.standardError;
    const std::string alone = readWholeFile(folder.path("single.pam"));
    EXPECT_EQ(run.standardOutput,
              "done\nfailed\nfailed\nfailed\ndone\ndone " + std::to_string(alone.size()) + "\n");
    EXPECT_EQ(readWholeFile(folder.path("a.pam")), alone);
    EXPECT_EQ(readWholeFile(folder.path("shared")).substr(0, alone.size()), alone);
    EXPECT_EQ(folder.fileNames(),
              (std::vector<std::string>{"a.pam", "d.png", "doc.pdf", "shared", "single.pam"}));
}
