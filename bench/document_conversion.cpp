// Seconds from opening the 311-page manual to its last JPEG, against the converter run alone: one
// process per page in a row, and one process for all pages.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "document/conversion.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int pageCount = 311;
const std::string dpi = "120";

std::string manual() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}
std::string converter() {
    return std::string(PAGEWELL_TOOL_FOLDER) + "pdftopng.exe";
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool allJpegsWritten(Viewer& v) {
    if (v.conversion.conversionRunning || v.conversion.workerRunning ||
        v.conversion.thumbnailGenerationActive)
        return false;
    for (int page = 1; page <= pageCount; ++page) {
        if (!media::filePresent(pageImageBase(v, page) + ".jpg")) return false;
    }
    return true;
}

// The viewer's own pipeline, frames on the real clock: converter starts, worker, JPEG files.
double viewerSeconds() {
    HarnessOptions options;
    options.realClock = true;
    Harness harness(options);
    if (!harness.started()) return -1.0;
    const auto start = Clock::now();
    harness.open(manual());
    const bool done = harness.runUntil([&] { return allJpegsWritten(harness.v()); }, 100000000, 5, 600.0);
    return done ? secondsSince(start) : -1.0;
}

bool runConverter(int first, int last, const std::string& root) {
    media::RunOptions options;
    options.wait = true;
    return media::runProgram(
               converter(),
               {"-q", "-f", std::to_string(first), "-l", std::to_string(last), "-r", dpi, manual(), root},
               options) != 0;
}

double onePerPageSeconds(const std::string& folder) {
    const auto start = Clock::now();
    for (int page = 1; page <= pageCount; ++page) {
        if (!runConverter(page, page, folder + "page")) return -1.0;
    }
    return secondsSince(start);
}

double allPagesSeconds(const std::string& folder) {
    const auto start = Clock::now();
    return runConverter(1, pageCount, folder + "page") ? secondsSince(start) : -1.0;
}

void print(const char* name, double value) {
    std::printf("%s: %.3f\n", name, value);
}

}  // namespace

int main() {
    const double viewer = viewerSeconds();
    const double perPage = onePerPageSeconds(makeTemporaryFolder("bench-per-page"));
    const double allPages = allPagesSeconds(makeTemporaryFolder("bench-all-pages"));
    print("document_conversion_viewer_seconds", viewer);
    print("document_conversion_process_per_page_seconds", perPage);
    print("document_conversion_one_process_seconds", allPages);
    if (viewer > 0 && perPage > 0) print("document_conversion_viewer_vs_per_page_ratio", viewer / perPage);
    if (viewer > 0 && allPages > 0)
        print("document_conversion_viewer_vs_one_process_ratio", viewer / allPages);
    return viewer > 0 && perPage > 0 && allPages > 0 ? 0 : 1;
}
