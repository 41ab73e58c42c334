// Opening a document, the document's own steps: the choice checked, its state reset, the cache folder
// named and tested, the information read and the work the cache still lacks started.
#include "document/document.h"

#include <cstdio>
#include <fstream>

#include "context/helpers.h"
#include "document/cache_limit.h"
#include "document/conversion.h"
#include "document/information.h"
#include "document/reading_place.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "media/text/text.h"

namespace {

bool choiceAccepted(const std::string& path) {
    return !path.empty() && media::fileSize(path) > 0 && media::canOpenForReading(path);
}

bool beginsWithPdfSignature(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char start[5] = {};
    return file.read(start, sizeof start) && std::string(start, sizeof start) == "%PDF-";
}

void resetConversion(ConversionState& c) {
    c.conversionRunning = false;
    c.progressBarRedrawn = false;
    c.workerRunning = false;
    c.thumbnailsWanted = false;
    c.thumbnailGenerationActive = false;
    c.thumbnailLoadNext = 0;
    c.sheetBuildRequested = false;
    c.thumbnailsFromJpeg = false;  // a worker stopped early never cleared it
    c.thumbnailThread = PageFileWorker::none;
}

void resetDocumentState(Viewer& v) {
    stopPageFileWorker(v);  // it reads the state reset below
    forgetPassword(v);      // the worker wrote private files till now
    v.document.pageCount = 0;
    v.document.pageCountShown = 1;  // the cache test counts pages up to it
    v.document.documentIsCached = false;
    v.document.documentUnreadable = false;
    v.document.cacheDiskFullSaid = false;
    resetConversion(v.conversion);
    v.document.documentCacheFolder.clear();
    v.document.infoPanelTextWidth = 10;
    v.document.infoPanelTextHeight = 0;
    media::zoomSprite(sprite::progressBar, -1, -1);
    forgetToolProblem(v);
}

// Pages from 1 on whose JPEG is present, up to the first one missing: the cache is complete only
// when that reaches the page count, and a count no document has is never walked through.
int presentJpegPages(const Viewer& v) {
    int present = 0;
    while (present < v.document.pageCountShown &&
           media::filePresent(pageImageBase(v, present + 1) + ".jpg")) {
        ++present;
    }
    return present;
}

// Only folders named after a PDF are ever emptied. The page the reader left off at stays: the
// document is the same, only its conversion was cut short.
void emptyCacheFolder(const std::string& folder) {
    if (folder.find(".pdf") == std::string::npos) return;
    const ReadingPlace place = readReadingPlace(folder);
    media::deleteFilesInFolder(folder, "*");
    media::createFolder(folder, false);
    if (place.page > 0) writeReadingPlace(folder, place);
}

// A folder that existed is a complete cache when it holds Information.ini and every page's JPEG.
// An information file that gives no page count (damaged, or not written by the information
// program) cannot show that every page is there: the folder is converted again.
void testCache(Viewer& v) {
    const std::string& folder = v.document.documentCacheFolder;
    if (media::createFolder(folder, false)) return;
    if (!media::filePresent(folder + "Information.ini")) return;
    readCachedInformation(v);
    const int present = presentJpegPages(v);
    media::freeSprite(sprite::thumbnailSheet);
    if (v.document.pageCount >= 1 && present == v.document.pageCountShown) {
        v.document.documentIsCached = true;
    } else {
        emptyCacheFolder(folder);
    }
}

// A cache folder made for a locked document says so, so that opening it again asks again.
constexpr const char* lockedMarkerName = "PasswordRequired.txt";
std::string lockedMarker(const Viewer& v) {
    return v.document.documentCacheFolder + lockedMarkerName;
}

// Without its tool programs the viewer can read no document at all, and without a writable cache
// folder it can convert none: each is named rather than blamed on the document.
OpenProblem problemOfUnreadable(const Viewer& v) {
    if (media::fileSize(v.tools.pdfinfoPath) <= 0) return OpenProblem::toolsMissing;
    // A full disk is the cause of a folder that cannot be made or written.
    if (cacheDiskFull(v.layout.cacheRoot)) return OpenProblem::diskFull;
    if (!media::folderWritable(v.document.documentCacheFolder)) return OpenProblem::cacheUnwritable;
    return OpenProblem::unreadable;
}

// Once a run, in the log: on a kernel that cannot confine them, the tools run as before.
void noteUnconfinedTools() {
    static bool noted = false;
    if (noted) return;
    noted = true;
    const std::string gap = media::toolConfinementGap();
    if (!gap.empty()) std::fprintf(stderr, "pagewell: %s\n", gap.c_str());
}

}  // namespace

std::string cacheFolderName(const std::string& documentPath, std::int64_t modificationTime) {
    const std::size_t slash = documentPath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? documentPath : documentPath.substr(slash + 1);
    for (char& c : name) {
        if (c == ' ') c = '_';
    }
    return std::to_string(modificationTime) + "_" + name;
}

std::string cachedFirstPageFile(const Layout& layout, const std::string& chosenPath, int requestedPage) {
    const std::string path = media::absolutePath(media::trimmed(chosenPath));
    const std::string folder =
        layout.cacheRoot + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    if (media::fileSize(folder + lockedMarkerName) != -1) return {};
    const int kept = requestedPage > 0 ? requestedPage : readReadingPlace(folder).page;
    const std::string keptFile = pageImageBase(folder, kept) + ".jpg";
    return kept > 1 && media::filePresent(keptFile) ? keptFile : pageImageBase(folder, 1) + ".jpg";
}

Choice checkChosenDocument(const std::string& chosenPath) {
    const std::string path = media::absolutePath(media::trimmed(chosenPath));
    if (!choiceAccepted(path)) return Choice::refused;
    return beginsWithPdfSignature(path) ? Choice::accepted : Choice::notPdf;
}

// A folder holding the information and page 1's JPEG is most likely a complete cache: the opening
// tests it and runs no information program for it. A new document's page 1 is converted beside the
// information into its folder; a folder with information but incomplete is emptied by the opening,
// and a locked document's converter could read nothing.
void startInformationForNamedDocument(Viewer& v, const std::string& chosenPath) {
    const std::string path = media::absolutePath(media::trimmed(chosenPath));
    if (!choiceAccepted(path) || !beginsWithPdfSignature(path)) return;
    const std::string name = cacheFolderName(path, media::fileModificationTime(path));
    const std::string folder = v.layout.cacheRoot + name + "/";
    const bool informed = media::filePresent(folder + "Information.ini");
    if (informed && media::filePresent(pageImageBase(folder, 1) + ".jpg")) return;
    startInformationAhead(v, path, media::uniqueFileName(v.layout.cacheRoot + name + ".information"));
    if (informed || media::fileSize(folder + lockedMarkerName) != -1) return;
    media::createFolder(folder, false);
    if (media::folderExists(folder)) startFirstPageAhead(v, path, folder);
}

Choice acceptChosenDocument(Viewer& v, const std::string& chosenPath) {
    const Choice choice = checkChosenDocument(chosenPath);
    if (choice != Choice::accepted) return choice;
    const std::string path = media::absolutePath(media::trimmed(chosenPath));
    v.document.documentPath = path;
    v.document.documentSizeText = std::to_string(media::fileSize(path));
    return Choice::accepted;
}

void prepareCacheFolder(Viewer& v) {
    resetDocumentState(v);
    const std::string& path = v.document.documentPath;
    v.document.documentCacheFolder =
        v.layout.cacheRoot + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    testCache(v);
    holdOpenCacheFolder(v);
    noteUnconfinedTools();
    v.document.informationStatus = v.document.documentIsCached ? 0 : runInformationStep(v);
}

// Anything under the marker's name marks the folder, a folder planted there too.
bool documentLocked(const Viewer& v) {
    if (v.document.documentIsCached) return media::fileSize(lockedMarker(v)) != -1;
    return v.document.informationStatus == toolNeedsPassword;
}

bool keepCachePrivate(Viewer& v) {
    v.document.documentNeedsPassword = true;
    media::keepNewFilesPrivate(true);
    const bool closed = media::makeFolderPrivate(v.document.documentCacheFolder);
    const std::string marker = lockedMarker(v);
    if (!media::filePresent(marker))
        media::writeWholeFile(marker, "Locked by a password: Pagewell asks for it at each opening.\n");
    return closed && media::filePresent(marker);
}

PasswordTry tryDocumentPassword(Viewer& v) {
    const bool cached = v.document.documentIsCached;
    const int status = cached ? testDocumentPassword(v) : runInformationStep(v);
    if (status == toolNeedsPassword) return PasswordTry::wrong;
    if (status != 0) return PasswordTry::unreadable;
    if (cached) readCachedInformation(v);
    return PasswordTry::accepted;
}

void forgetPassword(Viewer& v) {
    forgetSecret(v.document.documentPassword);
    v.document.documentNeedsPassword = false;
    media::keepNewFilesPrivate(false);
}

bool extractedTextPresent(const Viewer& v) {
    return media::filePresent(v.document.documentCacheFolder + "TextualData.txt");
}

void resetConversionCounters(Viewer& v) {
    ConversionState& c = v.conversion;
    c.conversionProgress = 0.0f;
    c.pageQueue.reset(0);
    v.document.pageCountShown = 1;
    v.document.pageCount = 0;
}

void readOpenedDocument(Viewer& v) {
    resetConversionCounters(v);
    readPageData(v);
}

OpenProblem startMissingWork(Viewer& v) {
    if (v.document.documentIsCached) return OpenProblem::none;
    if (v.document.pageCount < 1) {
        v.document.documentUnreadable = true;
        return problemOfUnreadable(v);
    }
    keepCacheWithinLimit(v);
    startConversion(v);
    return OpenProblem::none;
}

void requestThumbnailsFromJpeg(Viewer& v) {
    v.conversion.thumbnailsFromJpeg = true;
    v.conversion.thumbnailsWanted = true;
}
