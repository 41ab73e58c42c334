// The fixture of the fault tests: the whole viewer with the real tool programs and the real clock, a
// folder for documents, and a hard time limit for each case.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "context/viewer.h"
#include "media/input/input.h"
#include "tests/e2e/fault_support.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

inline HarnessOptions realClockOptions() {
    return {.realClock = true};
}

struct E2eTest : ::testing::Test {
    HardTimeLimit limit{150};
    Harness harness;
    std::string documents = makeTemporaryFolder("fault-documents");

    explicit E2eTest(HarnessOptions options = realClockOptions()) : harness(std::move(options)) {}
    Viewer& v() { return harness.v(); }
    // Frames run until done(); false when it does not hold within the seconds.
    bool within(double seconds, const std::function<bool()>& done) {
        return harness.runUntil(done, 10000000, 5, seconds);
    }
    void typeAndReturn(const std::string& text) {
        harness.type(text);
        harness.frames(1);
        harness.pressKeys({media::scan::enter});
    }
    std::string numberedPdf(int pages, const std::string& name) {
        const std::string path = documents + name;
        EXPECT_TRUE(makeNumberedPdf(path, pages));
        return path;
    }
    std::string writtenPdf(const std::string& name, const std::string& bytes) {
        const std::string path = documents + name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    std::string lockedPdf(const std::string& name, PdfLock lock, const std::string& user,
                          const std::string& owner, int pages,
                          const std::string& title = "Locked test document") {
        const std::string path = documents + name;
        EXPECT_TRUE(makeLockedPdf(path, lock, user, owner, pages, title));
        return path;
    }
    // Frames keep coming while the conversion runs; false when it did not finish in time.
    bool convert(int pages, double seconds = 60.0) {
        if (!within(seconds, [&] { return conversionFinished(v(), pages); })) return false;
        if (pages > 1) harness.runUntil([&] { return v().sheet.sheetReady; }, 100000, 5, 10.0);
        return true;
    }
    std::string cacheFile(const std::string& name) { return v().document.documentCacheFolder + name; }
};
