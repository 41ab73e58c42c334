// Small helpers every feature shares: rounding, the pointer hit test, the window's inner width, typing.
#pragma once

#include <string>

#include "context/rounding.h"
#include "context/viewer.h"

// The pointer hit test: the pointer sprite centred on the mouse overlaps sprite target at (x, y).
bool pointerOver(int target, int x, int y);

// The width of the window's inner area: the display's width unless the window is detached.
int innerWindowWidth(const Viewer& v);

// Typing (the on-screen keyboard, the physical one) goes to the password panel while it is open, else
// to the Go-to-page panel's number while that is open, else to the search panel's word.
bool typingPanelOpen(const Viewer& v);
std::string& typingTarget(Viewer& v);

// Overwrites a secret's bytes before emptying it, so that no copy is left in freed memory.
void forgetSecret(std::string& secret);
