// The about screen: its text and fades drawn at start-up, its scroll loop and the tune.
#pragma once

#include <cstddef>

#include "context/viewer.h"

constexpr int aboutTune = 1;
// The sound system and the tune, once the first frame is on screen; before drawAboutSprites, whose
// text names the music only when there is sound.
void startAboutSound(Viewer& v);
void drawAboutSprites(Viewer& v);  // the text and its fades, once the first frame is on screen
void aboutScreen(Viewer& v);
