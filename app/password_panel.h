// The password panel: a document locked by a password waits here for it, typed masked.
#pragma once

#include "context/viewer.h"

void openPasswordPanel(Viewer& v);   // an empty field, no message; the search panel gives way
void closePasswordPanel(Viewer& v);  // the typed password is wiped
// Draw step: the panel over the page, its Open and Cancel buttons with their hover, the keyboard.
void displayPasswordPanel(Viewer& v);
// After the flip: typing from the physical keyboard, then Return or Open tries the password (a
// wrong one asks again), Cancel gives up; the panel is redrawn when what it shows has changed.
void typeAndTryPassword(Viewer& v);
