// Opening a document: every feature's part of an opening, in its fixed order.
#include "app/opening.h"

#include <cstdio>

#include "app/go_to_panel.h"
#include "app/panels.h"
#include "app/password_panel.h"
#include "context/helpers.h"
#include "document/cache_limit.h"
#include "document/document.h"
#include "document/information.h"
#include "document/tools.h"
#include "keyboard/ini.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/text/text.h"
#include "text/search.h"
#include "text/text_store.h"
#include "view/contents_panel.h"
#include "view/jumps.h"
#include "view/kept_page.h"
#include "view/page_view.h"
#include "view/sheet.h"
#include "view/sheet_loading.h"

namespace {

void placePointerAtCentre(const Viewer& v) {
    media::placeMouse(v.layout.screenWidth / 2, v.layout.screenHeight / 2);
}

// The layers of the previous document close and every feature forgets it.
void resetFeatures(Viewer& v) {
    FrameState& frame = v.frame;
    frame.textViewOpen = frame.searchPanelOpen = frame.infoPanelOpen = frame.thumbnailMode = false;
    frame.cellHovered = false;
    closePasswordPanel(v);
    closeGoToPanel(v);
    forgetSheet(v);
    resetKeyboardCase(v);
    resetSearch(v);
    clearTextStore(v);
    forgetJumps(v);
    resetContents(v, 0);
    frame.recentPanelOpen = false;
    v.tools.waitingForFirstPage = false;
}

// A text file already in the cache is read by the text step of the frame after the one that shows
// page 1: page 1 does not wait for it. A document being converted extracts its text once page 1 is
// on screen (startToolsAfterFirstPage).
void loadOrExtractText(Viewer& v) {
    if (extractedTextPresent(v)) {
        awaitExtractedText(v, media::frameCounts().frames + 1);
        return;
    }
    awaitExtractedText(v, 0);
    if (v.document.documentIsCached) startTextExtractor(v);
}

void startBackgroundTools(Viewer& v) {
    v.tools.waitingForFirstPage = false;
    if (!extractedTextPresent(v)) startTextExtractor(v);
    readMissingOutline(v);  // the contents
}

// A cached document shows page 1 at once; its saved sheet is decoded in the background and loaded by
// a later frame (view/sheet_loading.cpp).
void showCachedDocument(Viewer& v) {
    showCachedFirstPage(v);
    v.frame.toolbarShown = false;
    if (v.document.pageCount <= 1) return;
    requestSavedSheet(v);
}

std::string problemText(const Viewer& v, OpenProblem problem) {
    switch (problem) {
        case OpenProblem::toolsMissing:
            return "The tool programs are missing from " + v.tools.toolFolder;
        case OpenProblem::cacheUnwritable:
            return "The cache folder cannot be written: " + v.document.documentCacheFolder;
        case OpenProblem::diskFull:
            return "The disk is full: the cache folder cannot be written: " + v.document.documentCacheFolder;
        default:
            return "This document cannot be read.";
    }
}

// The tools could not read the document: it is said so instead of converting nothing, and the
// previous document's page no longer stands for it. A tool that could not even start is the cause.
void reportProblem(Viewer& v, OpenProblem problem) {
    media::freeSprite(sprite::page);
    const std::string toolProblem = takeToolProblem(v);
    showMessagePanel(v, toolProblem.empty() ? problemText(v, problem) : toolProblem);
}

// Nothing of a locked document shows before its password, nor does anything of the previous one
// stand for it: its information is not shown.
void showNothingOfTheDocument(Viewer& v) {
    media::freeSprite(sprite::page);
    v.document.infoLines.clear();
    buildInfoPanel(v, v.document.documentIsCached);
    resetPageView(v);
    resetConversionCounters(v);
    v.frame.hoveredButton = Button::none;
    v.frame.welcomeShown = false;
    drawPageCounter(v);
}

// A locked document's pages and text are written decrypted: in a cache folder that others could
// read, or that would not ask for the password next time, they are not written at all.
void refuseUnprivateCache(Viewer& v) {
    forgetPassword(v);
    v.document.documentUnreadable = true;
    std::fprintf(stderr,
                 "pagewell: %s is locked by a password, and its cache folder %s cannot be made private or "
                 "marked as locked: it is not opened\n",
                 media::forTerminal(v.document.documentPath).c_str(),
                 media::forTerminal(v.document.documentCacheFolder).c_str());
    showMessagePanel(v, "This locked document is not opened: its cache folder cannot be kept private.");
}

// The panel asks for the password, once the cache folder is the user's alone.
void awaitPassword(Viewer& v) {
    const bool keptPrivate = keepCachePrivate(v);
    showNothingOfTheDocument(v);
    if (keptPrivate)
        openPasswordPanel(v);
    else
        refuseUnprivateCache(v);
}

// The rest of an opening, once the document can be read (a locked one: once its password is given).
void finishOpening(Viewer& v) {
    loadOrExtractText(v);  // the text at once when cached, else the extractor starts
    resetPageView(v);      // page 1, no glide, no notice
    v.frame.hoveredButton = Button::none;
    v.frame.welcomeShown = false;
    placePointerAtCentre(v);
    readOpenedDocument(v);                        // the conversion's counters, page count, size, renderDpi
    const int firstPage = choosePageToOpenAt(v);  // asked for, or kept; a cached document's currentPage
    drawPageCounter(v);                           // the counter for the page shown first
    const OpenProblem problem = startMissingWork(v);         // the conversion, when not cached
    if (v.document.documentIsCached) showCachedDocument(v);  // that page and the saved sheet
    if (problem != OpenProblem::none) reportProblem(v, problem);
    beginKeepingPlace(v, firstPage);  // LastRead.txt; a converted document moves there once made
    if (problem != OpenProblem::none) return;
    if (v.document.documentIsCached)
        readMissingOutline(v);  // the contents, in the background
    else
        v.tools.waitingForFirstPage = true;  // the text and the contents once page 1 shows
}

}  // namespace

void openDocumentPath(Viewer& v, const std::string& chosenPath) {
    writePlaceNow(v);  // the open document's page, before anything of it changes
    const Choice choice = acceptChosenDocument(v, chosenPath);  // a readable PDF, or the choice refused
    if (choice == Choice::refused) {
        v.frame.toolbarShown = false;
        v.frame.hoveredButton = Button::none;
        placePointerAtCentre(v);
    }
    if (choice != Choice::accepted) {
        v.place.requestedPage = 0;
        return;
    }
    stopKeepingPlace(v);    // the previous document's page is kept as it was written
    resetFeatures(v);       // the layers close; sheet, keyboard case, hit list and text reset
    prepareCacheFolder(v);  // document state, cache folder and its test, information
    if (documentLocked(v)) {
        awaitPassword(v);  // the opening goes on once the password is given
        return;
    }
    finishOpening(v);
}

namespace {

// Page 1 until it shows, then a page asked for, while its converter is due or runs.
bool readerWaitsOnConverter(const Viewer& v) {
    const ConversionState& c = v.conversion;
    const int page = v.view.firstPageShown ? v.view.awaitedPage : 1;
    if (page == 0 || !c.conversionRunning) return false;
    return !c.pageQueue.started(page) || (c.converterPage == page && c.converterProcess != 0);
}

}  // namespace

void startToolsAfterFirstPage(Viewer& v) {
    if (v.tools.waitingForFirstPage && !readerWaitsOnConverter(v)) startBackgroundTools(v);
}

bool submitPassword(Viewer& v) {
    const PasswordTry result = tryDocumentPassword(v);
    if (result == PasswordTry::wrong) return false;
    closePasswordPanel(v);
    if (result == PasswordTry::accepted) {
        finishOpening(v);
    } else {
        reportProblem(v, OpenProblem::unreadable);
    }
    return true;
}

void abandonLockedDocument(Viewer& v) {
    v.place.requestedPage = 0;
    closePasswordPanel(v);
    forgetSecret(v.document.documentPassword);
    v.document.documentUnreadable = true;
    showMessagePanel(v, "This document needs its password to be opened.");
}

void readCacheLimit(Viewer& v) {
    const std::int64_t defaultLimit = defaultCacheLimit(media::freeBytes(v.layout.cacheRoot));
    IniFile ini;
    std::string setting;
    if (ini.open(v.layout.programFolder + "Pagewell.ini")) {
        ini.selectSection("GLOBAL");
        setting = ini.read("CacheLimitMB", "");
    }
    v.document.cacheLimitBytes = cacheLimitFromSetting(setting, defaultLimit);
}

// Checked twice a second at most, and only while the document's pages or text are still to be written.
void sayWhenCacheDiskFull(Viewer& v) {
    DocumentState& d = v.document;
    const ConversionState& c = v.conversion;
    const bool writing = c.conversionRunning || c.thumbnailGenerationActive || v.text.textExtractionPending;
    const std::int64_t now = media::elapsedMilliseconds();
    if (d.cacheDiskFullSaid || !writing || now - d.lastCacheDiskCheck < 500) return;
    d.lastCacheDiskCheck = now;
    if (!cacheDiskFull(v.layout.cacheRoot)) return;
    d.cacheDiskFullSaid = true;
    std::fprintf(stderr,
                 "pagewell: the disk holding %s is full: pages that cannot be written are not shown\n",
                 media::forTerminal(d.documentCacheFolder).c_str());
    showMessagePanel(v, "The disk is full: pages that cannot be written to the cache are not shown.");
}
