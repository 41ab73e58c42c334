// What no first frame shows, made once the first frame is on screen: tool tips, text view, keyboard,
// about screen.
#pragma once

#include "context/viewer.h"

// The first time: starts the sound and the about tune, draws the tool tips, the text view, the keyboard faces
// and highlights (and places the keyboard) and the about screen's sprites, exactly as start-up would have
// drawn them. Does nothing afterwards. Frame step after the first flip.
void prepareLaterSprites(Viewer& v);
// Frame step before the draw phase: the same, at once, when this frame may show some of them (a
// typing panel open, as for a locked document named on the command line, or the pointer in the
// tool-bar zone, where the tips show).
void prepareLaterSpritesWhenShown(Viewer& v);
