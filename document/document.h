// Opening a document: the file chooser, the signature check, the cache folder and its test.
#pragma once

#include <cstdint>
#include <string>

#include "context/viewer.h"

// The open button: shows the file chooser and opens the chosen PDF.
void openDocument(Viewer& v);
// The same opening steps for a path given by the caller (the command line, tests).
void openDocumentPath(Viewer& v, const std::string& path);
// The cache folder's name: T "_" F, T = modification time (local, -1 outside 1970..2038, 0 unread),
// F = the file name with every space replaced by "_".
std::string cacheFolderName(const std::string& documentPath, std::int64_t modificationTime);
