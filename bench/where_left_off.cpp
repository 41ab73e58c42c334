// Where the reader left off: reopening the cached 311-page manual at its kept page 200, against one
// JPEG decode; the contents panel of a document with 500 outline entries, in frames from the tap to
// the presented panel. Prints one "name: value" a line.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "document/document.h"
#include "document/outline.h"
#include "document/reading_place.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "view/list_panels.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int scratchImage = 900;
constexpr int keptPage = 200;
constexpr double frameIntervalMilliseconds = 1000.0 / 240.0;

void report(const std::string& name, double value) {
    std::printf("%s: %.2f\n", name.c_str(), value);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double millisecondsToPresented(Clock::time_point start) {
    const std::chrono::nanoseconds presented{media::frameCounts().lastPresentedNanoseconds};
    return std::chrono::duration<double, std::milli>(presented - start.time_since_epoch()).count();
}

double bareDecodeMilliseconds(const std::string& jpeg) {
    std::vector<double> times;
    for (int i = 0; i < 21; ++i) {
        const auto start = Clock::now();
        media::loadImage(scratchImage, jpeg);
        times.push_back(millisecondsSince(start));
        media::freeImage(scratchImage);
    }
    return median(times);
}

std::string manualPath() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}

// The manual's converted cache, kept in the build folder (the page-display benchmark keeps the same).
std::string keptManualCache() {
    const std::string path = manualPath();
    return std::string(PAGEWELL_BUILD_DIR) + "/bench/view_cache/" +
           cacheFolderName(path, media::fileModificationTime(path));
}

bool ensureManualCache() {
    if (fs::exists(keptManualCache() + "/thumb_sheet.png")) return true;
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    h.open(manualPath());
    Viewer& v = h.v();
    if (!h.runUntil([&] { return v.sheet.sheetReady && !v.text.textExtractionPending; }, 100000000, 5,
                    1800.0))
        return false;
    const std::string folder = v.document.documentCacheFolder;
    fs::create_directories(fs::path(keptManualCache()).parent_path());
    fs::copy(folder.substr(0, folder.size() - 1), keptManualCache(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return true;
}

// Opening the cached manual kept at page 200 in a frame's place, to the presented frame showing it.
void reopenAtKeptPage() {
    Harness h;
    const std::string folder = h.v().layout.cacheRoot + fs::path(keptManualCache()).filename().string() + "/";
    fs::copy(keptManualCache(), folder, fs::copy_options::recursive);
    writeReadingPlace(folder, {keptPage, manualPath()});
    media::captureFrames(false);
    h.frames(6);
    Viewer& v = h.v();
    std::vector<double> times;
    for (int round = 0; round < 7; ++round) {
        const auto start = Clock::now();
        h.open(manualPath());
        h.frames(1);
        times.push_back(millisecondsToPresented(start));
        if (!v.document.documentIsCached || v.view.currentPage != keptPage || !v.view.firstPageShown)
            return report("reopen_kept_page_failed", 1);
        h.frames(30);
    }
    const double reopen = median(times), decode = bareDecodeMilliseconds(folder + "page-000200.jpg");
    report("reopen_kept_page_200_of_311_ms", reopen);
    report("reopen_kept_page_reference_jpeg_decode_ms", decode);
    report("reopen_kept_page_ratio_to_decode", reopen / decode);
}

// A 100-page document with 500 outline entries on three levels, its cache made as a conversion leaves
// it (the outline written by the information program itself), shown at page 60.
bool outlinedDocument(Harness& h, std::string& pdf) {
    const std::string documents = makeTemporaryFolder("bench-outline");
    std::vector<TestOutlineEntry> outline;
    for (int chapter = 1; chapter <= 20; ++chapter) {
        outline.push_back({"Chapter " + std::to_string(chapter), 1, chapter * 5 - 4});
        for (int section = 1; section <= 24; ++section) {
            const int level = section % 4 == 1 ? 2 : 3;
            outline.push_back({"Section " + std::to_string(chapter) + "." + std::to_string(section), level,
                               chapter * 5 - 4 + section / 6});
        }
    }
    pdf = documents + "outlined.pdf";
    if (!makeTestPdf(pdf, std::vector<TestPage>(100), outline)) return false;
    const std::string folder =
        h.v().layout.cacheRoot + cacheFolderName(pdf, media::fileModificationTime(pdf)) + "/";
    media::createFolder(folder, true);
    media::RunOptions options;
    options.wait = true;
    options.standardOutputFile = folder + "Information.ini";
    media::runProgram(std::string(PAGEWELL_TOOL_FOLDER) + "pdfinfo.exe",
                      {"-outline", folder + outlineFileName, pdf}, options);
    for (int page = 1; page <= 100; ++page) {
        char name[32];
        std::snprintf(name, sizeof name, "page-%06d.jpg", page);
        fs::copy_file(keptManualCache() + "/page-000001.jpg", folder + name);
    }
    writeReadingPlace(folder, {60, pdf});
    return true;
}

// From the frame that takes the release on Contents (under the information panel) to the presented
// frame that shows the panel, in frames; and that frame's time against the frame interval.
void contentsPanelFrames() {
    Harness h;
    std::string pdf;
    if (!outlinedDocument(h, pdf)) return report("contents_document_failed", 1);
    h.open(pdf);
    Viewer& v = h.v();
    // The extracted text is taken in before, as by the time a reader looks for the contents.
    for (const auto start = Clock::now(); v.text.textExtractionPending && millisecondsSince(start) < 60000;) {
        h.frames(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    h.frames(10);
    h.clickAt(v.layout.infoButtonX + 5, v.layout.mediumFontSize + 5);  // Info
    const int y = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::infoPanel) +
                  listPadding(v.layout) + listRowHeight(v.layout) / 2;
    const int x = v.layout.screenWidth / 2 - media::spriteWidth(sprite::infoButtons) / 2 + 10;
    h.moveTo(x, y);
    h.frames(2);
    h.press();
    h.frames(1);
    h.release();
    const Box panel = listPanelBox(v);
    int frames = 0;
    double frameMilliseconds = 0;
    while (frames < 20 && h.pixel(panel.x + 2, panel.y + 2) != listcolour::band) {
        const auto start = Clock::now();
        h.frames(1);
        frameMilliseconds = std::max(frameMilliseconds, millisecondsSince(start));
        ++frames;
    }
    if (v.contents.entries.size() != 500) return report("contents_outline_failed", 1);
    report("contents_panel_500_entries_frames_to_presented", frames);
    report("contents_panel_open_frame_ms", frameMilliseconds);
    report("contents_panel_open_frame_ratio_to_frame_interval",
           frameMilliseconds / frameIntervalMilliseconds);
    // A frame that scrolls the list draws its rows again: a notch of the wheel, down and back up.
    std::vector<double> scrolls;
    for (int notch = 0; notch < 12; ++notch) {
        media::feedMouseWheel(notch % 2 == 0 ? -1 : 1);
        const auto start = Clock::now();
        h.frames(1);
        scrolls.push_back(millisecondsSince(start));
    }
    report("contents_panel_scroll_frame_ms", median(scrolls));
    report("contents_panel_scroll_frame_ratio_to_frame_interval",
           median(scrolls) / frameIntervalMilliseconds);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!ensureManualCache()) {
        report("manual_conversion_failed", 1);
        return 1;
    }
    reopenAtKeptPage();
    contentsPanelFrames();
    return 0;
}
