// Opening a document: the file chooser, the signature check, the cache folder and its test, the
// resets, and the start of whatever work the cache still lacks.
#include "document/document.h"

#include <fstream>

#include "app/panels.h"
#include "document/conversion.h"
#include "document/information.h"
#include "document/tools.h"
#include "keyboard/keyboard.h"
#include "media/media.h"
#include "text/text_store.h"
#include "view/page_view.h"
#include "view/sheet_loading.h"

namespace {

std::string trimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The tools run in their own folder, so a relative path is made absolute first.
std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return media::currentFolder() + path;
}

void placePointerAtCentre(const Viewer& v) {
    media::placeMouse(v.layout.screenWidth / 2, v.layout.screenHeight / 2);
}

bool choiceAccepted(const std::string& path) {
    return !path.empty() && media::fileSize(path) > 0 && media::canOpenForReading(path);
}

bool beginsWithPdfSignature(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char start[5] = {};
    return file.read(start, sizeof start) && std::string(start, sizeof start) == "%PDF-";
}

// A search still running would write into the hit list being emptied: it is waited for.
void resetSearch(Viewer& v) {
    v.search.worker.join();
    v.search.searchWorkerState = 0;
    v.search.searchHits.clear();
    if (media::beginDrawing(sprite::searchList)) {
        media::fillBox(0, 0, media::spriteOwnWidth(sprite::searchList),
                       media::spriteOwnHeight(sprite::searchList), media::rgb(100, 100, 100));
        media::endDrawing();
    }
}

void resetConversion(ConversionState& c) {
    c.conversionRunning = 0;
    c.progressBarRedrawn = 0;
    c.workerRunning = 0;
    c.thumbnailsWanted = 0;
    c.thumbnailGenerationActive = 0;
    c.thumbnailLoadNext = 0;
    c.sheetBuildRequested = 0;
    c.thumbnailsFromJpeg = 0;  // a worker stopped early never cleared it
    c.thumbnailThread = none;
}

void resetDocumentState(Viewer& v) {
    stopPageFileWorker(v);  // it reads the state reset below
    FrameState& frame = v.frame;
    frame.textViewOpen = frame.searchPanelOpen = frame.infoPanelOpen = frame.thumbnailMode = 0;
    frame.cellHovered = 0;
    v.document.pageCount = 0;
    v.document.pageCountShown = 1;  // the cache test counts pages up to it
    v.document.documentIsCached = 0;
    v.document.documentUnreadable = 0;
    resetConversion(v.conversion);
    v.sheet.sheetReady = v.sheet.sheetJustBuilt = v.sheet.sheetLoadPending = 0;
    v.view.fitWidth = v.view.fitHeight = 0.0f;
    resetKeyboardCase(v);
    v.document.documentCacheFolder.clear();
    v.document.infoPanelTextWidth = 10;
    v.document.infoPanelTextHeight = 0;
    media::zoomSprite(sprite::progressBar, -1, -1);
    resetSearch(v);
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

// Only folders named after a PDF are ever emptied.
void emptyCacheFolder(const std::string& folder) {
    if (folder.find(".pdf") == std::string::npos) return;
    media::deleteFilesInFolder(folder, "*");
    media::createFolder(folder, false);
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
        v.document.documentIsCached = 1;
    } else {
        emptyCacheFolder(folder);
    }
}

// A text file already there is read by the next frame's text step: page 1 does not wait for it.
void startText(Viewer& v) {
    if (media::filePresent(v.document.documentCacheFolder + "TextualData.txt")) {
        v.document.textExtractionPending = 1;
        return;
    }
    startTextExtractor(v);
    v.document.textExtractionPending = 1;
}

void resetView(Viewer& v) {
    ConversionState& c = v.conversion;
    c.conversionProgress = 0.0f;
    c.nextPageToConvert = 0;
    c.firstPageShown = 0;
    c.lastSeenConvertPage = 0;
    v.document.pageCountShown = 1;
    v.document.pageCount = 0;
    v.view.currentPage = 1;
    v.view.panAnimating = 0;
    v.view.panElapsed = 0;
    v.view.pageNotReady = 0;
    v.frame.hoveredButton = 0;
    v.frame.welcomeShown = 0;
    placePointerAtCentre(v);
}

void showCachedFirstPage(Viewer& v) {
    const std::string firstPage = pageImageBase(v, 1) + ".jpg";
    if (!media::filePresent(firstPage) || v.conversion.firstPageShown) return;
    placePointerAtCentre(v);
    if (!media::loadSprite(sprite::page, firstPage)) return;
    v.conversion.firstPageShown = 1;
    fitPage(v);
}

void openCachedDocument(Viewer& v) {
    showCachedFirstPage(v);
    v.frame.toolbarShown = 0;
    if (v.document.pageCount <= 1) return;
    requestSavedSheet(v);
}

// The tools could not read the document: it is said so instead of converting nothing, and the
// previous document's page no longer stands for it.
void reportUnreadable(Viewer& v) {
    v.document.documentUnreadable = 1;
    media::freeSprite(sprite::page);
    // Without its tool programs the viewer can read no document at all: it says so.
    if (media::fileSize(v.tools.pdfinfoPath) <= 0) {
        showMessagePanel(v, "The tool programs are missing from " + v.tools.toolFolder);
    } else if (!media::folderWritable(v.document.documentCacheFolder)) {
        showMessagePanel(v, "The cache folder cannot be written: " + v.document.documentCacheFolder);
    } else {
        showMessagePanel(v, "This document cannot be read.");
    }
}

// Steps 5 to 14 of the opening, for a file that has passed the checks.
void openAcceptedDocument(Viewer& v) {
    resetDocumentState(v);
    const std::string& path = v.document.documentPath;
    v.document.documentCacheFolder =
        v.layout.cacheRoot + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    testCache(v);
    if (!v.document.documentIsCached) runInformationStep(v);
    startText(v);
    resetView(v);
    readPageData(v);
    drawPageCounter(v);
    if (v.document.documentIsCached) {
        openCachedDocument(v);
    } else if (v.document.pageCount < 1) {
        reportUnreadable(v);
    } else {
        startConversion(v);
    }
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

void openDocument(Viewer& v) {
    bool chooserAvailable = true;
    const std::string chosen =
        media::chooseFileToOpen("Select PDF file", "*.pdf", "PDF (*.pdf)|*.pdf", &chooserAvailable);
    if (!chooserAvailable) {
        showMessagePanel(v, "No file chooser found: install zenity or kdialog.");
    }
    openDocumentPath(v, chosen);
}

void openDocumentPath(Viewer& v, const std::string& chosenPath) {
    const std::string path = absolutePath(trimSpaces(chosenPath));
    if (!choiceAccepted(path)) {
        v.frame.toolbarShown = 0;
        v.frame.hoveredButton = 0;
        placePointerAtCentre(v);
        return;
    }
    if (!beginsWithPdfSignature(path)) return;
    v.document.documentPath = path;
    v.document.documentSizeText = std::to_string(media::fileSize(path));
    openAcceptedDocument(v);
}
