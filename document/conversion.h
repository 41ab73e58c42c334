// Page conversion: page image files, the 50 ms tick, the progress bar and the page-file worker.
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
void startConversion(Viewer& v);
void conversionTick(Viewer& v);    // frame step 5
void progressBarStep(Viewer& v);   // frame step 14
void thumbnailRequest(Viewer& v);  // frame step 16.14, after the notice
// Asks a running page-file worker to stop and waits for it.
void stopPageFileWorker(Viewer& v);
