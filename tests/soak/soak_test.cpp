// Long runs: 100,000 frames of seeded random input over a cached 311-page document, with resident
// memory compared before and after; and the page-file worker and the search worker busy together.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "app/app.h"
#include "app/go_to_panel.h"
#include "app/recent_list.h"
#include "document/document.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "tests/support/polling.h"
#include "view/contents_panel.h"
#include "view/sharp_layer.h"

#if defined(__SANITIZE_ADDRESS__)
#define PAGEWELL_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PAGEWELL_SOAK_ASAN 1
#endif
#endif
#ifdef PAGEWELL_SOAK_ASAN
// From AddressSanitizer's allocator interface (GCC installs no header for it).
extern "C" void __sanitizer_purge_allocator();
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A number from the environment, so that a failing run can be repeated with its seed or made longer.
long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

// Freed blocks waiting in AddressSanitizer's quarantine count as resident; they are handed back
// first, so that what stays is what the program holds.
void releaseFreedMemory() {
#ifdef PAGEWELL_SOAK_ASAN
    __sanitizer_purge_allocator();
#endif
}

long residentKilobytes() {
    releaseFreedMemory();
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Resident memory outside AddressSanitizer's shadow (on x86-64 the addresses from 0x7fff8000 to
// 0x10007fff8000). The shadow of every heap address ever used stays resident after the memory itself
// is handed back, and the quarantine cycles through fresh addresses until it is full: that growth
// belongs to the sanitizer, not to the program. Without AddressSanitizer: VmRSS.
long programResidentKilobytes() {
#ifdef PAGEWELL_SOAK_ASAN
    releaseFreedMemory();
    std::ifstream maps("/proc/self/smaps");
    std::string line;
    long total = 0;
    bool shadow = false;
    while (std::getline(maps, line)) {
        unsigned long long start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &start, &end) == 2 && line.find(' ') > line.find('-'))
            shadow = start >= 0x7fff8000ULL && end <= 0x10007fff8000ULL;
        else if (line.rfind("Rss:", 0) == 0 && !shadow)
            total += std::strtol(line.c_str() + 4, nullptr, 10);
    }
    return total;
#else
    return residentKilobytes();
#endif
}

long heapKilobytes() {
#ifdef PAGEWELL_SOAK_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return -1;
#endif
}

// The tool programs under their plain names (links in a private folder): the viewer finds and stops
// tool programs machine-wide by their ".exe" names, so these runs neither disturb the suites that run
// beside this one nor get stopped by them.
std::string privateToolFolder() {
    const std::string folder = makeTemporaryFolder("soak-tools");
    for (const char* name : {"pdfinfo", "pdftotext", "pdftopng"}) {
        std::error_code error;
        std::filesystem::create_symlink(std::string(PAGEWELL_TOOL_FOLDER) + name + ".exe", folder + name,
                                        error);
    }
    return folder;
}

bool runTool(const std::string& program, const std::vector<std::string>& arguments,
             const std::string& outputFile = {}) {
    return media::runProgram(program, arguments, {"", true, outputFile, {}}) != 0;
}

// The cache folder a finished conversion leaves, made quickly: Information.ini and TextualData.txt
// from the real tools, every page rendered small in one run of the converter and saved as the JPEG
// the page-file worker writes. No thumb_sheet.png: the first opening builds it from the JPEGs.
bool writeCachedDocument(Viewer& v, const std::string& pdf, int pageCount, int dpi) {
    const std::string cache =
        v.layout.cacheRoot + cacheFolderName(pdf, media::fileModificationTime(pdf)) + "/";
    media::createFolder(cache, true);
    const std::string tools = privateToolFolder();
    if (!runTool(tools + "pdfinfo", informationArguments(pdf), cache + "Information.ini")) return false;
    if (!runTool(tools + "pdftotext", textExtractorArguments(pdf, cache))) return false;
    if (!runTool(tools + "pdftopng", {"-q", "-f", "1", "-l", std::to_string(pageCount), "-r",
                                      std::to_string(dpi), pdf, cache + "page"}))
        return false;
    constexpr int scratch = 424242;
    for (int page = 1; page <= pageCount; ++page) {
        char base[32];
        std::snprintf(base, sizeof base, "page-%06d", page);
        const std::string png = cache + base + ".png";
        if (!media::loadImage(scratch, png) || !media::saveImageJpeg(scratch, cache + base + ".jpg", 9))
            return false;
        media::deleteFile(png);
    }
    media::freeImage(scratch);
    return media::filePresent(cache + "TextualData.txt");
}

// Where the tool-bar buttons stand, and which of them random input must never touch: Open shows the
// file chooser, Exit ends the run, About runs its own loop and Detach pauses half a second. A button
// stays hovered after the pointer leaves the bar, so a later release anywhere would still press it.
struct ButtonPlace {
    int centreX = 0, centreY = 0, halfWidth = 0, halfHeight = 0;
};

ButtonPlace buttonPlace(const Viewer& v, int face, int x) {
    const int halfWidth = media::spriteWidth(face) / 2, halfHeight = media::spriteHeight(face) / 2;
    return {x + halfWidth, v.layout.mediumFontSize + halfHeight, halfWidth, halfHeight};
}

// Seeded random input: each step is one gesture and the frames it takes.
class RandomInput {
public:
    RandomInput(Harness& h, std::uint32_t seed) : h_(h), random_(seed) {
        const Layout& layout = h.v().layout;
        width_ = layout.screenWidth;
        height_ = layout.screenHeight;
        pointerHalf_ = media::spriteWidth(sprite::pointer) / 2 + 2;
        forbidden_ = {buttonPlace(h.v(), sprite::openButton, layout.openButtonX),
                      buttonPlace(h.v(), sprite::exitButton, layout.exitButtonX),
                      buttonPlace(h.v(), sprite::aboutButton, layout.aboutButtonX),
                      buttonPlace(h.v(), sprite::detachButton, layout.detachButtonX)};
        allowed_ = {buttonPlace(h.v(), sprite::thumbsButton, layout.thumbsButtonX),
                    buttonPlace(h.v(), sprite::infoButton, layout.infoButtonX),
                    buttonPlace(h.v(), sprite::searchButton, layout.searchButtonX),
                    buttonPlace(h.v(), sprite::textButton, layout.textButtonX)};
        moveTo(width_ / 2, height_ / 2);
    }

    long frames() const { return frames_; }

    // Every panel and picture the run can create, made once before memory is first measured: the
    // hit list and the marked sheet, the thumbnail sheet shown, the text view, the information
    // panel, the contents, the recent documents and Go to page, a zoom and the about screen.
    void tour() {
        clickButton(allowed_[2]);  // Search
        h_.type("plot");
        run(2);
        key(media::scan::enter);
        while (h_.v().search.searchHits.empty() && frames_ < 2000) run(1);
        clickButton(allowed_[2]);
        clickButton(allowed_[0]);  // Thumbnails
        moveTo(width_ / 3, height_ / 3);
        run(3);
        doubleClick();
        for (int button : {3, 1}) {  // Text, then Info: opened and closed
            clickButton(allowed_[button]);
            run(3);
            clickButton(allowed_[button]);
        }
        Viewer& v = h_.v();
        openContentsPanel(v);
        run(3);
        closeContentsPanel(v);
        openRecentPanel(v);
        run(3);
        v.frame.recentPanelOpen = false;
        openGoToPanel(v);
        run(3);
        closeGoToPanel(v);
        moveTo(width_ / 2, height_ / 2);
        holdAndDrag();
        doubleClick();
        clickAbout();
    }
    int abouts() const { return abouts_; }
    int detaches() const { return detaches_; }

    // One gesture: a roll of 0 to 999 takes the first whose bound lies above it.
    void step() {
        const std::pair<int, std::function<void()>> gestures[] = {
            {200, [this] { smallMotion(); }},
            {320, [this] { moveTo(pick(0, width_ - 1), pick(0, height_ - 1)); }},
            {400, [this] { toggleButton(); }},
            {460, [this] { holdAndDrag(); }},
            {520, [this] { tap(); }},
            {560, [this] { doubleClick(); }},
            {620, [this] { pressStrip(); }},
            {700, [this] { clickButton(allowed_[pick(0, 3)]); }},
            {800, [this] { typeText(); }},
            {830, [this] { key(media::scan::backspace); }},
            {860, [this] { key(media::scan::enter); }},
            {880, [this] { copyKeys(); }},
            {905, [this] { navigate(); }},
            {940, [this] { idle(); }},
            {990, [this] { pickInHitList(); }},
            {996, [this] { clickAbout(); }},
            {1000, [this] { clickDetach(); }}};
        const int roll = pick(0, 999);
        for (const auto& [bound, gesture] : gestures)
            if (roll < bound) return gesture();
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Mostly a frame's worth of time; sometimes none, sometimes a stall.
    int frameMilliseconds() {
        const int roll = pick(0, 99);
        if (roll < 5) return 0;
        if (roll < 95) return pick(3, 17);
        return pick(100, 400);
    }

    void run(int count) {
        for (int i = 0; i < count && !h_.ended(); ++i) {
            h_.frames(1, frameMilliseconds());
            ++frames_;
        }
    }

    bool over(const ButtonPlace& place, int x, int y) const {
        return std::abs(x - place.centreX) <= place.halfWidth + pointerHalf_ &&
               std::abs(y - place.centreY) <= place.halfHeight + pointerHalf_;
    }
    bool safe(int x, int y) const {
        for (const ButtonPlace& place : forbidden_) {
            if (over(place, x, y)) return false;
        }
        return true;
    }

    // Every position the pointer takes at a frame is away from the forbidden buttons.
    void moveTo(int x, int y) {
        while (!safe(x, y)) {
            x = pick(0, width_ - 1);
            y = pick(0, height_ - 1);
        }
        x_ = x;
        y_ = y;
        h_.moveTo(x, y);
    }

    void smallMotion() {
        for (int i = 0, steps = pick(1, 4); i < steps; ++i) {
            moveTo(std::clamp(x_ + pick(-30, 30), 0, width_ - 1),
                   std::clamp(y_ + pick(-30, 30), 0, height_ - 1));
            run(1);
        }
    }

    void toggleButton() {
        down_ ? release() : press();
        run(pick(1, 3));
    }

    void press() {
        if (down_) h_.release();
        h_.press();
        down_ = true;
    }
    void release() {
        if (!down_) h_.press();
        h_.release();
        down_ = false;
    }

    // A hold of 160 ms or more with sideways motion: the zoom drag.
    void holdAndDrag() {
        press();
        for (int i = 0, steps = pick(3, 20); i < steps; ++i) {
            moveTo(std::clamp(x_ + pick(-60, 60), 0, width_ - 1), y_);
            h_.advance(pick(10, 60));
            run(1);
        }
        release();
        run(1);
    }

    void tap() {
        press();
        run(1);
        release();
        run(pick(1, 30));  // the glide
    }

    void doubleClick() {
        press();
        run(1);
        release();
        run(1);
        h_.doubleClick();
        down_ = true;
        run(1);
        release();
        run(pick(1, 5));
    }

    void pressStrip() {
        const int stripWidth = media::spriteWidth(sprite::backStrip);
        const int x = pick(0, 1) == 0 ? pick(0, stripWidth - 1) : pick(width_ - stripWidth, width_ - 1);
        moveTo(x, pick(height_ / 4, 3 * height_ / 4));
        run(1);
        tap();
    }

    void clickButton(const ButtonPlace& place) {
        moveTo(place.centreX, place.centreY);
        run(1);
        press();
        run(1);
        release();
        run(pick(1, 3));
    }

    // Straight onto a button that random moves keep away from (About, Detach), pressed in the next frame.
    void pressOn(const ButtonPlace& place) {
        x_ = place.centreX;
        y_ = place.centreY;
        h_.moveTo(x_, y_);
        run(1);
        press();
        run(1);
    }

    // The about screen returns on the next release: it is queued behind the one that starts it.
    void clickAbout() {
        pressOn(forbidden_[2]);
        h_.release();
        h_.press();
        h_.release();
        down_ = false;
        run(1);
        ++abouts_;
        moveTo(pick(0, width_ - 1), pick(height_ / 4, height_ - 1));
        run(1);
    }

    // At most a few: each pauses half a second of real time.
    void clickDetach() {
        if (detaches_ >= 4) return idle();
        pressOn(forbidden_[3]);
        release();
        run(1);
        ++detaches_;
        moveTo(width_ / 2 + pick(-100, 100), height_ / 2 + pick(-100, 100));
        run(1);
    }

    void typeText() {
        static const std::vector<std::string> words = {"plot", "set", "gnuplot", "x", "ß", "é", "Zz", "1"};
        const std::string& word = words[pick(0, static_cast<int>(words.size()) - 1)];
        h_.keyDown(30);  // A
        h_.type(word);
        run(1);
        h_.keyUp(30);
        run(1);
    }

    void key(int scanCode) {
        h_.keyDown(scanCode);
        run(1);
        h_.keyUp(scanCode);
        run(1);
    }

    void copyKeys() {
        h_.keyDown(media::scan::leftControl);
        h_.keyDown(media::scan::c);
        run(pick(1, 3));
        h_.keyUp(media::scan::c);
        run(1);
        h_.keyUp(media::scan::leftControl);
        run(1);
    }

    // A turning, jumping, zooming or sheet key (Control + O would start the chooser), or the wheel.
    void navigate() {
        namespace scan = media::scan;
        if (pick(0, 3) == 0) {
            media::feedMouseWheel(pick(-3, 3));
            run(1);
            return;
        }
        const int keys[] = {scan::pageDown, scan::up,     scan::space, scan::home, scan::end,
                            scan::enter,    scan::equals, scan::minus, scan::zero};
        const int index = pick(0, 8);
        const bool control = index >= 6;  // the last three zoom and fit with Control
        if (control) h_.keyDown(scan::leftControl);
        h_.keyDown(keys[index]);
        run(pick(1, 3));
        h_.keyUp(keys[index]);
        if (control) h_.keyUp(scan::leftControl);
        run(1);
    }

    void idle() { run(pick(5, 40)); }

    // The hit list stands below the search panel, in the upper half.
    void pickInHitList() {
        moveTo(pick(width_ / 8, 7 * width_ / 8), pick(height_ / 12, height_ / 2));
        run(1);
        tap();
    }

    Harness& h_;
    std::mt19937 random_;
    int width_ = 0, height_ = 0, pointerHalf_ = 0;
    int x_ = 0, y_ = 0;
    bool down_ = false;
    long frames_ = 0;
    int abouts_ = 0, detaches_ = 0;
    std::vector<ButtonPlace> forbidden_, allowed_;
};

const std::string gnuplotManual = std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";

// Presses Enter (down and up before one frame) for a search of the word typed so far.
void requestSearch(Harness& h) {
    h.keyDown(media::scan::enter);
    h.keyUp(media::scan::enter);
    h.frames(1);
}

}  // namespace

// No sanitizer report (the run stops at the first), no end of the loop, and resident memory after
// the run within 5 % (plus 4 MB) of what it was after the first 1,000 frames (under AddressSanitizer
// not counting its shadow, which grows with every fresh heap address its quarantine makes the
// program use).
TEST(Soak, HundredThousandRandomFramesOverA311PageDocument) {
    const auto seed = static_cast<std::uint32_t>(environmentNumber("PAGEWELL_SOAK_SEED", 311));
    const long totalFrames = environmentNumber("PAGEWELL_SOAK_FRAMES", 100000);
    const auto start = Clock::now();
    // A ninth of the pixels of 1080 x 1920, portrait as well: the software renderer's time per frame
    // is mostly filling pixels, and 100,000 frames must stay within minutes.
    Harness h({.desktopWidth = static_cast<int>(environmentNumber("PAGEWELL_SOAK_WIDTH", 360)),
               .desktopHeight = static_cast<int>(environmentNumber("PAGEWELL_SOAK_HEIGHT", 640))});
    ASSERT_TRUE(h.started());
    media::captureFrames(false);  // reading back every frame's pixels would only slow the run
    media::seedRandom(seed);
    ASSERT_TRUE(writeCachedDocument(h.v(), gnuplotManual, 311, 16));
    const double prepared = secondsSince(start);

    h.open(gnuplotManual);
    ASSERT_TRUE(h.v().document.documentIsCached);
    ASSERT_EQ(h.v().document.pageCount, 311);
    // The first opening builds the sheet from the page JPEGs (the page-file worker, real time).
    ASSERT_TRUE(h.runUntil([&] { return h.v().sheet.sheetReady; }, 2000000, 5));
    ASSERT_GT(h.v().text.pageTexts.size(), 300u);
    const double sheetBuilt = secondsSince(start);

    RandomInput input(h, seed);
    input.tour();
    ASSERT_FALSE(h.v().search.searchHits.empty());
    const long tourFrames = input.frames();
    while (input.frames() < tourFrames + 1000) input.step();
    // The pages decoded ahead and the sharp layer are bounded, there or not by chance at either count.
    media::stopPrefetch();
    endSharpLayer(h.v());
    const long residentAfterThousand = residentKilobytes();
    const long programAfterThousand = programResidentKilobytes();
    const long heapAfterThousand = heapKilobytes();
    const long firstFrames = input.frames();

    const long stride = std::max(totalFrames / 5, 1L);
    long nextReport = stride;
    while (input.frames() < totalFrames && !h.ended()) {
        input.step();
        if (input.frames() >= nextReport) {
            std::printf("soak: %ld frames, %.1f s, VmRSS %ld kB, without the shadow %ld kB, heap %ld kB\n",
                        input.frames(), secondsSince(start), residentKilobytes(), programResidentKilobytes(),
                        heapKilobytes());
            // Opening the same document again goes through the resets while a search may be running.
            h.open(gnuplotManual);
            nextReport += stride;
        }
    }
    media::stopPrefetch();
    endSharpLayer(h.v());
    const long residentAtEnd = residentKilobytes();
    const long programAtEnd = programResidentKilobytes();
    const long heapAtEnd = heapKilobytes();
    std::printf(
        "soak: seed %u, %ld frames (%d about screens, %d detaches); cache %.1f s, sheet %.1f s, "
        "total %.1f s\n",
        seed, input.frames(), input.abouts(), input.detaches(), prepared, sheetBuilt, secondsSince(start));
    auto change = [](long before, long after) { return 100.0 * (after - before) / before; };
    std::printf(
        "soak: after %ld frames (%ld of them the tour) -> at the end: VmRSS %ld -> %ld kB (%+.2f %%), "
        "without the sanitizer's shadow %ld -> %ld kB (%+.2f %%), heap in use %ld -> %ld kB\n",
        firstFrames, tourFrames, residentAfterThousand, residentAtEnd,
        change(residentAfterThousand, residentAtEnd), programAfterThousand, programAtEnd,
        change(programAfterThousand, programAtEnd), heapAfterThousand, heapAtEnd);
    EXPECT_FALSE(h.ended());
    EXPECT_GE(input.frames(), totalFrames);
    // 4 MB of slack: caches that fill once (glyphs, sound, the allocator's size classes) are still
    // growing after 1,000 frames and level off by about 20,000, about 3.5 MB above.
    EXPECT_LE(programAtEnd, programAfterThousand + programAfterThousand / 20 + 4096);
}

// Real conversions, each with the page-file worker running while searches start and finish over and
// over; one conversion is stopped half-way by opening the document again. Under ThreadSanitizer: no
// report.
TEST(SoakThreads, PageFileWorkerAndSearchesAtOnce) {
    Harness h({.realClock = true});
    ASSERT_TRUE(h.started());
    const std::string pdf = makeTemporaryFolder("soak-threads") + "numbered.pdf";
    ASSERT_TRUE(makeNumberedPdf(pdf, 60));
    Viewer& v = h.v();
    // One worker thread, so that the worker runs across several searches however loaded the machine
    // is; the worker's threads among themselves are the worker tests' concern.
    v.conversion.pageFileThreads = 1;

    int searchesDuringWorker = 0;
    // The tool bar's Search stays disabled while converting: the panel is opened directly.
    auto searchUntil = [&](const std::function<bool()>& done, double maxSeconds) {
        eventually([&] { return done() || h.ended(); }, maxSeconds,
                   [&] {
                       if (v.text.pageTexts.empty()) {
                           h.frames(1);
                           return;
                       }
                       v.frame.searchPanelOpen = true;
                       v.frame.searchInputActive = true;
                       if (v.search.searchWord.empty()) {
                           h.type("word1");
                           h.frames(1);
                       }
                       const bool workerBusy = v.conversion.workerRunning.load();
                       requestSearch(h);
                       if (workerBusy && v.search.searchWorkerState.load() != SearchWorker::idle)
                           ++searchesDuringWorker;
                   });
        return done();
    };
    auto sheetReady = [&] { return v.sheet.sheetReady; };

    h.open(pdf);
    ASSERT_TRUE(searchUntil(sheetReady, 180.0));
    // A page's JPEG missing makes the cache incomplete: the next opening converts everything again.
    ASSERT_TRUE(media::deleteFile(v.document.documentCacheFolder + "page-000002.jpg"));
    h.open(pdf);
    ASSERT_TRUE(searchUntil([&] { return v.conversion.workerRunning.load(); }, 180.0));
    h.open(pdf);  // stops the worker half-way; the cache is incomplete again
    ASSERT_TRUE(searchUntil(sheetReady, 180.0));

    v.frame.searchPanelOpen = true;
    v.frame.searchInputActive = true;
    requestSearch(h);
    h.runUntil([&] { return !v.search.searchHits.empty(); }, 100000, 5, 10.0);
    std::printf("soak threads: %d searches started while the page-file worker ran\n", searchesDuringWorker);
    EXPECT_GE(searchesDuringWorker, 3);
    ASSERT_FALSE(v.search.searchHits.empty());
    EXPECT_EQ(v.search.searchHits.front().page, 1);
}
