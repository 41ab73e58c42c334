// The page converter as a process: one at a time, found by name, with its argument vector.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <vector>

#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/tools.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/memory_scan.h"
#include "tests/support/polling.h"
#include "tests/support/scratch.h"

namespace {

// Runs the tick like the main loop does, every few milliseconds, until done.
bool tickUntil(Viewer& v, const std::function<bool()>& done, double maxSeconds = 30.0) {
    return eventually(done, maxSeconds, [&] {
        conversionTick(v);
        media::sleepMilliseconds(5);
    });
}

// The viewer's converter: a stand-in in toolFolder that logs its start and end and every argument it got
// to the file whose path it returns.
std::string useLoggingConverter(Viewer& v, const std::string& toolFolder) {
    const std::string log = toolFolder + "log.txt";
    v.tools.toolFolder = toolFolder;
    writeScript(v.tools.pdftopngPath = toolFolder + "pdftopng.exe",
                "echo start >> '" + log + "'\nfor a in \"$@\"; do echo \"arg $a\" >> '" + log +
                    "'; done\nsleep 0.2\necho end >> '" + log + "'\n");
    return log;
}

constexpr unsigned char mask = 0x5A;

}  // namespace

TEST(PageConverterProcess, NeverTwoAtATimeAndArgumentsArriveWhole) {
    const std::string tools = makeTemporaryFolder("tools");
    Viewer v;
    const std::string log = useLoggingConverter(v, tools);
    v.layout.screenWidth = 900;
    v.document.documentPath = "/docs/my file $(x) `y`.pdf";
    v.document.documentCacheFolder = tools + "cache folder/";
    v.document.pageCount = 3;
    v.document.renderDpi = 190.0f;
    startConversion(v);
    tickUntil(v, [&] { return !v.conversion.conversionRunning; });
    eventually([] { return media::isProgramRunning("pdftopng.exe") == 0; }, 2.0);
    const std::string expectedRun =
        "start\narg -q\narg -f\narg 2\narg -l\narg 2\narg -r\narg 190\n"
        "arg /docs/my file $(x) `y`.pdf\narg " +
        tools + "cache folder/page\nend\n";
    const std::string text = fileText(log);
    EXPECT_NE(text.find(expectedRun), std::string::npos) << text;
    // Every start is followed by its own end before the next start.
    std::istringstream lines(text);
    int running = 0, starts = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line != "start" || running == 0) << text;
        running += (line == "start") - (line == "end");
        starts += line == "start";
    }
    EXPECT_EQ(starts, 3);
    EXPECT_FLOAT_EQ(v.conversion.conversionProgress, 900.0f);
    EXPECT_TRUE(v.conversion.thumbnailsWanted);
}

// The page the user waits on starts next, then its neighbour, then the rest in order; a page asked for
// again once started starts nothing. The bar grows a page's share at every start, full at the last.
TEST(PageConverterProcess, AskedForPagesStartNextAndTheBarCountsStarts) {
    const std::string tools = makeTemporaryFolder("tools-order");
    Viewer v;
    const std::string log = useLoggingConverter(v, tools);
    v.layout.screenWidth = 600;
    v.document.documentCacheFolder = tools;
    v.document.pageCount = 6;
    startConversion(v);
    // Another program's converter may hold back the first start: the ask comes after it.
    ASSERT_TRUE(eventually([&] {
        conversionTick(v);
        return v.conversion.pageQueue.startCount() == 1;
    }));
    askForPage(v, 5);
    askForPage(v, 1);  // started already
    std::vector<float> widths = {v.conversion.conversionProgress};
    while (v.conversion.conversionRunning && eventually([&] {
               conversionTick(v);
               return static_cast<int>(widths.size()) < v.conversion.pageQueue.startCount();
           })) {
        widths.push_back(v.conversion.conversionProgress);
    }
    EXPECT_EQ(widths, (std::vector<float>{100, 200, 300, 400, 500, 600}));
    EXPECT_FALSE(v.conversion.conversionRunning);
    ASSERT_TRUE(eventually([&] { return !media::programRunning(v.conversion.converterProcess); }));
    std::vector<std::string> pages;
    std::istringstream lines(fileText(log));
    for (std::string line, previous; std::getline(lines, line); previous = line)
        if (previous == "arg -f") pages.push_back(line.substr(4));
    EXPECT_EQ(pages, (std::vector<std::string>{"1", "5", "6", "2", "3", "4"}));
}

// A converter that someone else started holds back the next start until it has gone.
TEST(PageConverterProcess, ForeignConverterDelaysTheNextStart) {
    Viewer v;
    v.layout.programFolder = std::string(PAGEWELL_BUILD_DIR) + "/";
    setUpToolPaths(v);
    const std::string folder = makeTemporaryFolder("foreign");
    const std::string manual = std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
    const int foreign = media::runProgram(
        v.tools.pdftopngPath, {"-q", "-f", "1", "-l", "311", "-r", "150", manual, folder + "other"}, {});
    ASSERT_NE(foreign, 0);
    v.document.documentPath = manual;
    v.document.documentCacheFolder = folder;
    v.document.pageCount = 2;
    v.document.renderDpi = 30.0f;
    startConversion(v);            // must not stop a converter this viewer did not start
    for (int i = 0; i < 3; ++i) {  // ticks that are due, each of which would start a converter
        v.conversion.lastConversionCheck = media::elapsedMilliseconds() - 100;
        conversionTick(v);
    }
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 0);
    EXPECT_TRUE(media::stopProgram(foreign));  // still there to be stopped
    tickUntil(v, [&] { return !v.conversion.conversionRunning; });
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 2);
}

// Opening another document stops the converter of the previous one.
TEST(PageConverterProcess, NewConversionStopsOurOwnConverter) {
    const std::string tools = makeTemporaryFolder("tools");
    Viewer v;
    v.tools.toolFolder = tools;
    writeScript(v.tools.pdftopngPath = tools + "pdftopng.exe", "sleep 3 >/dev/null 2>&1\n");
    v.document.pageCount = 5;
    // Only the first converter found by name is looked at: one left by an earlier test would hide ours.
    eventually([] { return media::isProgramRunning("pdftopng.exe") == 0; }, 5.0);
    startConversion(v);
    tickUntil(
        v, [&] { return v.conversion.pageQueue.startCount() != 0; }, 5.0);
    const int started = v.conversion.converterProcess;
    ASSERT_NE(started, 0);
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 1);
    startConversion(v);
    EXPECT_FALSE(media::programRunning(started));
    EXPECT_NE(v.conversion.converterProcess, started);
    EXPECT_LE(v.conversion.pageQueue.startCount(), 1);  // the new conversion's page 1 at most
}

// Exit stops the tool programs this viewer started, followed by their ids; another viewer's go on.
TEST(PageConverterProcess, ExitStopsOnlyOurOwnTools) {
    const std::string tools = makeTemporaryFolder("tools-own");
    const std::string path = tools + "pdftopng.exe";
    // The sleep holds no output of ours: a stopped script's orphan must not keep the test's pipes open.
    for (const char* name : {"pdftopng.exe", "pdftotext.exe"})
        writeScript(tools + name, "sleep 30 >/dev/null 2>&1 </dev/null\n");
    // Another viewer's converter, by the same name: this viewer's conversion never started it.
    const int foreign = media::runProgram(path, {}, {});
    ASSERT_NE(foreign, 0);
    Viewer v;
    v.tools.toolFolder = tools;
    v.tools.pdftopngPath = path;
    v.tools.pdftotextPath = tools + "pdftotext.exe";
    v.conversion.converterProcess = startPageConverter(v, 1);
    startTextExtractor(v);
    const int converter = v.conversion.converterProcess, extractor = v.tools.textExtractorProcess;
    ASSERT_NE(converter, 0);
    ASSERT_NE(extractor, 0);
    EXPECT_TRUE(media::programRunning(converter));
    EXPECT_TRUE(media::programRunning(extractor));
    stopAllTools(v);
    EXPECT_FALSE(media::programRunning(converter));
    EXPECT_FALSE(media::programRunning(extractor));
    EXPECT_TRUE(media::programRunning(foreign));
    media::stopProgram(foreign);
}

// A locked document's password reaches the tools through their environment alone, and once it is
// forgotten no copy of it is left anywhere in the viewer's memory, freed blocks included. The test
// holds it XOR-ed only, so that its own copy is never found.
TEST(PageConverterProcess, NoCopyOfThePasswordOutlivesItsOpening) {
    std::string masked;  // from the program's read-only text: the plain password is never in writable memory
    for (const char* c = "Kq7 a long passphrase, past any short-string buffer"; *c != 0; ++c)
        masked += static_cast<char>(*c ^ mask);
    const std::string tools = makeTemporaryFolder("tools-password");
    Viewer v;
    v.tools.toolFolder = tools;
    for (const auto& [path, name] : {std::pair{&v.tools.pdfinfoPath, "pdfinfo.exe"},
                                     {&v.tools.pdftotextPath, "pdftotext.exe"},
                                     {&v.tools.pdftopngPath, "pdftopng.exe"}})
        writeScript(*path = tools + name, "exit 0\n");
    v.document.documentCacheFolder = tools;
    v.document.documentNeedsPassword = true;
    v.document.documentPassword.reserve(masked.size());
    for (char c : masked) v.document.documentPassword += static_cast<char>(c ^ mask);
    ASSERT_EQ(occurrencesInMemory(masked, mask), 1);
    EXPECT_EQ(testDocumentPassword(v), 0);
    startTextExtractor(v);
    startPageConverter(v, 1);
    forgetPassword(v);
    EXPECT_EQ(occurrencesInMemory(masked, mask), 0);
    stopAllTools(v);
}
