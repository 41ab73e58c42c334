// The pointer: its position, motion and wheel, the left button's window events queued with the place
// each happened at, and a touch screen merged with the mouse into one pointer.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <deque>

#include "media/display/display_internal.h"
#include "media/input/input.h"
#include "media/input/input_internal.h"
#include "media/system/system.h"

namespace media {

namespace {

// Where a pointer event came from: the system's mouse (with any pointer emulation by the X server),
// or SDL's mouse emulation of a touch screen.
enum Source { fromMouse = 0, fromTouch = 1 };

// One touch can reach the program twice, from SDL's emulation and from the X server's. A copy that
// arrives after the contact it copies has ended is known by arriving this soon and this close.
constexpr Uint32 echoMilliseconds = 500;
constexpr int echoRadius = 8;

struct QueuedEvent {
    WindowEvent code;
    int x, y;  // where it happened
};

// The left button as one button over both sources. A contact lasts from its owner's press to its
// owner's release; the other source's copy of it is taken in silence.
struct LeftButton {
    std::array<bool, 2> held{};      // by source
    std::array<bool, 2> echo{};      // a copy of an ended contact is being dropped, up to its release
    std::array<bool, 2> involved{};  // sources that took part in the current or last contact
    int owner = fromMouse;           // the source whose press began the current contact
    bool ended = false;              // a contact has ended: the fields below are set
    Uint32 endTime = 0;
    int startX = 0, startY = 0;  // where that contact's press happened
};

struct PointerState {
    std::deque<QueuedEvent> events;  // window events not yet handed out
    int eventX = 0, eventY = 0;      // where the event last handed out happened
    int x = 0, y = 0;                // the pointer now
    int readX = 0, readY = 0;        // at the last readMouse
    int deltaX = 0, deltaY = 0;
    int heldX = 0, heldY = 0;  // motion with the left button held, gathered since the last readMouse
    int heldDeltaX = 0, heldDeltaY = 0;
    int wheel = 0, readWheel = 0;              // notches since the last readMouse, and at it
    int backPresses = 0, readBackPresses = 0;  // the back button's presses, the same way
    std::array<bool, 4> buttons{};             // 1 left, 2 right, 3 middle
    LeftButton left;
    bool clickChain = false;  // SDL's click count is running
    int chainPresses = 0;     // presses taken since it began
};

PointerState& pointer() {
    static PointerState state;
    return state;
}

bool contactHeld(const LeftButton& left) {
    return left.held[fromMouse] || left.held[fromTouch];
}

// Whether an event of this source copies the contact that has just ended.
bool copiesEndedContact(const LeftButton& left, int source, Uint32 time) {
    return left.ended && !left.involved[source] &&
           static_cast<Uint32>(time - left.endTime) <= echoMilliseconds;
}

bool nearContactStart(const LeftButton& left, int x, int y) {
    return std::abs(x - left.startX) <= echoRadius && std::abs(y - left.startY) <= echoRadius;
}

// One motion stream: during a contact only its owner moves the pointer, and for a moment after it the
// other source's copy of it is still arriving.
bool motionIgnored(int source, Uint32 time) {
    const LeftButton& left = pointer().left;
    if (contactHeld(left)) return source != left.owner;
    return left.ended && source != left.owner && static_cast<Uint32>(time - left.endTime) <= echoMilliseconds;
}

// Motion made with the left button held is gathered apart: it is the drag, not the jump to a press.
void moveTo(int x, int y) {
    PointerState& state = pointer();
    if (state.buttons[1]) {
        state.heldX += x - state.x;
        state.heldY += y - state.y;
    }
    state.x = x;
    state.y = y;
}

// A press that is not taken still advanced SDL's click count; one that began the count begins ours.
void dropPress(int clicks) {
    PointerState& state = pointer();
    if (clicks > 1) return;
    state.clickChain = true;
    state.chainPresses = 0;
}

// The presses taken since the click count began decide: every second one is a double-click. Counting
// them ourselves keeps dropped copies out and goes on past SDL's limit of 255.
int takePressCount(int clicks) {
    PointerState& state = pointer();
    int presses = clicks > 1 && state.clickChain ? state.chainPresses + 1 : std::max(clicks, 1);
    state.clickChain = true;
    state.chainPresses = presses;
    return presses;
}

// A press by the other source where the held contact is, or where one that has just ended began,
// is that contact seen twice. A press elsewhere is a new contact even if a release went missing.
bool copiesContact(int source, int x, int y, Uint32 time) {
    const PointerState& state = pointer();
    const LeftButton& left = state.left;
    bool nearCurrent = std::abs(x - state.x) <= echoRadius && std::abs(y - state.y) <= echoRadius;
    if (contactHeld(left)) return left.owner != source && (nearCurrent || nearContactStart(left, x, y));
    return copiesEndedContact(left, source, time) && nearContactStart(left, x, y);
}

void pressLeft(int source, int x, int y, int clicks, Uint32 time) {
    PointerState& state = pointer();
    LeftButton& left = state.left;
    if (copiesContact(source, x, y, time)) {
        bool held = contactHeld(left);
        left.held[source] = left.held[source] || held;
        left.involved[source] = left.involved[source] || held;
        left.echo[source] = !held;
        dropPress(clicks);
        return;
    }
    state.buttons[1] = false;  // a contact whose release went missing ends here; the jump is no drag
    moveTo(x, y);
    left = LeftButton{};
    left.owner = source;
    left.startX = x;
    left.startY = y;
    left.held[source] = true;
    left.involved[source] = true;
    state.buttons[1] = true;
    state.events.push_back(
        {takePressCount(clicks) % 2 == 0 ? WindowEvent::leftDoubleClick : WindowEvent::leftDown, x, y});
}

// The owner's release ends the contact at once; a copy still held then lets go unseen, so a copy's
// lost release cannot keep the button down.
void releaseLeft(int source, int x, int y, Uint32 time) {
    PointerState& state = pointer();
    LeftButton& left = state.left;
    if (left.echo[source]) {
        left.echo[source] = false;
        return;
    }
    bool matched = left.held[source];
    if (matched && source != left.owner) {
        left.held[source] = false;
        return;
    }
    // A release whose press was never seen: only the mouse's counts, and not as a copy of a touch.
    if (!matched && (source == fromTouch || contactHeld(left) || copiesEndedContact(left, source, time)))
        return;
    moveTo(x, y);
    const int other = 1 - source;
    left.echo[other] = left.echo[other] || left.held[other];
    left.held = {};
    state.buttons[1] = false;
    if (matched) {
        left.ended = true;
        left.endTime = time;
    }
    state.events.push_back({WindowEvent::leftUp, x, y});
}

void changeButton(int which, bool down, int source, int x, int y, int clicks, Uint32 time) {
    if (which == 1) {
        if (down) pressLeft(source, x, y, clicks, time);
        if (!down) releaseLeft(source, x, y, time);
        return;
    }
    if (which < 2 || which > 3) return;
    pointer().buttons[which] = down;
}

int sdlButton(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

int sourceOf(Uint32 which) {
    return which == SDL_TOUCH_MOUSEID ? fromTouch : fromMouse;
}

}  // namespace

namespace detail {

// Touch arrives through SDL's mouse emulation, which carries the contact in window pixels with SDL's
// click count; SDL's finger events are left alone: taking both would count every touch twice, and a
// touchpad's fingers must not press.
void takePointerEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (!motionIgnored(sourceOf(event.motion.which), event.motion.timestamp))
                moveTo(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_X1)
                feedMouseBackButton();
            changeButton(sdlButton(event.button.button), event.type == SDL_MOUSEBUTTONDOWN,
                         sourceOf(event.button.which), event.button.x, event.button.y, event.button.clicks,
                         event.button.timestamp);
            break;
        // SDL's mark of a reversed wheel is not undone: a user who chose "natural" scrolling keeps it here.
        case SDL_MOUSEWHEEL:
            pointer().wheel += event.wheel.y;
            break;
        default:
            break;
    }
}

void resetPointer() {
    pointer() = PointerState{};
}

}  // namespace detail

WindowEvent pollWindowEvent() {
    PointerState& state = pointer();
    if (state.events.empty()) pumpEvents();
    if (state.events.empty()) {
        state.eventX = state.x;
        state.eventY = state.y;
        return WindowEvent::none;
    }
    QueuedEvent event = state.events.front();
    state.events.pop_front();
    state.eventX = event.x;
    state.eventY = event.y;
    return event.code;
}

int eventX() {
    return pointer().eventX;
}
int eventY() {
    return pointer().eventY;
}

void readMouse() {
    PointerState& state = pointer();
    state.deltaX = state.x - state.readX;
    state.deltaY = state.y - state.readY;
    state.readX = state.x;
    state.readY = state.y;
    state.heldDeltaX = state.heldX;
    state.heldDeltaY = state.heldY;
    state.heldX = 0;
    state.heldY = 0;
    state.readWheel = state.wheel;
    state.wheel = 0;
    state.readBackPresses = state.backPresses;
    state.backPresses = 0;
}

int mouseX() {
    return pointer().readX;
}
int mouseY() {
    return pointer().readY;
}
int mouseDeltaX() {
    return pointer().deltaX;
}
int mouseDeltaY() {
    return pointer().deltaY;
}
int heldDeltaX() {
    return pointer().heldDeltaX;
}
int heldDeltaY() {
    return pointer().heldDeltaY;
}

int mouseWheel() {
    return pointer().readWheel;
}

int mouseBackPresses() {
    return pointer().readBackPresses;
}

bool mouseButton(int which) {
    return which >= 1 && which <= 3 && pointer().buttons[which];
}

void placeMouse(int x, int y) {
    SDL_Window* window = detail::display().window;
    if (window != nullptr) SDL_WarpMouseInWindow(window, x, y);
    PointerState& state = pointer();
    state.x = x;
    state.y = y;
    state.readX = x;
    state.readY = y;
}

void feedMouseMove(int x, int y) {
    moveTo(x, y);
}

void feedMouseWheel(int notches) {
    pointer().wheel += notches;
}

void feedMouseBackButton() {
    ++pointer().backPresses;
}

void feedMouseButton(bool down, int clicks) {
    PointerState& state = pointer();
    changeButton(1, down, fromMouse, state.x, state.y, clicks, SDL_GetTicks());
}

void feedMouseButtonAt(int x, int y, bool down, int clicks) {
    changeButton(1, down, fromMouse, x, y, clicks, SDL_GetTicks());
}

}  // namespace media
