// The frame loop: runFrame lists the frame's steps in their fixed order; input and gesture steps.
#include "app/app.h"
#include "app/frame_steps.h"
#include "app/go_to_panel.h"
#include "app/later_sprites.h"
#include "app/opening.h"
#include "app/panels.h"
#include "app/password_panel.h"
#include "app/recent_list.h"
#include "document/conversion.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "text/text_store.h"
#include "text/text_view.h"
#include "view/kept_page.h"
#include "view/page_prefetch.h"
#include "view/page_view.h"
#include "view/sharp_layer.h"
#include "view/sheet.h"
#include "view/sheet_loading.h"

bool runFrame(Viewer& v) {
    beginFrame(v);                  // 1. exitSuppressed cleared; the frame's one event; mouse and keyboard
    handleDialogs(v);               //    a chosen file opens; presses are dropped while a dialog is up
    checkCopyKeys(v);               // 2. Control+C copies the current page's text
    storeKeyboardPointer(v);        // 3. pointer relative to the on-screen keyboard
    hideToolbarWhenDetached(v);     // 4. so a press in the tool-bar zone reaches the re-attach
    media::reapFinishedPrograms();  //    ended tool programs leave the process list (statuses kept)
    conversionTick(v);              // 5. converter starts every 50 ms, page-file worker start
    sayWhenCacheDiskFull(v);        //    the disk filled while the pages are written: said once
    loadPendingText(v);             // 6. the extracted text, once its file exists
    sayToolProblem(v);              //    a tool program that could not be started
    handleReadingPanels(v);         //    presses on the list panels and their buttons, the drag's scroll
    handleDoubleClick(v);           // 7. restore the fit, or leave the thumbnail sheet
    handlePanelButtonRelease(v);    // 8. Info, Search, Text (hover left by the last frame)
    handleThumbnailPick(v);         // 9. release on a thumbnail cell opens its page
    handlePress(v);                 // 10. press on the page or a lit strip; may re-attach
    if (v.frame.skipRestOfFrame) return true;  // re-attached: next frame at once, no flip
    handleRelease(v);                          // 11. release; a tap starts the glide
    handleBackRequests(v);                     // 11a. Alt+Left and the mouse's back button go back,
    handleKeysAndWheel(v);                     //      keys and the wheel turn, zoom, open, walk the sheet
    glideTick(v);                              // 12. glide time
    pulsePointer(v.frame);                     // 13. pointer intensity rises and falls
    progressBarStep(v);                        // 14. progress bar width after a converter start
    updatePageView(v);                // 15. glide position, zoom drag, the page waited on, single page
    updateSharpLayer(v);              //     sharp layer: render polled, taken or asked for
    followReadingPlace(v);            //     the kept page once it is made
    prepareLaterSpritesWhenShown(v);  //     tips and keyboard, when the first frame shows them
    displayPageOrSheet(v);            // 16.1 the page, or the thumbnail sheet with its hover
    hoverKeyboard(v);                 // 16.2 key hover; pointerOverKeyboard
    displayToolbar(v);                // 16.3 band and buttons while the pointer is in the zone
    displayEdgeStrips(v);             // 16.4 lit strips, only without the tool bar
    hoverOpenThumbnailsInfo(v);       // 16.5 hover tint and tip: Open, Thumbnails, Info
    displayInfoPanel(v);              // 16.6 information panel
    displayReadingPanels(v);          //      its buttons; the contents or recent panel
    displaySearchLayer(v);            // 16.7 search panel, Search button, on-screen keyboard
    displayPasswordPanel(v);          //      or the password panel with it, for a locked document,
    displayGoToPanel(v);              //      or the Go-to-page panel with it
    displayHitListAndTextView(v);     // 16.8 hit list, text view, hit-list cursor
    displayHitListBack(v);            //      Back in the hit list
    hoverSearchTextAboutExit(v);      // 16.9 hover: Search, Text, About, Exit,
    hoverSearchGo(v);                 //      the search panel's Search button (starts a search),
    hoverDetach(v);                   //      Detach
    displayPointer(v);                // 16.10 pointer at its pulse intensity
    displayPageCounter(v);            // 16.11 page counter at last frame's pageCounterY
    displayTouchRing(v);              // 16.12 touch ring in frames with motion
    displayProgressBar(v);            // 16.13 progress bar; pageCounterY for the next frame
    displayThumbWaitNotice(v);        // 16.14 sheet notice,
    thumbnailRequest(v);              //       then the thumbnail job once conversion is done
    displayWelcome(v);                // 16.15 welcome panel and logo fade
    displayRecentOnWelcome(v);        //       the recent documents below
    displayPageNotReady(v);           // 16.16 "Page not ready" notice
    displayMessagePanel(v);           //       a document that cannot be read
    handleKeyboardKeys(v);            // 17. on-screen keyboard press and release
    handleToolbarRelease(v);          // 18. Open, Thumbnails, About, Exit, Detach
    if (v.frame.quit) return false;   //    Exit: the exit sequence at once, without a flip
    openHandedDocument(v);            //    a document from a later start, opened as with Open
    handleSearchHitPick(v);           // 19. release on a hit opens its page
    showPressedKey(v);                // 20. pressed-key highlight
    flipAndClear();                   // 21. show the frame, clear to black
    startToolsAfterFirstPage(v);      //     text extractor and outline reader once page 1 shows
    prepareLaterSpriteGroup(v);       //     a group a frame: what the first frame did not need
    prefetchNeighbourPages(v);        //     the shown page's neighbours, decoded ahead
    keepPlaceWritten(v);              //     LastRead.txt follows the page, once a second
    listRecentForWelcome(v);          //     the welcome's recent documents, once
    typeAndRedrawSearch(v);           // 22. typing into the search word, finished results
    typeAndTryPassword(v);            //     typing into the password; Open, Return, Cancel
    typeAndGoToPage(v);               //     typing the page number; Go, Return, Cancel
    buildRequestedSheet(v);           // 23. thumbnail sheet once its images are ready,
    loadDecodedSheet(v);              //     or a saved one once it is decoded
    return !escapeEndsLoop(v);        // 24. Escape ends the loop unless the about screen returned
}

// A touch lands without hovering first. Its press (or release) waits one frame when it happened away
// from where the last draw phase tested the pointer, so that this frame's draw phase tests the tool
// bar, its buttons, the strips, the sheet and the panels where it happened, as a mouse's hover would
// have; the next frame then handles it there. An event is held back once at most.
static void takeFrameEvent(FrameState& frame) {
    if (frame.heldEvent != media::WindowEvent::none) {
        frame.frameEvent = frame.heldEvent;
        frame.heldEvent = media::WindowEvent::none;
        return;
    }
    frame.frameEvent = media::pollWindowEvent();
    if (frame.frameEvent == media::WindowEvent::none) return;
    frame.eventX = media::eventX();
    frame.eventY = media::eventY();
    if (frame.eventX != frame.hoverX || frame.eventY != frame.hoverY) {
        frame.heldEvent = frame.frameEvent;
        frame.frameEvent = media::WindowEvent::none;
    }
}

void beginFrame(Viewer& v) {
    FrameState& frame = v.frame;
    frame.exitSuppressed = false;
    frame.skipRestOfFrame = false;
    frame.searchOpenedThisFrame = false;
    takeFrameEvent(frame);
    media::readMouse();
    media::readKeyboard();
    frame.hoverX = media::mouseX();  // where this frame's draw phase tests the pointer
    frame.hoverY = media::mouseY();
}

void storeKeyboardPointer(Viewer& v) {
    v.keyboard.keyboardPointerX = media::mouseX() - v.keyboard.keyboardX;
    v.keyboard.keyboardPointerY = media::mouseY() - v.keyboard.keyboardY;
}

void hideToolbarWhenDetached(Viewer& v) {
    if (v.frame.windowDetached) v.frame.toolbarShown = false;
}

void loadPendingText(Viewer& v) {
    const bool due = media::frameCounts().frames >= v.text.textReadFromFrame;
    if (v.text.textExtractionPending && due) loadExtractedText(v);
}

bool pageGestureAllowed(const FrameState& frame) {
    return !frame.thumbnailMode && !frame.pointerOverHitList && !frame.pointerOverSearchButton &&
           !frame.contentsPanelOpen && !frame.recentPanelOpen;
}

// A strip is lit only while it is drawn. Behind the tool bar its flag keeps its value, but a press
// there belongs to the tool bar: a finger that leaves a strip for a button must not turn the page.
static bool backStripLit(const FrameState& frame) {
    return frame.backStripHovered && !frame.toolbarShown;
}
static bool forwardStripLit(const FrameState& frame) {
    return frame.forwardStripHovered && !frame.toolbarShown;
}
static bool stripLit(const FrameState& frame) {
    return backStripLit(frame) || forwardStripLit(frame);
}

void handleDoubleClick(Viewer& v) {
    FrameState& frame = v.frame;
    // On a lit strip a second quick press turns the page again: there a fit was never what was meant.
    if (frame.frameEvent == media::WindowEvent::leftDoubleClick && stripLit(frame))
        frame.frameEvent = media::WindowEvent::leftDown;
    if (frame.frameEvent != media::WindowEvent::leftDoubleClick) return;
    if (pageGestureAllowed(frame) && !frame.textViewOpen && !frame.pointerOverKeyboard) {
        restoreFit(v);
        frame.longPress = true;
        frame.pagePressed = false;
        frame.frameEvent = media::WindowEvent::none;
        frame.doubleClickHeld = true;
    }
    if (frame.thumbnailMode) {
        frame.thumbnailMode = false;
        frame.frameEvent = media::WindowEvent::none;
    }
}

static void toggleSearchPanel(Viewer& v) {
    FrameState& frame = v.frame;
    frame.keyboardKeyDown = false;
    if (frame.searchPanelOpen) {
        frame.searchPanelOpen = false;
        frame.searchInputActive = false;
    } else {
        closeGoToPanel(v);
        frame.searchPanelOpen = true;
        frame.textViewOpen = false;
        frame.searchOpenedThisFrame = true;
    }
}

static void toggleTextView(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.textViewOpen) {
        frame.textViewOpen = false;
        frame.keyboardKeyDown = false;
    } else if (v.document.pageCount >= 1) {
        frame.textViewOpen = true;
        frame.keyboardKeyDown = false;
        showTextView(v);
    }
}

void handlePanelButtonRelease(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp || !frame.toolbarShown) return;
    if (frame.pointerOverHitList || frame.pointerOverSearchButton) return;
    if (frame.hoveredButton == Button::info) {
        frame.infoPanelOpen = !frame.infoPanelOpen;
        if (frame.infoPanelOpen) frame.textViewOpen = false;
    } else if (frame.hoveredButton == Button::search) {
        toggleSearchPanel(v);
    } else if (frame.hoveredButton == Button::text) {
        toggleTextView(v);
    }
}

void handleThumbnailPick(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp || !frame.thumbnailMode || !frame.cellHovered) return;
    if (frame.pointerOverHitList || frame.pointerOverSearchButton) return;
    pickThumbnail(v);
}

void refreshTextView(Viewer& v) {
    if (v.frame.textViewOpen) showTextView(v);
}

static void reattachWindow(Viewer& v) {
    v.frame.windowDetached = false;
    media::toggleWindowCaption();
    media::releasePointer(false);
    v.frame.skipRestOfFrame = true;
}

void handlePress(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent == media::WindowEvent::leftDown)
        frame.doubleClickHeld = false;  // a gesture of its own
    if (frame.frameEvent != media::WindowEvent::leftDown || !pageGestureAllowed(frame)) return;
    if (!stripLit(frame) && !frame.toolbarShown && !frame.pagePressed) {
        frame.pressTime = media::elapsedMilliseconds();
        pressOnPage(v, frame.eventX, frame.eventY);
        if (frame.windowDetached) {
            reattachWindow(v);
            return;
        }
    }
    bool workerRunning = v.conversion.workerRunning.load();
    if (backStripLit(frame) && !workerRunning && !frame.pagePressed && previousPage(v)) refreshTextView(v);
    if (forwardStripLit(frame) && !workerRunning && !frame.pagePressed && nextPage(v)) refreshTextView(v);
    frame.pagePressed = true;
}

// A press held this long is no tap: its release starts no glide.
constexpr std::int64_t longPressMilliseconds = 160;

void handleRelease(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp || !pageGestureAllowed(frame)) return;
    frame.pagePressed = false;
    frame.zoomDragging = false;
    frame.releaseTime = media::elapsedMilliseconds();
    frame.longPress = frame.releaseTime - frame.pressTime >= longPressMilliseconds;
    // The release that ends a double-click leaves the page fitted and centred, however quick it was.
    const bool endsDoubleClick = frame.doubleClickHeld;
    frame.doubleClickHeld = false;
    bool tap = !frame.longPress && !endsDoubleClick && !stripLit(frame) && !frame.toolbarShown &&
               !frame.textViewOpen && !frame.pointerOverKeyboard && !frame.pointerOverSearchButton &&
               !v.view.panAnimating;
    // A tap on the page counter asks for a page number instead of gliding the page.
    if (tap && pointerOnPageCounter(v)) {
        openGoToPanel(v);
    } else if (tap) {
        startGlide(v);
    }
}

void pulsePointer(FrameState& frame) {
    if (!frame.pointerFading) {
        frame.pointerIntensity += 20;
        if (frame.pointerIntensity > 254) frame.pointerFading = true;
    }
    if (frame.pointerFading) {
        frame.pointerIntensity -= 20;
        if (frame.pointerIntensity < 50) frame.pointerFading = false;
    }
}

static bool zoomDragAllowed(const Viewer& v) {
    const FrameState& frame = v.frame;
    return frame.pagePressed && media::mouseButton(1) && !stripLit(frame) && !frame.toolbarShown &&
           media::spriteExists(sprite::page) && pageGestureAllowed(frame) && !frame.textViewOpen &&
           !frame.pointerOverKeyboard;
}

void updatePageView(Viewer& v) {
    if (v.view.panAnimating && !v.frame.pagePressed) glidePosition(v);
    if (zoomDragAllowed(v)) zoomDrag(v);
    if (showAwaitedPage(v)) refreshTextView(v);
    if (v.document.pageCount == 1 && !v.view.firstPageShown) singlePageFinish(v);
}
