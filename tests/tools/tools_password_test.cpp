// The three tools on documents locked by a password: the password comes from the environment, a
// missing or wrong one has its own exit status and message, and output made with it is private.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "tests/support/pdf_maker.h"
#include "tests/support/scratch.h"
#include "tests/tools/tool_runner.h"

namespace {

const std::string password = "Kq7 secret";
constexpr int needsPassword = 4;

// The umask a user commonly has, for the length of a test, so that "private" is not the umask's doing.
struct CommonUmask {
    mode_t previous = ::umask(022);
    ~CommonUmask() { ::umask(previous); }
};

struct Runs {
    ToolRun info, text, png;
};

Runs runAllTools(const ScratchFolder& folder, const std::string& pdf, const std::vector<std::string>& env) {
    return {
        runTool("pdfinfo.exe", {pdf}, 20, env),
        runTool("pdftotext.exe", {"-q", pdf, folder.path("out.txt")}, 20, env),
        runTool("pdftopng.exe", {"-q", "-f", "2", "-l", "2", "-r", "40", pdf, folder.path("page")}, 20, env)};
}

void expectRefusedForPassword(const ScratchFolder& folder, const std::string& pdf,
                              const std::vector<std::string>& env, const std::string& what) {
    const Runs runs = runAllTools(folder, pdf, env);
    for (const ToolRun* run : {&runs.info, &runs.text, &runs.png}) {
        EXPECT_EQ(run->exitCode, needsPassword) << what << ": " << run->standardError;
        EXPECT_NE(run->standardError.find("password"), std::string::npos)
            << what << ": " << run->standardError;
    }
    EXPECT_TRUE(runs.info.standardOutput.empty()) << what;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"locked.pdf"}) << what;
}

class ToolsOnLockedDocuments : public ::testing::TestWithParam<PdfLock> {};

}  // namespace

TEST_P(ToolsOnLockedDocuments, WithoutTheRightPasswordNothingIsMadeAndTheStatusSaysWhy) {
    ScratchFolder folder;
    ASSERT_TRUE(makeLockedPdf(folder.path("locked.pdf"), GetParam(), password, "", 3));
    expectRefusedForPassword(folder, folder.path("locked.pdf"), {}, "no password");
    expectRefusedForPassword(folder, folder.path("locked.pdf"), {"PAGEWELL_PASSWORD="}, "empty password");
    expectRefusedForPassword(folder, folder.path("locked.pdf"), {"PAGEWELL_PASSWORD=Kq7 secreT"},
                             "wrong case");
}

TEST_P(ToolsOnLockedDocuments, TheRightPasswordOpensItAndTheOutputIsReadableByItsOwnerAlone) {
    CommonUmask umask;
    ScratchFolder folder;
    ASSERT_TRUE(makeLockedPdf(folder.path("locked.pdf"), GetParam(), password, "", 3, "Vault"));
    const Runs runs = runAllTools(folder, folder.path("locked.pdf"), {"PAGEWELL_PASSWORD=" + password});
    ASSERT_EQ(runs.info.exitCode, 0) << runs.info.standardError;
    EXPECT_EQ(parseInfo(runs.info.standardOutput).pages, 3);
    EXPECT_NE(runs.info.standardOutput.find("Title:           Vault\n"), std::string::npos);
    EXPECT_NE(runs.info.standardOutput.find("Encrypted:       yes ("), std::string::npos);
    ASSERT_EQ(runs.text.exitCode, 0) << runs.text.standardError;
    const std::string text = readWholeFile(folder.path("out.txt"));
    EXPECT_NE(text.find("word3"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 3);
    ASSERT_EQ(runs.png.exitCode, 0) << runs.png.standardError;
    PngHeader header;
    EXPECT_TRUE(readPngHeader(folder.path("page-000002.png"), header));
    EXPECT_EQ(modeOf(folder.path("out.txt")), 0600);
    EXPECT_EQ(modeOf(folder.path("page-000002.png")), 0600);
}

// The empty user password opens a document locked by an owner password only: nothing is asked, and
// its output is made as any other's.
TEST_P(ToolsOnLockedDocuments, AnOwnerPasswordAloneLocksNothing) {
    CommonUmask umask;
    ScratchFolder folder;
    ASSERT_TRUE(makeLockedPdf(folder.path("restricted.pdf"), GetParam(), "", "owner only", 2));
    const Runs runs = runAllTools(folder, folder.path("restricted.pdf"), {});
    EXPECT_EQ(runs.info.exitCode, 0) << runs.info.standardError;
    EXPECT_EQ(parseInfo(runs.info.standardOutput).pages, 2);
    EXPECT_EQ(runs.text.exitCode, 0) << runs.text.standardError;
    EXPECT_NE(readWholeFile(folder.path("out.txt")).find("word2"), std::string::npos);
    EXPECT_EQ(runs.png.exitCode, 0) << runs.png.standardError;
    EXPECT_EQ(modeOf(folder.path("out.txt")), 0644);
    EXPECT_EQ(modeOf(folder.path("page-000002.png")), 0644);
}

INSTANTIATE_TEST_SUITE_P(Locks, ToolsOnLockedDocuments,
                         ::testing::Values(PdfLock::rc4With40Bits, PdfLock::rc4, PdfLock::aes128,
                                           PdfLock::aes256),
                         [](const auto& info) { return std::string(lockName(info.param)); });

// A lock that no password opens (its /U entry matches none) is reported as wanting a password too.
TEST(ToolsOnLockedDocuments, ALockNoPasswordOpensIsReportedAsLocked) {
    ScratchFolder folder;
    ASSERT_TRUE(writeWholeFile(folder.path("locked.pdf"), unopenableLockedPdf()));
    expectRefusedForPassword(folder, folder.path("locked.pdf"), {}, "no password");
    expectRefusedForPassword(folder, folder.path("locked.pdf"), {"PAGEWELL_PASSWORD=" + password}, "a guess");
}
