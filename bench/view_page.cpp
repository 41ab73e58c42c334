// Page display figures: page turn, reopening a cached long document, the sheet build and the frame
// rate, each beside a reference measured in the same run. Prints one "name: value" a line.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "document/conversion.h"
#include "document/document.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int scratchImage = 900;
constexpr int repeats = 21;
constexpr int restingFrames = 4;
constexpr double frameIntervalMilliseconds = 1000.0 / 240.0;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// From start to the hand-over of the last presented frame, whatever that frame did after it.
double millisecondsToPresented(Clock::time_point start) {
    const std::chrono::nanoseconds presented{media::frameCounts().lastPresentedNanoseconds};
    return std::chrono::duration<double, std::milli>(presented - start.time_since_epoch()).count();
}

// Processor time of the calling thread: what the frame itself costs, whatever else runs on the machine.
double threadProcessorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

double median(std::vector<double> values) {
    if (values.empty()) return -1.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void report(const std::string& name, double value) {
    std::printf("%s: %.2f\n", name.c_str(), value);
}

long kilobytesOf(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

double bareDecodeMilliseconds(const std::string& jpeg) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        media::loadImage(scratchImage, jpeg);
        times.push_back(millisecondsSince(start));
        media::freeImage(scratchImage);
    }
    return median(times);
}

// A 120-dpi A4 page as the converter makes it, kept as the viewer's JPEG form.
std::string makeA4Jpeg(const std::string& folder, const std::string& toolFolder) {
    std::string pdf = folder + "a4.pdf";
    TestPage page;
    for (int line = 0; line < 60; ++line)
        page.lines.push_back("Line " + std::to_string(line) +
                             ": the quick brown fox jumps over the lazy dog");
    if (!makeTestPdf(pdf, {page})) return "";
    media::RunOptions options;
    options.wait = true;
    media::runProgram(toolFolder + "pdftopng.exe",
                      {"-q", "-f", "1", "-l", "1", "-r", "120", pdf, folder + "page"}, options);
    std::string png = folder + "page-000001.png", jpeg = folder + "a4.jpg";
    bool written = media::loadImage(scratchImage, png) && media::saveImageJpeg(scratchImage, jpeg, 9);
    media::freeImage(scratchImage);
    return written ? jpeg : "";
}

// Shows an open document of pageCount copies of jpeg in the harness's viewer, page 1 on screen.
void showCopies(Harness& h, const std::string& jpeg, int pageCount) {
    std::string cache = makeTemporaryFolder("bench-pages");
    for (int page = 1; page <= pageCount; ++page) {
        char name[32];
        std::snprintf(name, sizeof name, "page-%06d.jpg", page);
        fs::copy_file(jpeg, cache + name, fs::copy_options::overwrite_existing);
    }
    media::captureFrames(false);  // the harness keeps a copy of every frame for tests; a viewer does not
    h.showCachedPages(cache, pageCount);
    h.frames(2);
}

// The next page's file is decoded ahead while the pointer rests on the strip, as between two presses
// of a reader; false when that never happens. The frames of that rest (a reader's presses come a tenth
// of a second apart at the quickest, some 24 frames) prepare the decoded page for the screen.
bool nextPageDecodedAhead(Harness& h) {
    Viewer& v = h.v();
    const std::string next = pageImageBase(v, v.view.currentPage + 1) + ".jpg";
    for (auto start = Clock::now(); millisecondsSince(start) < 2000.0;) {
        if (media::prefetchedImageReady(next)) {
            h.frames(restingFrames);
            return true;
        }
        h.frames(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Press on the lit forward strip to the presented frame that shows the next page, against the frame
// interval of the 240 fps cap.
void pageTurn(const std::string& jpeg) {
    Harness h;
    showCopies(h, jpeg, repeats + 2);
    h.moveTo(h.v().layout.screenWidth - 3, h.v().layout.screenHeight / 2);
    h.frames(2);
    std::vector<double> times, processorTimes, quietProcessorTimes;
    for (int i = 0; i < repeats; ++i) {
        int before = h.v().view.currentPage;
        if (!nextPageDecodedAhead(h)) return report("page_turn_not_decoded_ahead", 1);
        h.press();
        auto start = Clock::now();
        const double processorStart = threadProcessorMilliseconds();
        h.frames(1);
        times.push_back(millisecondsToPresented(start));
        processorTimes.push_back(threadProcessorMilliseconds() - processorStart);
        h.release();
        const double quietStart = threadProcessorMilliseconds();
        h.frames(1);
        quietProcessorTimes.push_back(threadProcessorMilliseconds() - quietStart);
        if (h.v().view.currentPage != before + 1) return report("page_turn_failed", 1);
    }
    double turn = median(times), decode = bareDecodeMilliseconds(jpeg);
    report("page_turn_ms", turn);
    report("page_turn_reference_frame_interval_ms", frameIntervalMilliseconds);
    report("page_turn_ratio_to_frame_interval", turn / frameIntervalMilliseconds);
    report("page_turn_jpeg_decode_ms", decode);
    report("page_turn_main_thread_processor_ms", median(processorTimes));
    report("page_turn_reference_frame_without_turn_processor_ms", median(quietProcessorTimes));
}

// Moves the pointer every frame for two seconds with the frame limiter on.
void frameRate(const std::string& jpeg) {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    showCopies(h, jpeg, 2);
    int frames = 0;
    auto start = Clock::now();
    while (millisecondsSince(start) < 2000.0) {
        h.moveTo(300 + frames % 400, 600 + (frames * 3) % 700);
        h.frames(1);
        ++frames;
    }
    double fps = frames / (millisecondsSince(start) / 1000.0);
    report("frames_per_second_page_and_moving_pointer", fps);
    report("frames_per_second_cap", 240);
    report("frames_per_second_ratio_to_cap", fps / 240.0);
}

std::string manualPath() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}
std::string keptCacheRoot() {
    return std::string(PAGEWELL_BUILD_DIR) + "/bench/view_cache/";
}

std::string manualCacheName() {
    std::string path = manualPath();
    return cacheFolderName(path, media::fileModificationTime(path));
}

// Converts the manual once through the viewer and keeps its cache folder in the build folder.
bool ensureManualCache() {
    std::string kept = keptCacheRoot() + manualCacheName();
    if (fs::exists(kept + "/thumb_sheet.png")) return true;
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    auto start = Clock::now();
    h.open(manualPath());
    Viewer& v = h.v();
    auto done = [&] { return v.sheet.sheetReady && !v.text.textExtractionPending; };
    if (!h.runUntil(done, 100000000, 5, 1800.0)) return false;
    // A converter stopped from outside (another viewer opening a document) leaves a page out.
    for (int page = 1; page <= v.document.pageCountShown; ++page) {
        char name[32];
        std::snprintf(name, sizeof name, "page-%06d.jpg", page);
        if (!media::filePresent(v.document.documentCacheFolder + name)) return false;
    }
    report("manual_first_conversion_s", millisecondsSince(start) / 1000.0);
    fs::create_directories(keptCacheRoot());
    std::string folder = v.document.documentCacheFolder;
    fs::copy(folder.substr(0, folder.size() - 1), kept,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return true;
}

// A fresh viewer whose cache root holds the kept conversion of the manual.
void seedCache(Harness& h, bool withSheet) {
    std::string target = h.v().layout.cacheRoot + manualCacheName();
    fs::copy(keptCacheRoot() + manualCacheName(), target, fs::copy_options::recursive);
    if (!withSheet) fs::remove(target + "/thumb_sheet.png");
}

// Opening the cached manual in a frame's place (as a handed document or a chosen file is), to the
// frame that shows page 1 presented; then to the frame that has its saved sheet loaded.
void reopenCached() {
    Harness h;
    seedCache(h, true);
    media::captureFrames(false);
    h.frames(6);  // the sprites made after the first frame are there, as when a user opens a document
    Viewer& v = h.v();
    std::vector<double> times;
    double sheetLoaded = -1.0;
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        h.open(manualPath());
        h.frames(1);
        times.push_back(millisecondsToPresented(start));
        if (!v.document.documentIsCached || !v.view.firstPageShown) return report("reopen_cached_failed", 1);
        if (!h.runUntil([&] { return v.sheet.sheetReady; }, 100000, 5, 30.0))
            return report("reopen_sheet_failed", 1);
        sheetLoaded = millisecondsSince(start);
    }
    std::string firstPage = v.document.documentCacheFolder + "page-000001.jpg";
    double decode = bareDecodeMilliseconds(firstPage), reopen = median(times);
    report("reopen_cached_311_pages_ms", reopen);
    report("reopen_reference_jpeg_decode_ms", decode);
    report("reopen_ratio_to_decode", reopen / decode);
    report("reopen_to_sheet_loaded_ms", sheetLoaded);
}

void sheetBuild() {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    seedCache(h, false);
    h.open(manualPath());
    Viewer& v = h.v();
    // The frame loop builds the sheet in the frame that sees the worker's request: that frame is timed.
    long before = kilobytesOf("VmRSS:");
    double build = -1;
    for (auto begin = Clock::now(); !v.sheet.sheetReady && millisecondsSince(begin) < 600000.0;) {
        before = kilobytesOf("VmRSS:");
        auto start = Clock::now();
        h.frames(1);
        if (v.sheet.sheetReady) build = millisecondsSince(start);
    }
    if (build < 0) return report("sheet_build_failed", 1);
    double decode = bareDecodeMilliseconds(v.document.documentCacheFolder + "page-000001.jpg");
    report("sheet_build_311_pages_ms", build);
    report("sheet_build_reference_jpeg_decode_ms", decode);
    report("sheet_build_ratio_to_decode", build / decode);
    report("sheet_build_rss_before_mb", before / 1024.0);
    report("sheet_build_peak_memory_vmhwm_mb", kilobytesOf("VmHWM:") / 1024.0);
}

}  // namespace

// With arguments, only the figures whose names are given run: page_turn, frame_rate, reopen, sheet.
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto wanted = [&](const std::string& name) {
        return argc < 2 || std::find(argv + 1, argv + argc, name) != argv + argc;
    };
    std::string folder = makeTemporaryFolder("bench-view");
    std::string jpeg = makeA4Jpeg(folder, PAGEWELL_TOOL_FOLDER);
    if (jpeg.empty()) {
        report("a4_page_failed", 1);
        return 1;
    }
    if (wanted("page_turn")) pageTurn(jpeg);
    if (wanted("frame_rate")) frameRate(jpeg);
    if (!wanted("reopen") && !wanted("sheet")) return 0;
    if (!ensureManualCache()) {
        report("manual_conversion_failed", 1);
        return 1;
    }
    if (wanted("reopen")) reopenCached();
    if (wanted("sheet")) sheetBuild();
    return 0;
}
