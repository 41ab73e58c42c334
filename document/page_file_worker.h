// The page-file worker: every page's PNG made into its JPEG and thumbnail, pages shared among threads.
#pragma once

#include "context/viewer.h"

// Starts the worker for the open document (the conversion tick, once per document). Its threads
// take the pages in turn; it ends by setting sheetBuildRequested, or early when told to stop.
void startPageFileWorker(Viewer& v);
