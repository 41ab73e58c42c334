// Inside the media layer: the input room's intake of SDL's events, for its own event pump. Main thread.
#pragma once

#include <SDL.h>

namespace media::detail {

// ---- input.cpp
void takeInputEvent(const SDL_Event& event);  // keys, text and the pointer's events
void latchEscape();                           // the window was closed: the program ends as on Escape

// ---- pointer.cpp
void takePointerEvent(
    const SDL_Event& event);  // mouse motion, buttons and wheel, touch through SDL's emulation
void resetPointer();

}  // namespace media::detail
