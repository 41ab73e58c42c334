// The media layer's input room: window events, the pointer, the wheel and the keys, read once a
// frame, or fed by a test. Main thread.
#pragma once

#include <string>

namespace media {

// Window events of the left button: one per call, none when there is none. A press is leftDown,
// except the second press of a pair (SDL's click count 2, 4, 6 ...), which is leftDoubleClick. A touch
// is one press and one release, however many ways the system reports it.
enum class WindowEvent { none, leftDown, leftUp, leftDoubleClick };
WindowEvent pollWindowEvent();
// Where the event last handed out by pollWindowEvent happened, in window pixels: a touch's press is
// there even when the pointer jumped to it in the same frame. After a poll that gave none: the pointer then.
int eventX();
int eventY();
void pumpEvents();  // takes all pending system events into the media layer's state

// ---------------------------------------------------------------------------------------------
// Input. Read once per frame. Keys are PC scan codes (left Control 29, C 46, Backspace 14, Enter 28,
// Escape 1, ...). A test can feed input through the feed* functions instead of the system.
void readMouse();
int mouseX();
int mouseY();
int mouseDeltaX();  // change since the previous readMouse
int mouseDeltaY();
// The motion made with the left button held, since the previous readMouse: the drag, without the jump
// that brought the pointer to the press (a touch lands somewhere new) and without motion after release.
int heldDeltaX();
int heldDeltaY();
bool mouseButton(int which);  // 1 left, 2 right, 3 middle: down now
void placeMouse(int x, int y);
bool escapePressed();  // down now, or went down since the previous query
void readKeyboard();
bool keyDown(int scanCode);
bool keyReleased(int scanCode);  // true in exactly one read after the key went up
// True in exactly one read after the key went down or, held, repeated at the system's typing rate.
bool keyPressed(int scanCode);
// The same, counting only presses made while either Control key was down (and perhaps let go since).
bool keyPressedWithControl(int scanCode);
std::string typedCharacter();  // UTF-8 text typed since the previous read, or empty
// Wheel notches turned since the previous readMouse: positive away from the user, negative toward.
int mouseWheel();
// Presses of the mouse's back button (the first side button) since the previous readMouse.
int mouseBackPresses();
// The same as keyPressedWithControl, for presses made while either Alt key was down.
bool keyPressedWithAlt(int scanCode);
namespace scan {
constexpr int escape = 1, zero = 11, minus = 12, equals = 13, backspace = 14, tab = 15, o = 24, enter = 28,
              leftControl = 29, c = 46, leftAlt = 56, space = 57, keypadMinus = 74, keypadPlus = 78,
              keypadZero = 82, keypadEnter = 156, rightControl = 157, rightAlt = 184, home = 199, up = 200,
              pageUp = 201, left = 203, right = 205, end = 207, down = 208, pageDown = 209, g = 34;
}
void feedMouseMove(int x, int y);  // motion; held motion while the left button is down
void feedMouseButton(bool down,
                     int clicks);  // left button where the pointer is; clicks 2, 4, ... is a double-click
// The pointer jumps to (x, y) and the left button changes there, as a touch does: the jump is not
// held motion, and the press is judged at (x, y) whatever the pointer's previous place.
void feedMouseButtonAt(int x, int y, bool down, int clicks);
void feedMouseWheel(int notches);       // positive away from the user
void feedMouseBackButton();             // one press of the back button
void feedKey(int scanCode, bool down);  // a down while the key is down is a repeat
void feedText(const std::string& utf8);
void resetInput();  // forgets all input state and queued events

}  // namespace media
