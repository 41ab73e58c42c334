// A cached document's saved thumbnail sheet, decoded off the frame's path after the opening.
#pragma once

#include <string>

#include "context/viewer.h"

// Opening a cached document: the saved sheet is decoded in the background and loaded once it is;
// meanwhile the Thumbnails button waits, as for a sheet being built. A sheet file that is missing is
// made again from the page JPEGs at once.
void requestSavedSheet(Viewer& v);
// The sheet file while its load is pending, else "": the prefetch decodes it first.
std::string pendingSheetFile(const Viewer& v);
// Frame step: once the sheet is decoded (or found undecodable) it is loaded; a sheet that does not
// load, or gives no cells to pick, is made again from the page JPEGs, as a missing one is.
void loadDecodedSheet(Viewer& v);
