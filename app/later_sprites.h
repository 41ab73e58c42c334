// What no first frame shows, made once the first frame is on screen: tool tips, keyboard, about screen.
#pragma once

#include "context/viewer.h"

// Frame step after the flip. The first time: starts the sound and the about tune, draws the tool
// tips, the keyboard faces and highlights (and places the keyboard) and the about screen's sprites,
// exactly as start-up would have drawn them. Does nothing afterwards.
void prepareLaterSprites(Viewer& v);
