// Opening a document: every feature's part of an opening, in its fixed order.
#include "app/opening.h"

#include "app/go_to_panel.h"
#include "app/panels.h"
#include "app/password_panel.h"
#include "context/helpers.h"
#include "document/document.h"
#include "document/information.h"
#include "document/tools.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "text/search.h"
#include "text/text_store.h"
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
}

// A text file already in the cache is read by the text step of the frame after the one that shows
// page 1: page 1 does not wait for it.
void loadOrExtractText(Viewer& v) {
    if (extractedTextPresent(v)) {
        awaitExtractedText(v, media::frameCounts().frames + 1);
    } else {
        startTextExtractor(v);
        awaitExtractedText(v, 0);
    }
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
// stand for it: its information is not shown, and the panel asks.
void awaitPassword(Viewer& v) {
    keepCachePrivate(v);
    media::freeSprite(sprite::page);
    v.document.infoLines.clear();
    buildInfoPanel(v, v.document.documentIsCached);
    resetPageView(v);
    resetConversionCounters(v);
    v.frame.hoveredButton = Button::none;
    v.frame.welcomeShown = false;
    drawPageCounter(v);
    openPasswordPanel(v);
}

// The rest of an opening, once the document can be read (a locked one: once its password is given).
void finishOpening(Viewer& v) {
    loadOrExtractText(v);  // the text at once when cached, else the extractor starts
    resetPageView(v);      // page 1, no glide, no notice
    v.frame.hoveredButton = Button::none;
    v.frame.welcomeShown = false;
    placePointerAtCentre(v);
    readOpenedDocument(v);  // the conversion's counters, page count, size, renderDpi
    drawPageCounter(v);     // the counter for page 1
    const OpenProblem problem = startMissingWork(v);         // the conversion, when not cached
    if (v.document.documentIsCached) showCachedDocument(v);  // page 1 and the saved sheet
    if (problem != OpenProblem::none) reportProblem(v, problem);
}

}  // namespace

void openDocumentPath(Viewer& v, const std::string& chosenPath) {
    const Choice choice = acceptChosenDocument(v, chosenPath);  // a readable PDF, or the choice refused
    if (choice == Choice::refused) {
        v.frame.toolbarShown = false;
        v.frame.hoveredButton = Button::none;
        placePointerAtCentre(v);
    }
    if (choice != Choice::accepted) return;
    resetFeatures(v);       // the layers close; sheet, keyboard case, hit list and text reset
    prepareCacheFolder(v);  // document state, cache folder and its test, information
    if (documentLocked(v)) {
        awaitPassword(v);  // the opening goes on once the password is given
        return;
    }
    finishOpening(v);
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
    closePasswordPanel(v);
    forgetSecret(v.document.documentPassword);
    v.document.documentUnreadable = true;
    showMessagePanel(v, "This document needs its password to be opened.");
}
