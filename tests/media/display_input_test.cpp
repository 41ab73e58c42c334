// Input through the media layer's own state: window events one per poll with where they happened,
// double-clicks, touch merged with the mouse, held motion, key releases seen in exactly one read, the
// Escape latch, typed text and mouse motion; clipboard and chooser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "display_window.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/display/display_internal.h"
#include "media/input/input.h"
#include "media/input/input_internal.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/scratch.h"

using namespace media;

namespace {

using Input = DisplayWindow;

TEST_F(Input, WindowEventsComeOutOnePerPollInOrder) {
    feedMouseButton(true, 1);
    feedMouseButton(false, 1);
    feedMouseButton(true, 2);
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftDown);
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftUp);
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftDoubleClick);
    EXPECT_EQ(pollWindowEvent(), WindowEvent::none);
}

// Quick taps: only the second press of a pair is a double-click, the third is a press again. SDL's
// count stops at 255; the pairs go on.
struct ClickRun {
    std::vector<int> clicks;  // the click count of each press, released in between
    std::vector<WindowEvent> presses;
};

void PrintTo(const ClickRun& run, std::ostream* out) {
    *out << "clicks";
    for (int clicks : run.clicks) *out << " " << clicks;
}

class PressesInARow : public DisplayWindow, public testing::WithParamInterface<ClickRun> {};

TEST_P(PressesInARow, EverySecondPressOfARunIsADoubleClick) {
    std::vector<WindowEvent> presses;
    for (int clicks : GetParam().clicks) {
        feedMouseButton(true, clicks);
        EXPECT_TRUE(mouseButton(1));
        presses.push_back(pollWindowEvent());
        feedMouseButton(false, clicks);
        EXPECT_FALSE(mouseButton(1));
        EXPECT_EQ(pollWindowEvent(), WindowEvent::leftUp);
    }
    EXPECT_EQ(presses, GetParam().presses);
}

constexpr WindowEvent down = WindowEvent::leftDown, twice = WindowEvent::leftDoubleClick;
INSTANTIATE_TEST_SUITE_P(
    Input, PressesInARow,
    testing::Values(ClickRun{{1, 2, 3, 4, 5, 6}, {down, twice, down, twice, down, twice}},
                    ClickRun{{1, 2, 1, 1, 2}, {down, twice, down, down, twice}}, ClickRun{{2}, {twice}},
                    ClickRun{{3}, {down}}, ClickRun{{254, 255, 255, 255}, {twice, down, twice, down}}));

// ---- The pointer as the system reports it: constructed SDL events through the media layer's intake.

struct Seen {
    WindowEvent code;
    int x, y;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
    *out << static_cast<int>(seen.code) << "@(" << seen.x << "," << seen.y << ")";
}

std::vector<Seen> drainWindowEvents() {
    std::vector<Seen> seen;
    for (WindowEvent code = pollWindowEvent(); code != WindowEvent::none; code = pollWindowEvent())
        seen.push_back({code, eventX(), eventY()});
    return seen;
}

constexpr Uint32 mouse = 0, touch = SDL_TOUCH_MOUSEID;

SDL_Event motion(Uint32 which, int x, int y, Uint32 time) {
    SDL_Event event{};
    event.motion = {SDL_MOUSEMOTION, time, 1, which, 0, x, y, 0, 0};
    return event;
}

SDL_Event button(Uint32 which, bool down, int x, int y, int clicks, Uint32 time) {
    const Uint32 type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    const Uint8 state = down ? SDL_PRESSED : SDL_RELEASED, count = static_cast<Uint8>(clicks);
    SDL_Event event{};
    event.button = {type, time, 1, which, SDL_BUTTON_LEFT, state, count, 0, x, y};
    return event;
}

// A finger on a touch screen at window pixel (x, y) of the 120 x 80 test window.
SDL_Event finger(bool down, int x, int y, Uint32 time) {
    SDL_Event event{};
    event.tfinger = {
        down ? Uint32{SDL_FINGERDOWN} : Uint32{SDL_FINGERUP}, time, 7, 0, x / 120.0f, y / 80.0f, 0, 0, 1, 1};
    return event;
}

// SDL's whole report of a one-finger tap on a touch screen: finger events and its mouse emulation.
std::vector<SDL_Event> sdlTap(int x, int y, int clicks, Uint32 time) {
    return {finger(true, x, y, time), motion(touch, x, y, time), button(touch, true, x, y, clicks, time),
            finger(false, x, y, time + 40), button(touch, false, x, y, clicks, time + 40)};
}

// The X server's pointer emulation of the same tap.
std::vector<SDL_Event> serverTap(int x, int y, int clicks, Uint32 time) {
    return {motion(mouse, x, y, time), button(mouse, true, x, y, clicks, time),
            button(mouse, false, x, y, clicks, time + 40)};
}

std::vector<SDL_Event> joined(std::initializer_list<std::vector<SDL_Event>> parts) {
    std::vector<SDL_Event> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct PointerBatch {
    const char* name;
    std::vector<SDL_Event> events;  // arriving in one batch, the pointer resting at (5, 5) before
    std::vector<Seen> expected;
};

void PrintTo(const PointerBatch& batch, std::ostream* out) {
    *out << batch.name;
}

class PointerIntake : public DisplayWindow, public testing::WithParamInterface<PointerBatch> {};

TEST_P(PointerIntake, OneContactIsOnePressAndOneReleaseWhereItHappened) {
    feedMouseMove(5, 5);
    readMouse();
    for (const SDL_Event& event : GetParam().events) media::detail::takeInputEvent(event);
    EXPECT_EQ(drainWindowEvents(), GetParam().expected);
    EXPECT_FALSE(mouseButton(1));
    readMouse();
    EXPECT_EQ(heldDeltaX(), 0);  // the jump to a tap is no drag
    EXPECT_EQ(heldDeltaY(), 0);
}

constexpr WindowEvent up = WindowEvent::leftUp;
// The copies below come in the orders the X server and SDL may interleave them.
INSTANTIATE_TEST_SUITE_P(
    Input, PointerIntake,
    testing::Values(
        PointerBatch{"TouchTap", sdlTap(100, 60, 1, 1000), {{down, 100, 60}, {up, 100, 60}}},
        PointerBatch{"TouchTapWithServerCopyInterleaved",
                     {finger(true, 100, 60, 1000), motion(mouse, 100, 60, 1000), motion(touch, 100, 60, 1000),
                      button(mouse, true, 100, 60, 1, 1000), button(touch, true, 100, 60, 2, 1000),
                      finger(false, 100, 60, 1040), button(touch, false, 100, 60, 2, 1040),
                      button(mouse, false, 100, 60, 2, 1040)},
                     {{down, 100, 60}, {up, 100, 60}}},
        PointerBatch{"TouchTapThenServerCopy",
                     joined({sdlTap(100, 60, 1, 1000), serverTap(100, 60, 2, 1050)}),
                     {{down, 100, 60}, {up, 100, 60}}},
        PointerBatch{"ServerCopyThenTouchTap",
                     joined({serverTap(100, 60, 1, 1000), sdlTap(101, 60, 2, 1050)}),
                     {{down, 100, 60}, {up, 100, 60}}},
        PointerBatch{
            "DoubleTapTwiceReportedThenAThirdTap",
            joined({sdlTap(30, 30, 1, 1000), serverTap(30, 30, 2, 1050), sdlTap(30, 31, 3, 1200),
                    serverTap(30, 31, 4, 1250), sdlTap(31, 31, 5, 1400), serverTap(31, 31, 6, 1450)}),
            {{down, 30, 30}, {up, 30, 30}, {twice, 30, 31}, {up, 30, 31}, {down, 31, 31}, {up, 31, 31}}},
        PointerBatch{"MouseClickElsewhereJustAfterATapCounts",
                     joined({sdlTap(100, 60, 1, 1000), serverTap(20, 20, 1, 1100)}),
                     {{down, 100, 60}, {up, 100, 60}, {down, 20, 20}, {up, 20, 20}}},
        PointerBatch{"MouseClickOnTheSpotLaterCounts",
                     joined({sdlTap(100, 60, 1, 1000), serverTap(100, 60, 1, 2000)}),
                     {{down, 100, 60}, {up, 100, 60}, {down, 100, 60}, {up, 100, 60}}},
        PointerBatch{"LostReleaseOfTheCopyLeavesNoButtonHeld",
                     {motion(touch, 40, 40, 1000), button(touch, true, 40, 40, 1, 1000),
                      button(mouse, true, 40, 40, 2, 1001), button(touch, false, 40, 40, 1, 1040)},
                     {{down, 40, 40}, {up, 40, 40}}},
        PointerBatch{"TouchpadFingersAlonePressNothing",
                     {finger(true, 50, 50, 1000), finger(false, 50, 50, 1040)},
                     {}},
        PointerBatch{"PressElsewhereAfterALostTouchReleaseIsANewContact",
                     {motion(touch, 10, 10, 1000), button(touch, true, 10, 10, 1, 1000),
                      button(mouse, true, 90, 70, 1, 3000), button(mouse, false, 90, 70, 1, 3040),
                      button(touch, false, 10, 10, 1, 3100)},
                     {{down, 10, 10}, {down, 90, 70}, {up, 90, 70}}}),
    testing::PrintToStringParamName());

// A touch drag reported twice moves the pointer once: the lagging copy neither adds nor takes motion.
TEST_F(Input, TouchDragSeenTwiceIsOneDragOfTheOwnersMotion) {
    feedMouseMove(5, 5);
    readMouse();
    for (const SDL_Event& event :
         {motion(touch, 50, 40, 1000), button(touch, true, 50, 40, 1, 1000), motion(mouse, 50, 40, 1001),
          button(mouse, true, 50, 40, 2, 1001), motion(touch, 70, 40, 1020), motion(mouse, 60, 40, 1021),
          motion(touch, 90, 50, 1040), motion(mouse, 80, 45, 1041)})
        media::detail::takeInputEvent(event);
    readMouse();
    EXPECT_EQ(std::make_pair(heldDeltaX(), heldDeltaY()), std::make_pair(40, 10));
    EXPECT_EQ(std::make_pair(mouseX(), mouseY()), std::make_pair(90, 50));
    for (const SDL_Event& event : {button(touch, false, 95, 50, 1, 1060), motion(mouse, 95, 50, 1061),
                                   button(mouse, false, 95, 50, 2, 1061), motion(mouse, 110, 70, 1900)})
        media::detail::takeInputEvent(event);
    readMouse();
    EXPECT_EQ(heldDeltaX(), 5);  // up to the release, not the copy's motion after it
    EXPECT_EQ(mouseX(), 110);    // the mouse moves the pointer again once the copy is over
    EXPECT_EQ(drainWindowEvents(), (std::vector<Seen>{{down, 50, 40}, {up, 95, 50}}));
}

// A press is judged where it happened: the jump that brings the pointer there is motion, but no drag.
TEST_F(Input, JumpAndPressKeepsThePressPlaceAndOnlyHeldMotionIsADrag) {
    feedMouseMove(10, 10);
    readMouse();
    feedMouseButtonAt(107, 60, true, 1);
    readMouse();
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftDown);
    EXPECT_EQ(std::make_pair(eventX(), eventY()), std::make_pair(107, 60));
    EXPECT_EQ(std::make_pair(mouseDeltaX(), mouseDeltaY()), std::make_pair(97, 50));
    EXPECT_EQ(std::make_pair(heldDeltaX(), heldDeltaY()), std::make_pair(0, 0));
    feedMouseMove(100, 62);
    feedMouseMove(98, 65);
    feedMouseButtonAt(97, 66, false, 1);
    feedMouseMove(40, 40);
    readMouse();
    EXPECT_EQ(std::make_pair(heldDeltaX(), heldDeltaY()), std::make_pair(-10, 6));
    EXPECT_EQ(mouseDeltaX(), -67);
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftUp);
    EXPECT_EQ(std::make_pair(eventX(), eventY()), std::make_pair(97, 66));
    EXPECT_EQ(pollWindowEvent(), WindowEvent::none);
    EXPECT_EQ(std::make_pair(eventX(), eventY()), std::make_pair(40, 40));
}

TEST_F(Input, KeyReleasedIsTrueInExactlyOneRead) {
    feedKey(scan::c, true);
    readKeyboard();
    EXPECT_TRUE(keyDown(scan::c));
    EXPECT_FALSE(keyReleased(scan::c));
    feedKey(scan::c, false);
    readKeyboard();
    EXPECT_FALSE(keyDown(scan::c));
    EXPECT_TRUE(keyReleased(scan::c));
    EXPECT_TRUE(keyReleased(scan::c));  // asking twice within one read
    readKeyboard();
    EXPECT_FALSE(keyReleased(scan::c));
}

// A quick tap (Control held, C pressed and released within one frame) must still be seen.
TEST_F(Input, ATapBetweenTwoReadsCountsAsDownAndReleasedInThatReadOnly) {
    feedKey(scan::enter, true);
    feedKey(scan::enter, false);
    readKeyboard();
    EXPECT_TRUE(keyDown(scan::enter));
    EXPECT_TRUE(keyReleased(scan::enter));
    readKeyboard();
    EXPECT_FALSE(keyDown(scan::enter));
    EXPECT_FALSE(keyReleased(scan::enter));
    EXPECT_FALSE(keyDown(0));
    EXPECT_FALSE(keyReleased(999));
    EXPECT_FALSE(keyDown(-3));
}

// A held key turns pages at the system's typing rate: each repeat is a press of its own. A press with
// Control is known as such even when Control goes up before the next read. Wheel notches add up until
// the mouse is read.
TEST_F(Input, KeyPressesAndRepeatsAreSeenInOneReadEachAndWheelNotchesPerReadOfTheMouse) {
    SDL_Event event{};
    event.key = SDL_KeyboardEvent{SDL_KEYDOWN, 0, 0, SDL_PRESSED, 0, 0, 0, {SDL_SCANCODE_PAGEDOWN, 0, 0, 0}};
    media::detail::takeInputEvent(event);
    readKeyboard();
    EXPECT_TRUE(keyPressed(scan::pageDown));
    readKeyboard();
    EXPECT_FALSE(keyPressed(scan::pageDown));  // held, not pressed again
    event.key.repeat = 1;
    media::detail::takeInputEvent(event);
    readKeyboard();
    EXPECT_TRUE(keyPressed(scan::pageDown));
    EXPECT_FALSE(keyPressedWithControl(scan::pageDown));
    feedKey(scan::rightControl, true);
    readKeyboard();
    feedKey(scan::minus, true);  // Control let go again before the next read: still pressed with it
    feedKey(scan::rightControl, false);
    feedKey(scan::zero, true);
    readKeyboard();
    EXPECT_TRUE(keyPressedWithControl(scan::minus));
    EXPECT_FALSE(keyPressedWithControl(scan::zero));
    event = SDL_Event{};
    event.wheel.type = SDL_MOUSEWHEEL;
    event.wheel.y = -1;
    media::detail::takeInputEvent(event);
    media::detail::takeInputEvent(event);
    feedMouseWheel(3);
    readMouse();
    EXPECT_EQ(mouseWheel(), 1);
    readMouse();
    EXPECT_EQ(mouseWheel(), 0);
}

TEST_F(Input, EscapeIsLatchedUntilTheNextQuery) {
    EXPECT_FALSE(escapePressed());
    feedKey(scan::escape, true);
    feedKey(scan::escape, false);
    EXPECT_TRUE(escapePressed());
    EXPECT_FALSE(escapePressed());
    feedKey(scan::escape, true);
    EXPECT_TRUE(escapePressed());
    EXPECT_TRUE(escapePressed());  // still held
}

TEST_F(Input, TypedTextGathersEverythingSinceThePreviousRead) {
    feedText("a");
    feedText("\xC3\xA9");
    readKeyboard();
    EXPECT_EQ(typedCharacter(), "a\xC3\xA9");
    readKeyboard();
    EXPECT_EQ(typedCharacter(), "");
}

TEST_F(Input, MouseDeltaIsTheMotionSinceThePreviousRead) {
    feedMouseMove(10, 20);
    readMouse();
    feedMouseMove(15, 12);
    feedMouseMove(17, 11);
    readMouse();
    EXPECT_EQ(std::make_pair(mouseX(), mouseY()), std::make_pair(17, 11));
    EXPECT_EQ(std::make_pair(mouseDeltaX(), mouseDeltaY()), std::make_pair(7, -9));
    readMouse();
    EXPECT_EQ(mouseDeltaX(), 0);
    placeMouse(60, 40);
    readMouse();
    EXPECT_EQ(mouseX(), 60);
    EXPECT_EQ(mouseDeltaX(), 0);  // placing the pointer is no motion of the user's
}

TEST_F(Input, ResetForgetsQueuedEventsAndKeys) {
    feedMouseButton(true, 1);
    feedKey(scan::tab, true);
    feedText("x");
    resetInput();
    readKeyboard();
    EXPECT_EQ(pollWindowEvent(), WindowEvent::none);
    EXPECT_FALSE(keyDown(scan::tab));
    EXPECT_EQ(typedCharacter(), "");
    EXPECT_FALSE(mouseButton(1));
}

TEST_F(Input, FlipTakesPendingEventsWithoutLosingQueuedOnes) {
    feedMouseButton(true, 1);
    flipDisplay();
    flipDisplay();
    EXPECT_EQ(pollWindowEvent(), WindowEvent::leftDown);
}

TEST_F(Input, ClipboardKeepsUtf8Text) {
    setClipboardText("Seite \xE2\x82\xAC 1\nzwei");
    EXPECT_EQ(clipboardText(), "Seite \xE2\x82\xAC 1\nzwei");
}

TEST_F(Input, MessageBoxOnTheDummyDriverReturnsAtOnce) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy")
        GTEST_SKIP() << "a real box would wait for a click";
    testing::internal::CaptureStderr();
    messageBox("Error!", "A test message, also on standard error.");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("A test message, also on standard error."),
              std::string::npos);
}

TEST_F(Input, ChooserNamedByTheEnvironmentGivesTheFirstLineOfItsOutput) {
    const std::string script = testing::TempDir() + "pagewell_chooser_test.sh";
    writeScript(script, "echo '/some where/file.pdf'\necho second line\n");
    setenv("PAGEWELL_FILE_DIALOG", script.c_str(), 1);
    bool available = false;
    const std::string chosen = chooseFileToOpen("Open", "", "PDF (*.pdf)|*.pdf", &available);
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    EXPECT_TRUE(available);
    EXPECT_EQ(chosen, "/some where/file.pdf");
}

TEST_F(Input, ChooserThatCannotRunIsReportedUnavailable) {
    setenv("PAGEWELL_FILE_DIALOG", "/nonexistent/chooser", 1);
    bool available = true;
    EXPECT_EQ(chooseFileToOpen("Open", "", "PDF (*.pdf)|*.pdf", &available), "");
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    EXPECT_FALSE(available);
}

}  // namespace
