// What no first frame shows, made once the first frame is on screen: tool tips, text view, search
// panel, keyboard, about screen; and the welcome panel when a document named at start shows instead.
#pragma once

#include "context/viewer.h"

constexpr int laterSpriteGroups = 4;

// Frame step after the flip: makes the next group of them, exactly as start-up would have drawn it
// (the tool tips, with the welcome panel and logo when start-up left them; the text view and the search
// panel; the keyboard faces and highlights, and the keyboard's place; the sound, the about tune and the about
// screen's sprites). Does nothing once all are made.
void prepareLaterSpriteGroup(Viewer& v);
// All of them that are still to be made, at once.
void prepareLaterSprites(Viewer& v);
// Frame step before the draw phase: all of them at once when this frame may show some of them (a
// typing panel open, as for a locked document named on the command line, or the pointer in the
// tool-bar zone, where the tips show); the welcome panel and logo when the welcome shows.
void prepareLaterSpritesWhenShown(Viewer& v);
