// Page conversion: page image files, the converter starts with their order and 50 ms gate, the
// progress bar and the page-file worker's start and end.
#pragma once

#include <string>

#include "context/viewer.h"

std::string pageImageBase(const Viewer& v, int page);  // cache folder + "page-" + six digits
std::string pageImageBase(const std::string& cacheFolder, int page);
// Page's image file (the JPEG wins over the PNG), or "" while the page is not ready. Only looks.
std::string findPageImage(const Viewer& v, int page);
// The same lookup, recorded in pageImageBase and pageImageExtension (the extension of the last page
// found).
std::string pageImageFile(Viewer& v, int page);
// A document that is not cached: page 1's converter starts at once (unless another program's
// converter runs), the rest follow from the frame's tick.
void startConversion(Viewer& v);
// Frame step 5: the next start once none of ours runs and 50 ms have passed since the last start or
// check, unless another program's converter runs; then an ended converter of ours is noticed (its
// page and exit status posted for the page-file worker); the page-file worker's start.
void conversionTick(Viewer& v);
// The user waits on page: its converter starts next (then its neighbour's), unless it was started
// already. Does nothing once every page has been started.
void askForPage(Viewer& v, int page);
void progressBarStep(Viewer& v);   // frame step 14
void thumbnailRequest(Viewer& v);  // frame step 16.14, after the notice
// The worker's request for the sheet, taken once: true with its grid when the sheet is to be built
// now. The thumbnail wait ends with it.
bool takeSheetRequest(Viewer& v, PageFileOutput& grid);
// A one-page document whose page is shown, its JPEG made, has no pages left to convert, extract or
// thumbnail.
void finishSinglePageDocument(Viewer& v);
// Asks a running page-file worker to stop and waits for it.
void stopPageFileWorker(Viewer& v);
