// Small helpers every feature shares: rounding, the pointer hit test, the window's inner width.
#pragma once

#include "context/rounding.h"
#include "context/viewer.h"

// The pointer hit test: the pointer sprite centred on the mouse overlaps sprite target at (x, y).
bool pointerOver(int target, int x, int y);

// The width of the window's inner area: the display's width unless the window is detached.
int innerWindowWidth(const Viewer& v);
