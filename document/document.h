// Opening a document: the file chooser, the signature check, the cache folder and its test.
#pragma once

#include <cstdint>
#include <string>

#include "context/viewer.h"

// The open button: shows the file chooser and opens the chosen PDF.
void openDocument(Viewer& v);
// The same opening steps for a path given by the caller (the command line, tests).
void openDocumentPath(Viewer& v, const std::string& path);
// A document locked by a password waits for it in the password panel; these two end the wait.
// Tries documentPassword: false when it is wrong; otherwise the opening goes on as for any other
// document (or reports why it cannot).
bool tryDocumentPassword(Viewer& v);
// The user gave up: the document stays closed and the message panel says why.
void abandonLockedDocument(Viewer& v);
// The cache folder's name: T "_" F, T = modification time (local, -1 outside 1970..2038, 0 unread),
// F = the file name with every space replaced by "_".
std::string cacheFolderName(const std::string& documentPath, std::int64_t modificationTime);
