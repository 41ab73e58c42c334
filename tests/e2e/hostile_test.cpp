// Hostile documents in the whole viewer with the real, confined tools: streams that inflate to
// gigabytes, a page state bomb, absurd pages, nesting too deep to follow, a lying page count, active
// content and file names no one would type. Each ends with its page shown, a page not ready or a
// clear message; frames keep coming; every tool run ends within its limits; and nothing is written
// outside the document's cache folder, in the whole temporary tree or the home folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "context/viewer.h"
#include "document/conversion.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/hostile_support.h"
#include "tests/support/hostile_pdf.h"

namespace {

enum class Outcome { shown, notReady, message };
using enum Outcome;

struct HostileCase {
    const char* name;
    std::string fileName;
    std::string (*make)(const std::string& marker);
    Outcome outcome;
    friend void PrintTo(const HostileCase& hostile, std::ostream* out) { *out << hostile.name; }
};

// 50 million saved states would take some 20 GB; 256 MB of blanks and a 300 MB image take seconds.
const HostileCase hostileCases[] = {
    {"BlankFlood", "flood.pdf", [](auto&) { return blankFloodPdf(256ULL << 20); }, shown},
    {"HugeImage", "image.pdf", [](auto&) { return hugeImagePdf(10000); }, shown},
    {"FontBomb", "font.pdf", [](auto&) { return fontBombPdf(8ULL << 30); }, shown},
    {"SavedStates", "states.pdf", [](auto&) { return savedStatesPdf(50000000); }, notReady},
    {"AbsurdPage", "absurd.pdf", [](auto&) { return onePagePdf("[0 0 14400 14400]", "/UserUnit 75000"); },
     shown},
    {"ClaimedPageCount", "count.pdf", [](auto&) { return claimedPageCountPdf(2147483647); }, shown},
    {"DeepNesting", "deep.pdf", [](auto&) { return deeplyNestedPdf(5000); }, shown},
    {"NestingPastTheParser", "deeper.pdf", [](auto&) { return nestedCatalogPdf(50000); }, message},
    {"ActiveContent", "active.pdf", activeContentPdf, shown},
    {"LyingTitle", "title.pdf",
     [](auto&) { return titledPdf(std::string("Evil\nPages: 99999\r\x1b[2J../../x\x01", 30)); }, shown},
    {"ControlCharactersInName", std::string("\x01\x1b[31mred\x7f\t\r.pdf"),
     [](auto&) { return onePagePdf("[0 0 612 792]"); }, shown},
    {"DotsAndBackslashesInName", "..\\..\\..\\escape.pdf", [](auto&) { return onePagePdf("[0 0 612 792]"); },
     shown},
};

struct HostileDocumentTest : ::testing::TestWithParam<HostileCase> {
    Sandbox sandbox;  // first: the harness's folders are made inside it
    HardTimeLimit limit{280};
    Harness harness{realClockOptions()};
    std::string documents = makeTemporaryFolder("hostile-documents");

    Viewer& v() { return harness.v(); }
};

}  // namespace

TEST_P(HostileDocumentTest, EndsShownNotReadyOrSaidAndWritesOnlyItsCacheFolder) {
    const HostileCase& hostile = GetParam();
    const std::string marker = documents + "launched", path = documents + hostile.fileName;
    ASSERT_TRUE(writeFile(path, hostile.make(marker)));
    const Snapshot before = snapshotOf(sandbox.root());

    harness.open(path);
    ASSERT_TRUE(harness.runUntil([&] { return documentWorkEnded(v()); }, 10000000, 5, 200.0))
        << "the work for the document never ended";
    if (hostile.outcome != message) {
        EXPECT_TRUE(harness.runUntil([&] { return !v().text.textExtractionPending; }, 100000, 5, 20.0));
    }
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
    EXPECT_EQ(v().document.documentPath, path);

    const std::string folder = v().document.documentCacheFolder;
    EXPECT_EQ(folder.rfind(v().layout.cacheRoot, 0), 0u) << folder;
    EXPECT_EQ(folder.find('/', v().layout.cacheRoot.size()), folder.size() - 1) << "one level below the root";
    if (hostile.outcome == message) {
        EXPECT_TRUE(v().document.documentUnreadable);
        EXPECT_EQ(v().frame.messagePanelText, "This document cannot be read.");
    } else {  // a shown single page leaves nothing more to convert: pageCount is 0
        EXPECT_EQ(v().document.pageCountShown, 1);
        EXPECT_EQ(media::spriteExists(sprite::page), hostile.outcome == shown);
        EXPECT_TRUE(hostile.outcome == shown ? v().view.firstPageShown : pageImageFile(v(), 1).empty());
    }
    for (const std::string& line : v().document.infoLines) {
        EXPECT_FALSE(line.starts_with("Pages:") && line != "Pages:           1") << line;
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return c > 0 && c < 0x20; })) << line;
    }
    EXPECT_FALSE(media::filePresent(marker)) << "an action of the document ran";
    EXPECT_EQ(writtenOutside(before, snapshotOf(sandbox.root()), {documents, folder}),
              std::vector<std::string>{})
        << "written outside the cache folder";
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileDocumentTest, ::testing::ValuesIn(hostileCases),
                         [](const auto& info) { return std::string(info.param.name); });
