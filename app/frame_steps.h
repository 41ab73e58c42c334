// The steps of one frame, in the order runFrame calls them; only the frame loop uses them.
#pragma once

#include "context/viewer.h"

// Input, background work and gestures (frame.cpp).
void beginFrame(Viewer& v);
void storeKeyboardPointer(Viewer& v);
void hideToolbarWhenDetached(Viewer& v);
void loadPendingText(Viewer& v);
void handleDoubleClick(Viewer& v);
void handlePanelButtonRelease(Viewer& v);
void handleThumbnailPick(Viewer& v);
void handlePress(Viewer& v);
void handleRelease(Viewer& v);
void pulsePointer(FrameState& frame);
void updatePageView(Viewer& v);
// Panels that keep a gesture away from the page: the sheet, the hit list, the Search button.
bool pageGestureAllowed(const FrameState& frame);
// The text view follows the page when a strip, a key or the wheel turns it.
void refreshTextView(Viewer& v);

// The keyboard's and the wheel's page turns, zoom, Open and sheet walk (keys.cpp).
void handleKeysAndWheel(Viewer& v);

// The draw phase, back to front (frame_draw.cpp).
void displayPageOrSheet(Viewer& v);
void hoverKeyboard(Viewer& v);
void displayToolbar(Viewer& v);
void displayEdgeStrips(Viewer& v);
void hoverOpenThumbnailsInfo(Viewer& v);
void displayInfoPanel(Viewer& v);
void displaySearchLayer(Viewer& v);
void displayHitListAndTextView(Viewer& v);
void hoverSearchTextAboutExit(Viewer& v);
void hoverSearchGo(Viewer& v);
void hoverDetach(Viewer& v);
void displayPointer(Viewer& v);
void displayPageCounter(Viewer& v);
void displayTouchRing(Viewer& v);
void displayProgressBar(Viewer& v);
void displayThumbWaitNotice(Viewer& v);
void displayWelcome(Viewer& v);
void displayPageNotReady(Viewer& v);
void displayMessagePanel(Viewer& v);

// Dialogs beside the loop (dialogs.cpp).
// The Open button: starts the file chooser; without one a message panel says so.
void startOpenDialog(Viewer& v);
// A chooser that has ended opens its file; while a dialog is up, the frame's event is dropped.
void handleDialogs(Viewer& v);

// After the drawing (frame_actions.cpp).
void handleKeyboardKeys(Viewer& v);
void handleToolbarRelease(Viewer& v);
void openHandedDocument(Viewer& v);
void handleSearchHitPick(Viewer& v);
void flipAndClear();
void typeAndRedrawSearch(Viewer& v);
void buildRequestedSheet(Viewer& v);
bool escapeEndsLoop(Viewer& v);

// Where the reader is (reading_steps.cpp): the list panels' presses and releases and their buttons;
// Back from the keys and the mouse; the move to the kept page; the panels' drawing.
void handleReadingPanels(Viewer& v);
void handleBackRequests(Viewer& v);
void followReadingPlace(Viewer& v);
void displayReadingPanels(Viewer& v);
void displayHitListBack(Viewer& v);
void displayRecentOnWelcome(Viewer& v);
