// Drives the whole viewer in one process for frame tests: SDL's dummy video driver with the software
// renderer, input fed through the media layer, a clock the test moves.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "context/viewer.h"
#include "media/media.h"

struct HarnessOptions {
    int desktopWidth = 1080;
    int desktopHeight = 1920;
    bool realClock = false;              // end-to-end tests with the real tool programs need real time
    bool withConfiguration = true;       // copy Pagewell.ini into the program folder
    bool withTools = true;               // link the real tool folder into the program folder
    std::string configurationText = {};  // when set, written as Pagewell.ini instead of the shipped one
};

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

    void moveTo(int x, int y);  // the pointer moves (fed input)
    void press();               // left button down (one click)
    void release();             // left button up
    void doubleClick();         // left button down as a double-click
    void keyDown(int scanCode);
    void keyUp(int scanCode);
    void type(const std::string& utf8);  // text input
    void pressEscape();

    // Opens a document through the normal opening steps, as if chosen in the file chooser.
    void open(const std::string& pdfPath);
    // RGB of the last presented frame.
    media::Colour pixel(int x, int y) const;

private:
    HarnessOptions options_;
    std::string programFolder_;
    std::unique_ptr<Viewer> viewer_;
    bool started_ = false;
    bool ended_ = false;
};

// Every page has its JPEG, no page PNG is left and nothing runs in the background any more.
bool conversionFinished(Viewer& v, int pages);

// A fresh, empty temporary folder for a test, removed at exit of the test program.
std::string makeTemporaryFolder(const std::string& prefix);
