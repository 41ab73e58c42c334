// The page kept for the next opening: chosen at an opening, reached once its image is made, and
// written to LastRead.txt as the reader moves (at most once a second) and at exit.
#pragma once

#include "context/viewer.h"

// Opening, once the page count is read: the page to show first, the one asked for on the command
// line (the last page when past the end) or else the kept one (page 1 when past the end: the file
// was replaced). A cached document shows it at once, so it becomes currentPage.
int choosePageToOpenAt(Viewer& v);
// Opening, once the document shows: LastRead.txt names it and page from the next flip on; a document
// being converted moves to page once that page is made, unless the reader has moved meanwhile.
void beginKeepingPlace(Viewer& v, int page);
// Asks for page to be shown as soon as its image is there (while the document is converted): once
// page 1 is on screen the conversion makes it next, and reachPageWhenMade shows it through
// showJumpTarget.
void moveToPageWhenMade(Viewer& v, int page);
// Frame step: the page asked for is shown once its image is there. True when it was loaded.
bool reachPageWhenMade(Viewer& v);
// Frame step after the flip: LastRead.txt follows the page, at most once a second.
void keepPlaceWritten(Viewer& v);
// Exit and the next opening: the page is written now when the file does not hold it yet.
void writePlaceNow(Viewer& v);
// Another document opens: nothing more is kept for this one.
void stopKeepingPlace(Viewer& v);
