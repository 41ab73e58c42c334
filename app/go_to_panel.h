// The Go-to-page panel: a tap on the page counter or Control+G opens it; a page number typed on
// either keyboard, Return or Go shows that page (made next when it is not ready yet).
#pragma once

#include "context/viewer.h"

// For an open document that can be read: an empty field, the page range; the search panel and the
// text view give way.
void openGoToPanel(Viewer& v);
void closeGoToPanel(Viewer& v);
// The pointer is on the page counter, or within a finger's width of it.
bool pointerOnPageCounter(const Viewer& v);
// Draw step: the panel over the page, its Go and Cancel buttons with their hover, the keyboard.
void displayGoToPanel(Viewer& v);
// After the flip: typing digits from either keyboard, then Return or Go goes to the page (a number
// that names no page is said so and the panel stays), Cancel closes the panel; the panel is redrawn
// when what it shows has changed.
void typeAndGoToPage(Viewer& v);
