// The contents panel: the document's outline as a tree of rows that scrolls by dragging, opens at the
// chapter of the page shown, and goes to a row's page on a tap; Back and Close in its title band.
#pragma once

#include "context/viewer.h"

// An opening: the previous document's outline is forgotten; readerProcess is the information program
// writing this document's outline file when its cache folder lacks one (0: none runs).
void resetContents(Viewer& v, int readerProcess);
// A document whose folder has no outline file yet: the information program writes it in the
// background.
void readMissingOutline(Viewer& v);
// Opens the panel at the chapter of the page shown; the other layers close.
void openContentsPanel(Viewer& v);
void closeContentsPanel(Viewer& v);
// Frame step while the panel is open: the outline once its file is written, the drag's scrolling.
void followContentsPanel(Viewer& v);
// The panel takes the frame's press or release at (x, y) on the screen; true when it took it.
bool pressContentsPanel(Viewer& v, int x, int y);
bool releaseContentsPanel(Viewer& v, int x, int y);
// Scrolls the list by rows (the wheel: positive toward the top).
void scrollContentsPanel(Viewer& v, int rows);
void displayContentsPanel(const Viewer& v);
