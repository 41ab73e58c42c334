// The about screen: its text and fades drawn at start-up, its scroll loop and the tune.
#pragma once

#include <cstddef>

#include "context/viewer.h"

constexpr int aboutTune = 1;
void prepareAboutTune(Viewer& v);  // start-up step 7
void drawAboutSprites(Viewer& v);  // start-up step 26
void aboutScreen(Viewer& v);
