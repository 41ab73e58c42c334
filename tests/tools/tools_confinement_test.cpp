// The tool programs confined: a run reads its document and writes in its output's folder only, makes
// no socket, starts and traces no program and cannot raise its limits; the limits end a run that takes
// too much processor time, memory or disk, leaving no output behind.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/hostile_pdf.h"
#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

std::map<std::string, std::string> answersOf(const std::string& output) {
    std::map<std::string, std::string> answers;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos) answers[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return answers;
}

std::string procFile(int pid, const std::string& name) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/" + name);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// "soft hard" of a line of /proc/<pid>/limits, as in "Max cpu time   1   10   seconds".
std::string limitOf(const std::string& limits, const std::string& name) {
    const std::size_t at = limits.find(name);
    if (at == std::string::npos) return "";
    std::istringstream line(limits.substr(at + name.size(), limits.find('\n', at) - at - name.size()));
    std::string soft, hard;
    line >> soft >> hard;
    return soft + " " + hard;
}

// A run under prlimit's tighter limits (the tool keeps limits lower than its own).
ToolRun renderUnder(const std::string& limit, const std::string& pdf, const std::string& root) {
    return runCommand({"/usr/bin/prlimit", limit, toolPath("pdftopng.exe"), "-q", "-f", "1", "-l", "1", "-r",
                       "120", pdf, root},
                      60);
}

}  // namespace

TEST(ToolConfinement, ARunReadsItsDocumentAndWritesItsOutputFolderOnly) {
    ScratchFolder documents, output, elsewhere;
    ASSERT_TRUE(makeNumberedPdf(documents.path("doc.pdf"), 1));
    ASSERT_TRUE(writeWholeFile(elsewhere.path("secret.txt"), "the user's own"));
    const ToolRun run =
        runCommand({std::string(PAGEWELL_BUILD_DIR) + "/tests/confine_probe", documents.path("doc.pdf"),
                    output.path("page"), elsewhere.path("secret.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    auto answers = answersOf(run.standardOutput);
    EXPECT_EQ(answers["seccomp"], "on");
    EXPECT_EQ(answers["limits"], "on");
    for (const char* refused : {"open a network socket", "open a local socket", "trace", "raise a limit",
                                "take 4 GB of memory", "start a process", "run a program"})
        EXPECT_EQ(answers[refused], "refused") << refused;
    if (answers["landlock"] == "missing")
        GTEST_SKIP() << "this kernel has no Landlock: files are not confined";
    EXPECT_EQ(answers["landlock"], "on") << answers["problem"];
    for (const char* allowed : {"read the document", "write in the output folder",
                                "rename in the output folder", "remove in the output folder"})
        EXPECT_EQ(answers[allowed], "allowed") << allowed;
    for (const char* refused : {"read outside", "write outside", "create outside",
                                "make a folder in the output folder", "make a link in the output folder"})
        EXPECT_EQ(answers[refused], "refused") << refused;
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
        runCommand({"/usr/bin/prlimit", "--cpu=1:10", toolPath("pdftopng.exe"), "-q", "-f", "1", "-l", "1",
                    "-r", "120", folder.path("flood.pdf"), folder.path("page")},
                   60, [&](int pid) {
                       const std::string now = procFile(pid, "status");
                       if (now.find("Seccomp:\t2") == std::string::npos) return;
                       status = now;
                       limits = procFile(pid, "limits");
                   });
    EXPECT_EQ(run.exitCode, 3) << run.standardError;
    EXPECT_NE(run.standardError.find("gave up"), std::string::npos) << run.standardError;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"flood.pdf"});
    ASSERT_FALSE(status.empty()) << "the converter never ran under its seccomp filter";
    EXPECT_NE(status.find("NoNewPrivs:\t1"), std::string::npos);
    EXPECT_EQ(limitOf(limits, "Max cpu time"), "1 10");  // prlimit's, below the converter's own 300
    EXPECT_EQ(limitOf(limits, "Max address space"), "3221225472 3221225472");
    EXPECT_EQ(limitOf(limits, "Max file size"), "1073741824 1073741824");
    EXPECT_EQ(limitOf(limits, "Max open files"), "64 64");
    EXPECT_EQ(limitOf(limits, "Max core file size"), "0 0");
}

// Fifty million saved graphics states would take some 20 GB: the memory limit ends the page with a
// message and no file. An output past the file-size limit is not written.
TEST(ToolConfinement, MemoryAndFileSizeLimitsEndTheRunWithoutOutput) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("saves.pdf"), savedStatesPdf(50000000)));
    const ToolRun saves = renderUnder("--as=268435456", folder.path("saves.pdf"), folder.path("page"));
    EXPECT_EQ(saves.exitCode, 1) << saves.standardError;
    EXPECT_NE(saves.standardError.find("cannot render page 1"), std::string::npos) << saves.standardError;

    ASSERT_TRUE(makeNumberedPdf(folder.path("doc.pdf"), 1));
    const ToolRun big = renderUnder("--fsize=20000", folder.path("doc.pdf"), folder.path("page"));
    EXPECT_EQ(big.exitCode, 1) << big.standardError;
    EXPECT_NE(big.standardError.find("cannot write"), std::string::npos) << big.standardError;
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"doc.pdf", "saves.pdf"}));
}

// On a kernel without Landlock (every Landlock call fails as there) the tools work as before,
// confined by their limits and seccomp filter alone, and the viewer has a sentence to say so.
TEST(ToolConfinement, AKernelWithoutLandlockConvertsAsBeforeAndIsSaid) {
    ScratchFolder documents, output, elsewhere;
    ASSERT_TRUE(makeNumberedPdf(documents.path("doc.pdf"), 1));
    const std::string probe = std::string(PAGEWELL_BUILD_DIR) + "/tests/confine_probe";
    const ToolRun page = runCommand({probe, "--without-landlock", toolPath("pdftopng.exe"), "-q", "-f", "1",
                                     "-l", "1", "-r", "120", documents.path("doc.pdf"), output.path("page")});
    EXPECT_EQ(page.exitCode, 0) << page.standardError;
    EXPECT_EQ(output.fileNames(), std::vector<std::string>{"page-000001.png"});

    const ToolRun tries = runCommand({probe, "--without-landlock", probe, documents.path("doc.pdf"),
                                      output.path("page"), elsewhere.path("mine.txt")});
    auto answers = answersOf(tries.standardOutput);
    EXPECT_EQ(answers["landlock"], "missing") << tries.standardOutput;
    EXPECT_EQ(answers["seccomp"], "on");
    EXPECT_EQ(answers["create outside"], "allowed");
    EXPECT_EQ(answers["run a program"], "refused");

    const ToolRun said = runCommand({probe, "--without-landlock", probe, "--gap"});
    EXPECT_NE(said.standardOutput.find("this kernel has no Landlock"), std::string::npos)
        << said.standardOutput;
}
