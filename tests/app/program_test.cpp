// The command line, the message panel, and leaving the thumbnail sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/panels.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "tests/support/harness.h"

namespace {

int run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "pagewell");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return runPagewell(static_cast<int>(arguments.size()), argv.data());
}

}  // namespace

TEST(CommandLine, HelpAndVersionPrintAndEndWithoutAWindow) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(run({"--help"}), 0);
    std::string help = testing::internal::GetCapturedStdout();
    EXPECT_NE(help.find("Usage: pagewell [--new-window] [--page N] [file.pdf]"), std::string::npos);
    EXPECT_NE(help.find("  --page N      open the document at page N"), std::string::npos);
    EXPECT_NE(help.find("  --new-window  start a separate viewer"), std::string::npos);
    EXPECT_NE(help.find("  Page Down, Right, Down, Space      next page"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Pagewell v1.0 - 10 January 2016 by Tarnwick\n");
}

TEST(CommandLine, UnknownOptionsSecondDocumentsAndBadPagesAreRefused) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(run({"--fullscreen"}), 2);
    EXPECT_EQ(run({"a.pdf", "b.pdf"}), 2);
    EXPECT_EQ(run({"--page", "0", "a.pdf"}), 2);
    EXPECT_EQ(run({"--page=2x", "a.pdf"}), 2);
    EXPECT_EQ(run({"--page", "3"}), 2);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("unknown option --fullscreen"), std::string::npos);
    EXPECT_NE(errors.find("only one document"), std::string::npos);
    EXPECT_NE(errors.find("--page takes a page number (1 or more)"), std::string::npos);
    EXPECT_NE(errors.find("--page needs a document to open"), std::string::npos);
}

// A later start hands the page asked for over with the path; a plain path asks for none.
TEST(CommandLine, PageIsHandedOverWithThePath) {
    const HandedDocument handed = readHandOverMessage(handOverMessage("/a\nb.pdf", 7));
    EXPECT_EQ(std::pair(handed.path, handed.page), std::pair(std::string("/a\nb.pdf"), 7));
    EXPECT_EQ(readHandOverMessage("/page=3.pdf").page, 0);
}

TEST(MessagePanel, ShownUntilAPressOrFiveSeconds) {
    Harness h;
    ASSERT_TRUE(h.started());
    h.moveTo(540, 1500);
    showMessagePanel(h.v(), "Cannot read broken.pdf");
    h.frames(1);
    const int x = 540 - media::spriteWidth(sprite::infoMessage) / 2;
    EXPECT_TRUE(h.v().frame.messagePanelShown);
    EXPECT_EQ(h.pixel(x + 3, 93), media::rgb(100, 100, 100));
    h.press();
    h.frames(1);
    h.release();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.messagePanelShown);
    EXPECT_EQ(h.pixel(x + 3, 93), media::rgb(0, 0, 0));
    showMessagePanel(h.v(), "Cannot read broken.pdf");
    h.frames(1);
    h.advance(5001);
    h.frames(1);
    EXPECT_FALSE(h.v().frame.messagePanelShown);
}

// A double-click outside the cells leaves the sheet; the release that ends it must not act as a
// release on the Thumbnails button that was last under the pointer.
TEST(ThumbnailFrame, DoubleClickLeavesTheSheetForGood) {
    Harness h;
    ASSERT_TRUE(h.started());
    h.v().sheet.sheetReady = true;
    h.moveTo(94, 27);
    h.frames(1);
    ASSERT_EQ(h.v().frame.hoveredButton, Button::thumbnails);
    h.press();
    h.frames(1);
    h.release();
    h.frames(1);
    ASSERT_TRUE(h.v().frame.thumbnailMode);
    h.moveTo(540, 1800);
    h.frames(1);
    EXPECT_FALSE(h.v().frame.toolbarShown);  // no tool bar over the sheet
    h.doubleClick();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.thumbnailMode);
    h.release();
    h.frames(1);
    EXPECT_FALSE(h.v().frame.thumbnailMode);
}
