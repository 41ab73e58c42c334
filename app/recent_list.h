// The recent documents: a list on the welcome screen, and the same list as a panel once a document is
// open (the information panel's "Recent documents"); a tap on a row opens its document.
#pragma once

#include "context/viewer.h"

// Frame step after the flip: the welcome screen's list, found and drawn once.
void listRecentForWelcome(Viewer& v);
// Opens the panel with the list as it is now; the other layers close.
void openRecentPanel(Viewer& v);
void displayRecentList(Viewer& v);
// The list takes the frame's press or release at (x, y); true when it took it.
bool pressRecentList(Viewer& v, int x, int y);
bool releaseRecentList(Viewer& v, int x, int y);
