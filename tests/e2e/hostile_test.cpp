// Hostile documents in the whole viewer with the real, confined tools: streams that inflate to
// gigabytes, a page state bomb, absurd pages, nesting too deep to follow, a lying page count, active
// content and file names no one would type. Each ends with its page shown, a page not ready or a
// clear message; frames keep coming; every tool run ends within its limits; and nothing is written
// outside the document's cache folder, in the whole temporary tree or the home folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "context/viewer.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/hostile_support.h"
#include "tests/support/hostile_pdf.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Outcome { shown, notReady, message };

struct HostileCase {
    const char* name;
    std::string fileName;
    std::function<std::string(const std::string& marker)> make;
    Outcome outcome;
};

void PrintTo(const HostileCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

// 50 million saved states would take some 20 GB; 256 MB of blanks and a 300 MB image take seconds.
const HostileCase hostileCases[] = {
    {"BlankFlood", "flood.pdf", [](const std::string&) { return blankFloodPdf(256ULL << 20); },
     Outcome::shown},
    {"HugeImage", "image.pdf", [](const std::string&) { return hugeImagePdf(10000); }, Outcome::shown},
    {"FontBomb", "font.pdf", [](const std::string&) { return fontBombPdf(8ULL << 30); }, Outcome::shown},
    {"SavedStates", "states.pdf", [](const std::string&) { return savedStatesPdf(50000000); },
     Outcome::notReady},
    {"AbsurdPage", "absurd.pdf",
     [](const std::string&) { return absurdPagePdf("[0 0 14400 14400]", "/UserUnit 75000"); },
     Outcome::shown},
    {"ClaimedPageCount", "count.pdf", [](const std::string&) { return claimedPageCountPdf(2147483647); },
     Outcome::shown},
    {"DeepNesting", "deep.pdf", [](const std::string&) { return deeplyNestedPdf(5000); }, Outcome::shown},
    {"NestingPastTheParser", "deeper.pdf", [](const std::string&) { return nestedCatalogPdf(50000); },
     Outcome::message},
    {"ActiveContent", "active.pdf", [](const std::string& marker) { return activeContentPdf(marker); },
     Outcome::shown},
    {"LyingTitle", "title.pdf",
     [](const std::string&) { return titledPdf(std::string("Evil\nPages: 99999\r\x1b[2J../../x\x01", 30)); },
     Outcome::shown},
    {"ControlCharactersInName", std::string("\x01\x1b[31mred\x7f\t\r.pdf"),
     [](const std::string&) { return absurdPagePdf("[0 0 612 792]"); }, Outcome::shown},
    {"DotsAndBackslashesInName", "..\\..\\..\\escape.pdf",
     [](const std::string&) { return absurdPagePdf("[0 0 612 792]"); }, Outcome::shown},
};

struct HostileDocumentTest : ::testing::TestWithParam<HostileCase> {
    Sandbox sandbox;  // first: the harness's folders are made inside it
    HardTimeLimit limit{280};
    Harness harness{realClockOptions()};
    std::string documents = makeTemporaryFolder("hostile-documents");

    Viewer& v() { return harness.v(); }
    // Frames until the work for the document has ended: no conversion, no worker, no tool of ours.
    // The longest gap between two frames meanwhile, in milliseconds; negative when it never ended.
    double framesUntilWorkEnds(double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        auto last = Clock::now();
        double longest = 0.0;
        while (Clock::now() < deadline) {
            const ConversionState& c = v().conversion;
            if (!c.conversionRunning && !c.workerRunning && !c.thumbnailGenerationActive && !ownToolRunning())
                return longest;
            harness.frames(1);
            const auto now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            if (harness.ended()) return -1.0;
        }
        return -1.0;
    }
};

}  // namespace

TEST_P(HostileDocumentTest, EndsShownNotReadyOrSaidAndWritesOnlyItsCacheFolder) {
    const HostileCase& hostile = GetParam();
    const std::string marker = documents + "launched";
    const std::string path = documents + hostile.fileName;
    ASSERT_TRUE(writeFile(path, hostile.make(marker)));
    const Snapshot before = snapshotOf(sandbox.root());

    harness.open(path);
    const double longestGap = framesUntilWorkEnds(200.0);
    ASSERT_GE(longestGap, 0.0) << "the work for the document never ended, or the viewer did";
    std::fprintf(stderr, "%s: longest frame gap while the tools worked %.0f ms\n", hostile.name, longestGap);
    if (hostile.outcome != Outcome::message) {
        EXPECT_TRUE(harness.runUntil([&] { return !v().text.textExtractionPending; }, 100000, 5, 20.0));
    }
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
    EXPECT_EQ(v().document.documentPath, path);

    const std::string folder = v().document.documentCacheFolder;
    EXPECT_EQ(folder.rfind(v().layout.cacheRoot, 0), 0u) << folder;
    EXPECT_EQ(folder.find('/', v().layout.cacheRoot.size()), folder.size() - 1) << "one level below the root";
    switch (hostile.outcome) {
        case Outcome::shown:  // a shown single page leaves nothing more to convert: pageCount is 0
            EXPECT_EQ(v().document.pageCountShown, 1);
            EXPECT_TRUE(v().view.firstPageShown);
            EXPECT_TRUE(media::spriteExists(sprite::page));
            break;
        case Outcome::notReady:
            EXPECT_EQ(v().document.pageCountShown, 1);
            EXPECT_TRUE(pageImageFile(v(), 1).empty());
            EXPECT_FALSE(media::spriteExists(sprite::page));
            break;
        case Outcome::message:
            EXPECT_TRUE(v().document.documentUnreadable);
            EXPECT_EQ(v().frame.messagePanelText, "This document cannot be read.");
            break;
    }
    for (const std::string& line : v().document.infoLines) {
        EXPECT_FALSE(line.starts_with("Pages:") && line != "Pages:           1") << line;
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return c > 0 && c < 0x20; })) << line;
    }
    EXPECT_FALSE(media::filePresent(marker)) << "an action of the document ran";
    const auto outside = writtenOutside(before, snapshotOf(sandbox.root()), {documents, folder});
    for (const auto& [file, size] : outside)
        ADD_FAILURE() << "written outside the cache folder: " << file << " (" << size << " bytes)";
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileDocumentTest, ::testing::ValuesIn(hostileCases),
                         [](const auto& info) { return std::string(info.param.name); });
