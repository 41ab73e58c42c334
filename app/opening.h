// Opening a document: every feature's part of an opening, in its fixed order.
#pragma once

#include <string>

#include "context/viewer.h"

// The opening steps for a path chosen by the user (the chooser, the command line, tests).
void openDocumentPath(Viewer& v, const std::string& chosenPath);
// The password panel's Open or Return: false when the password is wrong (the panel asks again);
// otherwise the opening goes on as for any other document, or says why it cannot.
bool submitPassword(Viewer& v);
// Frame step: the text extractor and the outline reader of a document being converted, once page 1
// (or a page asked for since) is on screen or its converter has ended without it.
void startToolsAfterFirstPage(Viewer& v);
// The password panel's Cancel: the document stays closed and the message panel says why.
void abandonLockedDocument(Viewer& v);
// The cache's limit, at start: Pagewell.ini's [GLOBAL] CacheLimitMB, else 2 GB or a tenth of the
// free space on the cache's disk, whichever is smaller.
void readCacheLimit(Viewer& v);
// A frame step: once an opening, when the disk holding the cache fills while its pages or text are
// written, the message panel says so (the pages that could not be written stay not ready).
void sayWhenCacheDiskFull(Viewer& v);
