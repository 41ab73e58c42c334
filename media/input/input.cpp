// The keyboard, and the intake of SDL's input events (or a test's fed input) into the media layer's
// own state, read once a frame; keys named by PC scan codes. The pointer's side is in pointer.cpp.
#include "media/input/input.h"

#include <SDL.h>

#include <array>
#include <string>

#include "media/display/display_internal.h"
#include "media/input/input_internal.h"
#include "media/system/system.h"

namespace media {

namespace {

constexpr int keyCount = 256;

struct InputState {
    std::array<bool, keyCount> down{};
    std::array<bool, keyCount> releasedSinceRead{};
    std::array<bool, keyCount> pressedSinceRead{};  // a tap between two reads still counts as down
    // Pressed while a Control key was down: Control may well be let go again before the next read.
    std::array<bool, keyCount> pressedWithControlSinceRead{};
    std::array<bool, keyCount> pressedWithAltSinceRead{};
    std::array<bool, keyCount> readDown{};
    std::array<bool, keyCount> readPressed{};
    std::array<bool, keyCount> readPressedWithControl{};
    std::array<bool, keyCount> readPressedWithAlt{};
    std::array<bool, keyCount> readReleased{};
    std::string textSinceRead;
    std::string readText;
    bool escapeLatched = false;
};

InputState& input() {
    static InputState state;
    return state;
}

// SDL scancodes (USB numbering) to PC set-1 scan codes; keys with an E0 prefix get 128 added.
std::array<int, SDL_NUM_SCANCODES> makeScanTable() {
    std::array<int, SDL_NUM_SCANCODES> table{};
    const int letters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                             49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = letters[i];
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_1 + i] = 2 + i;
    table[SDL_SCANCODE_0] = 11;
    for (int i = 0; i < 10; ++i) table[SDL_SCANCODE_F1 + i] = 59 + i;
    const std::pair<SDL_Scancode, int> others[] = {
        {SDL_SCANCODE_ESCAPE, 1},        {SDL_SCANCODE_MINUS, 12},       {SDL_SCANCODE_EQUALS, 13},
        {SDL_SCANCODE_BACKSPACE, 14},    {SDL_SCANCODE_TAB, 15},         {SDL_SCANCODE_LEFTBRACKET, 26},
        {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28},      {SDL_SCANCODE_LCTRL, 29},
        {SDL_SCANCODE_SEMICOLON, 39},    {SDL_SCANCODE_APOSTROPHE, 40},  {SDL_SCANCODE_GRAVE, 41},
        {SDL_SCANCODE_LSHIFT, 42},       {SDL_SCANCODE_BACKSLASH, 43},   {SDL_SCANCODE_NONUSHASH, 43},
        {SDL_SCANCODE_COMMA, 51},        {SDL_SCANCODE_PERIOD, 52},      {SDL_SCANCODE_SLASH, 53},
        {SDL_SCANCODE_RSHIFT, 54},       {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_LALT, 56},
        {SDL_SCANCODE_SPACE, 57},        {SDL_SCANCODE_CAPSLOCK, 58},    {SDL_SCANCODE_NUMLOCKCLEAR, 69},
        {SDL_SCANCODE_SCROLLLOCK, 70},   {SDL_SCANCODE_KP_7, 71},        {SDL_SCANCODE_KP_8, 72},
        {SDL_SCANCODE_KP_9, 73},         {SDL_SCANCODE_KP_MINUS, 74},    {SDL_SCANCODE_KP_4, 75},
        {SDL_SCANCODE_KP_5, 76},         {SDL_SCANCODE_KP_6, 77},        {SDL_SCANCODE_KP_PLUS, 78},
        {SDL_SCANCODE_KP_1, 79},         {SDL_SCANCODE_KP_2, 80},        {SDL_SCANCODE_KP_3, 81},
        {SDL_SCANCODE_KP_0, 82},         {SDL_SCANCODE_KP_PERIOD, 83},   {SDL_SCANCODE_NONUSBACKSLASH, 86},
        {SDL_SCANCODE_F11, 87},          {SDL_SCANCODE_F12, 88},         {SDL_SCANCODE_KP_ENTER, 156},
        {SDL_SCANCODE_RCTRL, 157},       {SDL_SCANCODE_KP_DIVIDE, 181},  {SDL_SCANCODE_PRINTSCREEN, 183},
        {SDL_SCANCODE_RALT, 184},        {SDL_SCANCODE_PAUSE, 197},      {SDL_SCANCODE_HOME, 199},
        {SDL_SCANCODE_UP, 200},          {SDL_SCANCODE_PAGEUP, 201},     {SDL_SCANCODE_LEFT, 203},
        {SDL_SCANCODE_RIGHT, 205},       {SDL_SCANCODE_END, 207},        {SDL_SCANCODE_DOWN, 208},
        {SDL_SCANCODE_PAGEDOWN, 209},    {SDL_SCANCODE_INSERT, 210},     {SDL_SCANCODE_DELETE, 211},
        {SDL_SCANCODE_LGUI, 219},        {SDL_SCANCODE_RGUI, 220},       {SDL_SCANCODE_APPLICATION, 221},
    };
    for (const auto& [scancode, pc] : others) table[scancode] = pc;
    return table;
}

int pcScanCode(SDL_Scancode scancode) {
    static const std::array<int, SDL_NUM_SCANCODES> table = makeScanTable();
    return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? table[scancode] : 0;
}

bool validKey(int scanCode) {
    return scanCode > 0 && scanCode < keyCount;
}

}  // namespace

namespace detail {

void takeInputEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            takePointerEvent(event);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // A held key's repeats count as presses, so that a held Page Down goes on turning pages.
            feedKey(pcScanCode(event.key.keysym.scancode), event.type == SDL_KEYDOWN);
            break;
        case SDL_TEXTINPUT:
            feedText(event.text.text);
            break;
        default:
            break;
    }
}

void latchEscape() {
    input().escapeLatched = true;
}

}  // namespace detail

void pumpEvents() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (detail::takeDisplayEvent(event)) continue;
        if (event.type == SDL_QUIT)
            detail::latchEscape();
        else
            detail::takeInputEvent(event);
    }
}

bool escapePressed() {
    InputState& state = input();
    bool pressed = state.down[scan::escape] || state.escapeLatched;
    state.escapeLatched = false;
    return pressed;
}

void readKeyboard() {
    InputState& state = input();
    for (int key = 0; key < keyCount; ++key) {
        state.readDown[key] = state.down[key] || state.pressedSinceRead[key];
    }
    state.readPressed = state.pressedSinceRead;
    state.pressedSinceRead.fill(false);
    state.readPressedWithControl = state.pressedWithControlSinceRead;
    state.pressedWithControlSinceRead.fill(false);
    state.readPressedWithAlt = state.pressedWithAltSinceRead;
    state.pressedWithAltSinceRead.fill(false);
    state.readReleased = state.releasedSinceRead;
    state.releasedSinceRead.fill(false);
    state.readText = std::move(state.textSinceRead);
    state.textSinceRead.clear();
}

bool keyDown(int scanCode) {
    return validKey(scanCode) && input().readDown[scanCode];
}

bool keyReleased(int scanCode) {
    return validKey(scanCode) && input().readReleased[scanCode];
}

bool keyPressed(int scanCode) {
    return validKey(scanCode) && input().readPressed[scanCode];
}

bool keyPressedWithControl(int scanCode) {
    return validKey(scanCode) && input().readPressedWithControl[scanCode];
}

bool keyPressedWithAlt(int scanCode) {
    return validKey(scanCode) && input().readPressedWithAlt[scanCode];
}

std::string typedCharacter() {
    return input().readText;
}

void feedKey(int scanCode, bool down) {
    InputState& state = input();
    if (!validKey(scanCode)) return;
    if (!down) state.releasedSinceRead[scanCode] = true;
    if (down) state.pressedSinceRead[scanCode] = true;
    if (down && (state.down[scan::leftControl] || state.down[scan::rightControl]))
        state.pressedWithControlSinceRead[scanCode] = true;
    if (down && (state.down[scan::leftAlt] || state.down[scan::rightAlt]))
        state.pressedWithAltSinceRead[scanCode] = true;
    state.down[scanCode] = down;
    if (down && scanCode == scan::escape) state.escapeLatched = true;
}

void feedText(const std::string& utf8) {
    input().textSinceRead += utf8;
}

void resetInput() {
    input() = InputState{};
    detail::resetPointer();
}

}  // namespace media
