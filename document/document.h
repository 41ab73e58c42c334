// Opening a document, the document's own steps: the choice, the cache folder and its test, the
// information, and the start of the work the cache lacks. app/ runs them in order with the other
// features' parts of an opening.
#pragma once

#include <cstdint>
#include <string>

#include "context/viewer.h"

enum class Choice {
    refused,   // nothing chosen, or the file is missing, empty or unreadable
    notPdf,    // the file does not begin with "%PDF-"
    accepted,  // documentPath and documentSizeText name it now
};

// What kept an accepted document from being converted.
enum class OpenProblem {
    none,
    unreadable,       // the tools found no page count
    toolsMissing,     // the information program is not there
    cacheUnwritable,  // the cache folder cannot be written
    diskFull,         // the disk holding the cache folder is full
};

// The chosen path (blanks trimmed, made absolute) is checked; an accepted one becomes documentPath.
Choice acceptChosenDocument(Viewer& v, const std::string& chosenPath);
// The same check alone, changing nothing: what an opening of that path would make of it.
Choice checkChosenDocument(const std::string& chosenPath);
// The page-file worker stopped, the document and conversion state reset, the cache folder named,
// created or tested; the information program run when the folder is not a complete cache.
void prepareCacheFolder(Viewer& v);
// TextualData.txt is in the cache folder with a size above 0.
bool extractedTextPresent(const Viewer& v);
// The previous document's conversion counters and page count are forgotten.
void resetConversionCounters(Viewer& v);
// The conversion counters reset and the page count, page size and renderDpi read.
void readOpenedDocument(Viewer& v);
// Starts the page conversion of a document that is not cached; says what kept it from starting.
OpenProblem startMissingWork(Viewer& v);
// A cached document without a usable sheet: the page-file worker prepares the thumbnails from the
// JPEG files.
void requestThumbnailsFromJpeg(Viewer& v);
// A document locked by a password: the information program asked for one, or the cache folder says
// the document needed one when it was made.
bool documentLocked(const Viewer& v);
// From here on the cache folder and every file the viewer or the tools write are the user's alone,
// and the folder says so for the next opening. False when the folder could not be closed to others
// or not marked: its decrypted pages must then not be written there at all.
bool keepCachePrivate(Viewer& v);
enum class PasswordTry { wrong, accepted, unreadable };
// Tries documentPassword with the information program. A cached document's information is read
// again once it is accepted.
PasswordTry tryDocumentPassword(Viewer& v);
// The previous document's password goes from memory, and files are made as usual again.
void forgetPassword(Viewer& v);
// The cache folder's name: T "_" F, T = modification time (local, -1 outside 1970..2038, 0 unread),
// F = the file name with every space replaced by "_".
std::string cacheFolderName(const std::string& documentPath, std::int64_t modificationTime);
// A document named on the command line whose cache folder is not complete: its information program
// starts at once, beside the display's start; the opening's information step takes its output.
void startInformationForNamedDocument(Viewer& v, const std::string& chosenPath);
// The file a cached opening of the chosen document shows first (the requested page's, else the kept
// page's when its file is there, else page 1's), whether it exists or not; "" for a document whose
// cache holds it only for the password.
std::string cachedFirstPageFile(const Layout& layout, const std::string& chosenPath, int requestedPage = 0);
