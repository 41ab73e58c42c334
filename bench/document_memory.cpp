// Peak resident memory while a 2,415-page document is converted (every page, its text and the sheet),
// beside the memory right after start-up in the same run; "name: value" lines. The generated document
// is kept in the build folder for the launch benchmark.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/long_document.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

constexpr int pageCount = longDocumentPages;
constexpr double limitMegabytes = 150.0;

void report(const char* name, double value) {
    std::printf("%s: %.1f\n", name, value);
}

double megabytesOf(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size())) / 1024.0;
    }
    return -1.0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string pdf = longDocument();
    if (pdf.empty()) {
        report("memory_document_failed", 1);
        return 1;
    }
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);  // the harness keeps a copy of every frame for tests; a viewer does not
    h.frames(2);
    const double afterStartUp = megabytesOf("VmRSS:");
    Viewer& v = h.v();
    const auto start = std::chrono::steady_clock::now();
    h.open(pdf);
    auto done = [&] { return v.sheet.sheetReady && !v.text.textExtractionPending; };
    if (!h.runUntil(done, 100000000, 5, 1800.0) || v.document.pageCount != pageCount) {
        report("memory_conversion_failed", 1);
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double peak = megabytesOf("VmHWM:");
    report("memory_2415_pages_conversion_s", seconds);
    report("memory_2415_pages_peak_resident_mb", peak);
    report("memory_reference_after_start_up_mb", afterStartUp);
    report("memory_reference_limit_mb", limitMegabytes);
    report("memory_peak_ratio_to_limit", peak / limitMegabytes);
    std::filesystem::remove_all(v.document.documentCacheFolder);  // 2,415 JPEGs
    return 0;
}
