// A far page asked for in a new 2,415-page document: End pressed at once → the last page visible, and
// a search hit on a page not made yet → that page visible, each against one converter run for that
// page alone in the same run; "name: value" lines, medians of three.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/long_document.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int rounds = 3;
constexpr int hitPage = 2400;  // far beyond what the conversion makes while the text comes
constexpr double giveUpSeconds = 120.0;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

void report(const char* name, double value) {
    std::printf("%s: %.1f\n", name, value);
}

// A copy under a new name is a new document to the viewer: a cache folder of its own.
std::string freshCopy(const std::string& pdf) {
    const std::string copy = makeTemporaryFolder("bench-page-at-once") + "long.pdf";
    fs::copy_file(pdf, copy);
    return copy;
}

// One converter run for the page alone, as the viewer starts it, waited for.
double converterAlone(const std::string& pdf, int page, const std::string& dpi) {
    const std::string root = makeTemporaryFolder("bench-converter-alone") + "page";
    media::RunOptions options;
    options.wait = true;
    const auto start = Clock::now();
    int status = -1;
    media::runProgram(std::string(PAGEWELL_TOOL_FOLDER) + "pdftopng.exe",
                      {"-q", "-f", std::to_string(page), "-l", std::to_string(page), "-r", dpi, pdf, root},
                      options, &status);
    return status == 0 ? millisecondsSince(start) : -1.0;
}

struct Run {
    double milliseconds = -1.0;
    std::string dpi;
};

// Opens a fresh copy, lets prepare() ready the ask, then asks (ask() runs the frames that make the
// request) and times from the ask to the frame that shows page.
Run askFor(const std::string& pdf, int page, const std::function<bool(Harness&)>& prepare,
           const std::function<void(Harness&)>& ask) {
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);  // the harness keeps a copy of every frame for tests; a viewer does not
    Viewer& v = h.v();
    h.open(freshCopy(pdf));
    Run run;
    run.dpi = std::to_string(static_cast<int>(v.document.renderDpi + 0.5f));
    if (!prepare(h)) return run;
    const auto start = Clock::now();
    ask(h);
    const bool shown = h.runUntil([&] { return v.view.currentPage == page && !v.view.pageNotReady; },
                                  100000000, 5, giveUpSeconds);
    if (shown) run.milliseconds = millisecondsSince(start);
    stopAllTools(v);  // the reference run that follows has the machine to itself
    // The outline reader, started once page 1 showed, writes into the folder about to go.
    if (v.contents.readerProcess > 0) media::waitForProgram(v.contents.readerProcess);
    fs::remove_all(v.document.documentCacheFolder);
    return run;
}

bool nothing(Harness&) {
    return true;
}

void pressEnd(Harness& h) {
    h.keyDown(media::scan::end);
    h.frames(1);
    h.keyUp(media::scan::end);
}

// The text is in while pages are still converted: the word of one line of the far page is searched.
bool searchFarPage(Harness& h) {
    Viewer& v = h.v();
    if (!h.runUntil([&] { return !v.text.pageTexts.empty(); }, 100000000, 5, giveUpSeconds)) return false;
    v.frame.searchPanelOpen = true;
    v.frame.searchInputActive = true;
    h.type(longDocumentNumber(hitPage, 1));
    h.frames(1);
    h.keyDown(media::scan::enter);
    h.frames(1);
    h.keyUp(media::scan::enter);
    const bool found = h.runUntil([&] { return v.search.searchHits.size() == 1; }, 100000000, 5, 30.0);
    h.frames(1);  // the list drawn after the last flip is shown in this one
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
    h.moveTo(v.layout.screenWidth / 2, top + 3 * v.layout.largeFontSize + v.layout.largeFontSize / 2);
    h.frames(2);
    h.press();
    h.frames(1);
    return found && v.frame.pointerOverHitList;
}

void releaseOnHit(Harness& h) {
    h.release();
    h.frames(1);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string pdf = longDocument();
    if (pdf.empty()) {
        report("page_at_once_document_failed", 1);
        return 1;
    }
    std::vector<double> end, endReference, hit, hitReference;
    for (int round = 0; round < rounds; ++round) {
        const Run endRun = askFor(pdf, longDocumentPages, nothing, pressEnd);
        end.push_back(endRun.milliseconds);
        endReference.push_back(converterAlone(pdf, longDocumentPages, endRun.dpi));
        const Run hitRun = askFor(pdf, hitPage, searchFarPage, releaseOnHit);
        hit.push_back(hitRun.milliseconds);
        hitReference.push_back(converterAlone(pdf, hitPage, hitRun.dpi));
    }
    const double endMs = median(end), endAlone = median(endReference);
    const double hitMs = median(hit), hitAlone = median(hitReference);
    report("end_pressed_2415_pages_last_page_ms", endMs);
    report("end_pressed_reference_converter_alone_ms", endAlone);
    report("end_pressed_ratio_to_converter_alone", endMs > 0 && endAlone > 0 ? endMs / endAlone : -1.0);
    report("search_hit_unmade_page_ms", hitMs);
    report("search_hit_reference_converter_alone_ms", hitAlone);
    report("search_hit_ratio_to_converter_alone", hitMs > 0 && hitAlone > 0 ? hitMs / hitAlone : -1.0);
    return endMs > 0 && hitMs > 0 ? 0 : 1;
}
