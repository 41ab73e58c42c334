// The tool programs confined: a run reads its document and writes in its output's folder only, makes
// no socket, starts and traces no program and cannot raise its limits; the limits end a run that takes
// too much processor time, memory or disk, leaving no output behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/hostile_pdf.h"
#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

// Whether the probe's output holds the line "what: answer".
bool answered(const ToolRun& run, const std::string& what, const std::string& answer) {
    return ("\n" + run.standardOutput).find("\n" + what + ": " + answer + "\n") != std::string::npos;
}

// The converter's words for page 1 of pdf behind a wrapper with one option: prlimit's tighter limits
// (the tool keeps limits lower than its own) or the probe's kernel without Landlock.
std::vector<std::string> render(const std::string& wrapper, const std::string& option, const std::string& pdf,
                                const std::string& root) {
    return {wrapper, option, toolPath("pdftopng.exe"), "-q", "-f", "1", "-l", "1", "-r", "120", pdf, root};
}

const std::string probe = std::string(PAGEWELL_BUILD_DIR) + "/tests/confine_probe";

}  // namespace

TEST(ToolConfinement, ARunReadsItsDocumentAndWritesItsOutputFolderOnly) {
    ScratchFolder documents, output, elsewhere;
    ASSERT_TRUE(makeNumberedPdf(documents.path("doc.pdf"), 1));
    ASSERT_TRUE(writeWholeFile(elsewhere.path("secret.txt"), "the user's own"));
    const ToolRun run =
        runCommand({probe, documents.path("doc.pdf"), output.path("page"), elsewhere.path("secret.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    SCOPED_TRACE(run.standardOutput);
    EXPECT_TRUE(answered(run, "seccomp", "on") && answered(run, "limits", "on"));
    for (const char* refused : {"open a network socket", "open a local socket", "trace", "raise a limit",
                                "take 4 GB of memory", "start a process", "run a program"})
        EXPECT_TRUE(answered(run, refused, "refused")) << refused;
    if (answered(run, "landlock", "missing"))
        GTEST_SKIP() << "this kernel has no Landlock: files are not confined";
    EXPECT_TRUE(answered(run, "landlock", "on"));
    for (const char* allowed : {"read the document", "write in the output folder",
                                "rename in the output folder", "remove in the output folder"})
        EXPECT_TRUE(answered(run, allowed, "allowed")) << allowed;
    for (const char* refused : {"read outside", "write outside", "create outside",
                                "make a folder in the output folder", "make a link in the output folder"})
        EXPECT_TRUE(answered(run, refused, "refused")) << refused;
    EXPECT_EQ(readWholeFile(elsewhere.path("secret.txt")), "the user's own");
    EXPECT_EQ(elsewhere.fileNames(), std::vector<std::string>{"secret.txt"});
    EXPECT_EQ(output.fileNames(), std::vector<std::string>{});
}

// The real program confines itself before the document: seen from outside while it works through a
// flood of blanks, and then ended by a processor-time limit with a message and no file.
TEST(ToolConfinement, TheConverterRunsConfinedAndItsProcessorLimitEndsABomb) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("flood.pdf"), blankFloodPdf(8ULL << 30)));
    std::string status, limits;
    const ToolRun run =
        runCommand(render("/usr/bin/prlimit", "--cpu=1:10", folder.path("flood.pdf"), folder.path("page")),
                   60, [&](int pid) {
                       const std::string proc = "/proc/" + std::to_string(pid) + "/";
                       const std::string now = readWholeFile(proc + "status");
                       // The first look only: at SIGXCPU the kernel raises the soft processor limit.
                       if (!status.empty() || now.find("Seccomp:\t2") == std::string::npos) return;
                       status = now;
                       limits = readWholeFile(proc + "limits");
                   });
    EXPECT_EQ(run.exitCode, 3) << run.standardError;
    EXPECT_NE(run.standardError.find("gave up"), std::string::npos) << run.standardError;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"flood.pdf"});
    ASSERT_FALSE(status.empty()) << "the converter never ran under its seccomp filter";
    EXPECT_NE(status.find("NoNewPrivs:\t1"), std::string::npos);
    // Soft and hard limits, spaces squeezed; the processor time's is prlimit's, below the converter's 300.
    limits.erase(
        std::unique(limits.begin(), limits.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
        limits.end());
    for (const char* limit :
         {"Max cpu time 1 10 ", "Max address space 3221225472 3221225472 ",
          "Max file size 1073741824 1073741824 ", "Max open files 64 64 ", "Max core file size 0 0 "})
        EXPECT_NE(limits.find(limit), std::string::npos) << limit << "\n" << limits;
}

// Fifty million saved graphics states would take some 20 GB: the memory limit ends the page with a
// message and no file. An output past the file-size limit is not written.
TEST(ToolConfinement, MemoryAndFileSizeLimitsEndTheRunWithoutOutput) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("saves.pdf"), savedStatesPdf(50000000)));
    const ToolRun saves = runCommand(
        render("/usr/bin/prlimit", "--as=268435456", folder.path("saves.pdf"), folder.path("page")));
    EXPECT_EQ(saves.exitCode, 1) << saves.standardError;
    EXPECT_NE(saves.standardError.find("cannot render page 1"), std::string::npos) << saves.standardError;

    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 1));
    const ToolRun big =
        runCommand(render("/usr/bin/prlimit", "--fsize=20000", folder.path("doc.pdf"), folder.path("page")));
    EXPECT_EQ(big.exitCode, 1) << big.standardError;
    EXPECT_NE(big.standardError.find("cannot write"), std::string::npos) << big.standardError;
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"doc.pdf", "saves.pdf"}));
}

// On a kernel without Landlock (every Landlock call fails as there) the tools work as before,
// confined by their limits and seccomp filter alone, and the viewer has a sentence to say so.
TEST(ToolConfinement, AKernelWithoutLandlockConvertsAsBeforeAndIsSaid) {
    ScratchFolder documents, output, elsewhere;
    ASSERT_TRUE(makeNumberedPdf(documents.path("doc.pdf"), 1));
    const ToolRun page =
        runCommand(render(probe, "--without-landlock", documents.path("doc.pdf"), output.path("page")));
    EXPECT_EQ(page.exitCode, 0) << page.standardError;
    EXPECT_EQ(output.fileNames(), std::vector<std::string>{"page-000001.png"});

    const ToolRun tries = runCommand({probe, "--without-landlock", probe, documents.path("doc.pdf"),
                                      output.path("page"), elsewhere.path("mine.txt")});
    EXPECT_TRUE(answered(tries, "landlock", "missing") && answered(tries, "seccomp", "on") &&
                answered(tries, "create outside", "allowed") && answered(tries, "run a program", "refused"))
        << tries.standardOutput;

    EXPECT_THAT(runCommand({probe, "--without-landlock", probe, "--gap"}).standardOutput,
                testing::HasSubstr("this kernel has no Landlock"));
}
