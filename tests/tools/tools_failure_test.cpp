// The three tools on documents they cannot read and on bad command lines: a message, an error exit,
// no output file, no hang.
#include <gtest/gtest.h>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

// Runs all three tools on pdf and expects each to fail cleanly.
void expectAllToolsRefuse(const ScratchFolder& folder, const std::string& pdf, const std::string& what) {
    ToolRun info = runTool("pdfinfo.exe", {pdf}, 20);
    EXPECT_FALSE(info.timedOut) << what;
    EXPECT_EQ(info.exitCode, 1) << what;
    EXPECT_TRUE(info.standardOutput.empty()) << what << ": " << info.standardOutput;
    EXPECT_FALSE(info.standardError.empty()) << what;

    ToolRun text = runTool("pdftotext.exe", {"-q", pdf, folder.path("out.txt")}, 20);
    EXPECT_EQ(text.exitCode, 1) << what;
    EXPECT_FALSE(text.standardError.empty()) << what;
    EXPECT_FALSE(fileExists(folder.path("out.txt"))) << what;

    ToolRun png =
        runTool("pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", "120", pdf, folder.path("page")}, 20);
    EXPECT_EQ(png.exitCode, 1) << what;
    EXPECT_FALSE(png.standardError.empty()) << what;
    EXPECT_FALSE(fileExists(folder.path("page-000001.png"))) << what;
}

}  // namespace

TEST(ToolFailures, DocumentsThatCannotBeReadGiveAMessageAndNoOutput) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("whole.pdf"), 4));
    std::string whole = readWholeFile(folder.path("whole.pdf"));
    const std::pair<std::string, std::string> cases[] = {
        {"truncated.pdf", whole.substr(0, whole.size() / 3)},
        {"text.pdf", "This is a plain text file, not a PDF document.\n"},
        {"empty.pdf", ""},
        {"image.pdf", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0')},
    };
    for (const auto& [name, content] : cases) {
        ASSERT_TRUE(writeWholeFile(folder.path(name), content));
        expectAllToolsRefuse(folder, folder.path(name), name);
    }
    expectAllToolsRefuse(folder, folder.path("missing.pdf"), "missing");
    expectAllToolsRefuse(folder, folder.path(""), "a folder");
}

TEST(ToolFailures, PasswordProtectedDocumentsSaySo) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("locked.pdf"), unopenableLockedPdf()));
    ToolRun run = runTool("pdfinfo.exe", {folder.path("locked.pdf")});
    EXPECT_NE(run.standardError.find("password"), std::string::npos) << run.standardError;
}

TEST(ToolFailures, BadCommandLinesShowUsageAndExitWithTwo) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 1));
    std::string pdf = folder.path("doc.pdf");
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"pdfinfo.exe", {}},
        {"pdfinfo.exe", {pdf, pdf}},
        {"pdftotext.exe", {"-q", pdf}},
        {"pdftotext.exe", {"-x", pdf, folder.path("t.txt")}},
        {"pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", "120", pdf}},
        {"pdftopng.exe", {"-q", "-f", "one", "-l", "1", "-r", "120", pdf, folder.path("p")}},
        {"pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", "0", pdf, folder.path("p")}},
        {"pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", pdf, folder.path("p")}},
    };
    for (const auto& [tool, arguments] : cases) {
        ToolRun run = runTool(tool, arguments, 20);
        EXPECT_EQ(run.exitCode, 2) << tool << " with " << arguments.size() << " arguments";
        EXPECT_NE(run.standardError.find("usage"), std::string::npos);
    }
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"doc.pdf"});
}

TEST(ToolFailures, AnUnwritableOutputFolderIsAnErrorNotASuccess) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 1));
    ToolRun text = runTool("pdftotext.exe", {"-q", folder.path("doc.pdf"), folder.path("no such/t.txt")});
    EXPECT_EQ(text.exitCode, 1);
    ToolRun png = runTool("pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", "50", folder.path("doc.pdf"),
                                           folder.path("no such/p")});
    EXPECT_EQ(png.exitCode, 1);
    EXPECT_FALSE(png.standardError.empty());
}
