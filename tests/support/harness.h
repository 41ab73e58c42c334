// Drives the whole viewer in one process for frame tests: SDL's dummy video driver with the software
// renderer, input fed through the media layer, a clock the test moves.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "context/viewer.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"

// How the test's pointer reaches a place. A mouse moves there (the viewer sees it in the frames
// before it presses); a finger lands there: the pointer jumps and presses in the same frame, and only
// a drag with the finger down is motion.
enum class PointerStyle { mouse, touch };

struct HarnessOptions {
    int desktopWidth = 1080, desktopHeight = 1920;
    bool realClock = false;              // end-to-end tests with the real tool programs need real time
    bool withConfiguration = true;       // copy Pagewell.ini into the program folder
    bool withTools = true;               // link the real tool folder into the program folder
    std::string configurationText = {};  // when set, written as Pagewell.ini instead of the shipped one
    PointerStyle pointer = PointerStyle::mouse;
    // The viewer makes what no first frame shows over its first frames; tests get all of it at once
    // unless they look at that order.
    bool laterSpritesAtStart = true;
    // A document named on the command line: start-up knows of it, and it opens before the first frame.
    std::string documentAtStart = {};
    // The program folder (with its cache) of an earlier harness, as a later run of the program finds
    // it, laid out as a program folder where it is not yet; empty: a fresh one.
    std::string programFolder = {};
};

// Frame suites that must hold for either pointer run once with each:
// INSTANTIATE_TEST_SUITE_P(Pointer, Fixture, pointerStyles, pointerStyleName).
inline const auto pointerStyles = ::testing::Values(PointerStyle::mouse, PointerStyle::touch);
inline HarnessOptions withPointer(PointerStyle style, HarnessOptions options = {}) {
    options.pointer = style;
    return options;
}
inline void PrintTo(PointerStyle style, std::ostream* out) {
    *out << (style == PointerStyle::touch ? "touch" : "mouse");
}
inline std::string pointerStyleName(const ::testing::TestParamInfo<PointerStyle>& info) {
    return info.param == PointerStyle::touch ? "Touch" : "Mouse";
}

class Harness {
public:
    explicit Harness(HarnessOptions options = {});
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    Viewer& v() { return *viewer_; }
    const std::string& programFolder() const { return programFolder_; }
    bool started() const { return started_; }
    bool ended() const { return ended_; }  // a frame returned false (Escape, Exit)

    // Runs frames, moving the test clock by msPerFrame before each (with the real clock: none).
    void frames(int count, int msPerFrame = 5);
    void advance(int ms);  // moves the test clock without running a frame
    // Runs frames until done() or maxFrames; with the real clock it also gives up after maxSeconds.
    bool runUntil(const std::function<bool()>& done, int maxFrames = 100000, int msPerFrame = 5,
                  double maxSeconds = 120.0);

    PointerStyle pointerStyle() const { return pointer_; }
    void usePointer(PointerStyle style) { pointer_ = style; }
    bool hoversBeforePress() const { return pointer_ == PointerStyle::mouse; }

    // Mouse: the pointer moves (fed motion). Touch: where the finger lands next, or, while it is
    // down, the drag to there (fed motion).
    void moveTo(int x, int y);
    // Left button down; clicks is the system's count of quick presses at one place (2, 4, ... make
    // a double-click). A finger that lands away from where the viewer last saw the pointer is held
    // back one frame by the viewer so that it can hover there first: that frame runs here, taking no
    // time, so that a test's next frame handles the press whichever the pointer style.
    void press(int clicks = 1);
    void release();  // left button up, where the pointer (or the finger) is
    void doubleClick() { press(2); }
    // Hover, press and release over a point, one event per frame as the loop takes them.
    void clickAt(int x, int y);
    // The viewer shows page 1 of a document whose page files are already in cacheFolder, as a cached
    // opening leaves it (no frame run).
    void showCachedPages(const std::string& cacheFolder, int pageCount);
    void keyDown(int scanCode) { media::feedKey(scanCode, true); }
    void keyUp(int scanCode) { media::feedKey(scanCode, false); }
    void tapKey(int scanCode);                                     // down and up, then a frame that takes it
    void type(const std::string& utf8) { media::feedText(utf8); }  // text input
    void pressKeys(std::initializer_list<int> keys);  // down in one frame, up in the next (one or a chord)
    void pressEscape() {
        keyDown(media::scan::escape);
        keyUp(media::scan::escape);
    }

    // Opens a document through the normal opening steps, as if chosen in the file chooser.
    void open(const std::string& pdfPath);
    // RGB of the last presented frame.
    media::Colour pixel(int x, int y) const { return media::capturedPixel(x, y); }

private:
    HarnessOptions options_;
    std::string programFolder_;
    std::unique_ptr<Viewer> viewer_;
    bool started_ = false;
    bool ended_ = false;
    PointerStyle pointer_ = PointerStyle::mouse;
    int fingerX_ = 0, fingerY_ = 0;  // where the finger is or lands next
    bool fingerDown_ = false;
};

// A test with a freshly started viewer of the default options; it stops at once when start-up failed.
class StartedViewer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.started()); }
    Harness h;
};

// The pixels of a rectangle of a sprite, row by row.
std::vector<media::Colour> spritePixels(int sprite, int x, int y, int width, int height);

// Every page has its JPEG, no page PNG is left and nothing runs in the background any more.
bool conversionFinished(Viewer& v, int pages);

// A fresh, empty temporary folder for a test, removed at exit of the test program.
std::string makeTemporaryFolder(const std::string& prefix);
