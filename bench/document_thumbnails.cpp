// The thumbnail wait on the 311-page manual: opening to the built sheet against the converter
// launches it waits for, and the page-file worker's job on every core against the same job on one
// thread; "name: value" lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int pageCount = 311;
constexpr int jobRounds = 3;

std::string manual() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* name, double value) {
    std::printf("%s: %.3f\n", name, value);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

struct OpeningRun {
    double toSheet = -1.0;          // seconds from opening to the built sheet
    double launchInterval = -1.0;   // seconds between two converter launches, on average
    double afterLastLaunch = -1.0;  // seconds from the last launch to the built sheet
};

// The viewer's own pipeline, frames on the real clock; every launch is seen in the frame that makes it.
OpeningRun openingToSheet() {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);  // the harness keeps a copy of every frame for tests; a viewer does not
    Viewer& v = h.v();
    OpeningRun run;
    const auto start = Clock::now();
    h.open(manual());
    double firstLaunch = -1.0, lastLaunch = -1.0;
    int seenLaunches = 0;
    while (!v.sheet.sheetReady && secondsSince(start) < 600.0) {
        h.frames(1);
        if (v.conversion.pageQueue.startCount() > seenLaunches) {
            seenLaunches = v.conversion.pageQueue.startCount();
            lastLaunch = secondsSince(start);
            if (firstLaunch < 0) firstLaunch = lastLaunch;
        }
    }
    if (!v.sheet.sheetReady || seenLaunches != pageCount) return run;
    run.toSheet = secondsSince(start);
    run.launchInterval = (lastLaunch - firstLaunch) / (pageCount - 1);
    run.afterLastLaunch = run.toSheet - lastLaunch;
    return run;
}

std::string pngName(int page) {
    char name[32];
    std::snprintf(name, sizeof name, "page-%06d.png", page);
    return name;
}

int firstMissingPng(const std::string& folder) {
    int page = 1;
    while (page <= pageCount && media::filePresent(folder + pngName(page))) ++page;
    return page;
}

// Every page's PNG as the converter leaves it, made once and kept in the build folder. A converter
// stopped from outside (a viewer elsewhere on the machine stopping its own by name) is run again from
// the first page missing.
std::string keptPngFolder() {
    const std::string folder = std::string(PAGEWELL_BUILD_DIR) + "/bench/thumbnail_pngs/";
    fs::create_directories(folder);
    media::RunOptions options;
    options.wait = true;
    const std::string converter = std::string(PAGEWELL_TOOL_FOLDER) + "pdftopng.exe";
    for (int attempt = 0; attempt < 100 && firstMissingPng(folder) <= pageCount; ++attempt) {
        const std::string first = std::to_string(firstMissingPng(folder));
        media::runProgram(
            converter,
            {"-q", "-f", first, "-l", std::to_string(pageCount), "-r", "120", manual(), folder + "page"},
            options);
    }
    return firstMissingPng(folder) > pageCount ? folder : "";
}

// From the thumbnail request (the last launch's frame) to the built sheet, pages shared by threads.
double thumbnailJob(const std::string& pngs, int threads) {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);
    Viewer& v = h.v();
    const std::string cache = makeTemporaryFolder("bench-thumbnails");
    for (const auto& entry : fs::directory_iterator(pngs))
        fs::copy(entry.path(), cache + entry.path().filename().string());
    h.showCachedPages(cache, pageCount);
    v.conversion.pageFileThreads = threads;
    v.conversion.thumbnailsWanted = true;
    const auto start = Clock::now();
    const bool built = h.runUntil([&] { return v.sheet.sheetReady; }, 100000000, 5, 300.0);
    const double seconds = secondsSince(start);
    fs::remove_all(cache);
    return built ? seconds : -1.0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string pngs = keptPngFolder();
    if (pngs.empty()) {
        report("thumbnail_pages_failed", 1);
        return 1;
    }
    std::vector<double> everyCore, oneThread;
    for (int round = 0; round < jobRounds; ++round) {
        everyCore.push_back(thumbnailJob(pngs, 0));
        oneThread.push_back(thumbnailJob(pngs, 1));
    }
    const double job = median(everyCore), single = median(oneThread);
    report("thumbnail_job_311_pages_threads", media::processorCount());
    report("thumbnail_job_311_pages_s", job);
    report("thumbnail_job_reference_one_thread_s", single);
    report("thumbnail_job_ratio_to_one_thread", job / single);
    const OpeningRun run = openingToSheet();
    if (run.toSheet < 0) {
        report("opening_to_sheet_failed", 1);
        return 1;
    }
    report("opening_to_sheet_311_pages_s", run.toSheet);
    report("opening_to_sheet_after_last_launch_s", run.afterLastLaunch);
    report("opening_to_sheet_reference_launch_interval_ms", run.launchInterval * 1000.0);
    report("opening_to_sheet_ratio_to_launches", run.toSheet / (pageCount * run.launchInterval));
    return job > 0 && single > 0 ? 0 : 1;
}
