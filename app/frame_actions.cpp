// The frame's steps after the drawing: keyboard keys, tool-bar releases, handed documents, hit picks,
// flip, search, sheet.
#include "about/about.h"
#include "app/app.h"
#include "app/frame_steps.h"
#include "app/instance.h"
#include "app/opening.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "document/conversion.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "text/search.h"
#include "view/sheet.h"

namespace {

// After Detach the loop pauses while the window takes its caption.
constexpr int detachPauseMilliseconds = 500;

bool keyboardEnabled(const Viewer& v) {
    return !v.keyboard.keyboardDisabled;
}

// A press that no other control takes goes to the on-screen keyboard.
bool keyboardTakesPress(const Viewer& v) {
    const FrameState& frame = v.frame;
    return frame.frameEvent == media::WindowEvent::leftDown && typingPanelOpen(v) && keyboardEnabled(v) &&
           !frame.textViewOpen && !frame.zoomDragging && !frame.backStripHovered &&
           !frame.forwardStripHovered && !frame.toolbarShown && !frame.pointerOverSearchButton &&
           !frame.pointerOverHitList;
}

bool keyboardTakesRelease(const Viewer& v) {
    const FrameState& frame = v.frame;
    return frame.frameEvent == media::WindowEvent::leftUp && typingPanelOpen(v) && keyboardEnabled(v) &&
           !frame.textViewOpen;
}

void detachWindow(Viewer& v) {
    FrameState& frame = v.frame;
    frame.windowDetached = true;
    frame.toolbarShown = false;
    frame.hoveredButton = Button::none;
    media::toggleWindowCaption();
    media::releasePointer(true);
    media::sleepMilliseconds(detachPauseMilliseconds);
}

// The word typed before the panel was closed comes back when it is opened again.
void restoreSearchWord(Viewer& v) {
    v.frame.hoveredButton = Button::none;
    v.frame.searchInputActive = true;
    v.search.searchWord = v.search.searchWordAtFrameStart;
    v.search.searchWordAtFrameStart.clear();
}

}  // namespace

void handleKeyboardKeys(Viewer& v) {
    if (keyboardTakesPress(v)) keyboardPress(v);
    if (keyboardTakesRelease(v)) handleKeyRelease(v);
}

void handleToolbarRelease(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp) return;
    switch (frame.hoveredButton) {
        case Button::open:
            startOpenDialog(v);  // the document opens once the chooser ends (handleDialogs)
            break;
        case Button::thumbnails:
            frame.thumbnailMode = true;
            frame.textViewOpen = false;
            break;
        case Button::about:
            aboutScreen(v);
            frame.hoveredButton = Button::none;
            frame.exitSuppressed = true;
            // The release that ended the screen belongs to it, not to the page or the hit list below.
            consumeEvent(frame);
            break;
        case Button::exit:
            frame.quit = true;
            break;
        case Button::detach:
            detachWindow(v);
            break;
        default:
            break;
    }
    // The panel opened by this frame's release takes typing even when the pointer slid off the
    // button in the same frame.
    const bool openedBySearch = frame.hoveredButton == Button::search || frame.searchOpenedThisFrame;
    if (openedBySearch && frame.searchPanelOpen) restoreSearchWord(v);
}

// A later start of the program handed its document over (or only asked for the front).
void openHandedDocument(Viewer& v) {
    std::string message;
    if (!takeHandedDocument(message)) return;
    media::raiseWindow();
    const HandedDocument handed = readHandOverMessage(message);
    v.place.requestedPage = handed.page;
    if (!handed.path.empty()) openNamedDocument(v, handed.path);
}

void handleSearchHitPick(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp || !frame.searchPanelOpen) return;
    if (!frame.pointerOverHitList || frame.pointerOverSearchButton) return;
    resetKeyboardCase(v);
    pickSearchHit(v);
}

void flipAndClear() {
    media::flipDisplay();
    media::clearDisplay(palette::black);
}

void typeAndRedrawSearch(Viewer& v) {
    bool typing = v.frame.searchPanelOpen && v.frame.searchInputActive;
    if (typing) typeSearchWord(v);
    if (v.search.searchWorkerState.load() == SearchWorker::finished) renderHitList(v);
    if (typing) redrawSearchHeaderIfChanged(v);
}

void buildRequestedSheet(Viewer& v) {
    PageFileOutput grid;
    if (takeSheetRequest(v, grid)) buildThumbnailSheet(v, grid);
}

// The query also clears an Escape latched while the about screen ran, so it cannot end the next frame.
bool escapeEndsLoop(Viewer& v) {
    bool escape = media::escapePressed();
    return escape && !v.frame.exitSuppressed;
}
