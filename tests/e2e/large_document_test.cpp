// A document of 5,000 pages: opening reads the count at once, the first pages come while the rest
// waits, and opening another document stops the work of the first cleanly.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "context/viewer.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"

namespace {

namespace fs = std::filesystem;

int countPageFiles(const std::string& folder) {
    int count = 0;
    for (const std::string& name : filesIn(folder)) count += name.starts_with("page-");
    return count;
}

// The tool programs started for one document, found by the path on their command line: tools of
// tests running beside this one are never touched.
void stopToolsFor(const std::string& documentPath) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const int pid = std::atoi(entry.path().filename().c_str());
        const std::string line = pid > 0 ? readFile(entry.path().string() + "/cmdline") : "";
        if (line.find(documentPath) != std::string::npos && line.find(".exe") != std::string::npos)
            ::kill(pid, SIGKILL);
    }
}

using LargeDocumentTest = E2eTest;

}  // namespace

TEST_F(LargeDocumentTest, FiveThousandPagesOpenAtOnceAndStopCleanlyForTheNextDocument) {
    const std::string big = numberedPdf(5000, "five thousand.pdf"), small = numberedPdf(2, "small.pdf");
    harness.open(big);
    EXPECT_EQ(v().document.pageCount, 5000);
    EXPECT_EQ(v().document.pageCountShown, 5000);
    EXPECT_TRUE(v().conversion.conversionRunning);
    const std::string bigFolder = v().document.documentCacheFolder;

    // The progress bar grows by a 5000th of the screen per page; page 1 shows once page 2 starts.
    ASSERT_TRUE(within(60.0, [&] { return v().conversion.pageQueue.startCount() > 5; }));
    EXPECT_TRUE(within(20.0, [&] { return v().view.firstPageShown; }));
    EXPECT_TRUE(media::spriteExists(sprite::page));
    EXPECT_TRUE(media::filePresent(pageImageBase(v(), 3) + ".png"));
    const float expectedProgress =
        static_cast<float>(v().conversion.pageQueue.startCount()) * v().layout.screenWidth / 5000.0f;
    EXPECT_NEAR(v().conversion.conversionProgress, expectedProgress, 0.01);
    harness.frames(2);
    EXPECT_GT(media::spriteWidth(sprite::progressBar), 0);
    EXPECT_LT(media::spriteWidth(sprite::progressBar), v().layout.screenWidth / 50);
    EXPECT_FALSE(pageImageFile(v(), 2).empty());
    EXPECT_TRUE(pageImageFile(v(), 4000).empty());

    // Between one converter's end and the next start none runs: the next start is waited for.
    ASSERT_TRUE(harness.runUntil([&] { return v().conversion.converterProcess != 0; }, 100000, 5, 10.0));
    const int bigConverter = v().conversion.converterProcess;
    harness.open(small);
    EXPECT_FALSE(media::stopProgram(bigConverter)) << "the first document's converter runs on";
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_FALSE(v().conversion.workerRunning);
    ASSERT_TRUE(convert(2));
    // The first document's converter was stopped: its folder gains no page files any more.
    const int pagesLeft = countPageFiles(bigFolder);
    harness.frames(50);
    EXPECT_EQ(countPageFiles(bigFolder), pagesLeft);
    EXPECT_FALSE(media::filePresent(bigFolder + "page-004000.png"));
    stopToolsFor(big);  // its text extractor runs on, as it should; the test does not wait for it
}
