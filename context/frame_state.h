// The frame state: the event, the pointer's gesture and the layers shown, decided each frame. Each
// field names who writes it; "the loop" is app/ (start-up, the frame's steps, the tool bar, opening).
// A feature that takes the frame's event or ends the gestures does it through the two functions below.
#pragma once

#include <cstdint>
#include <string>

// All flags are 0 or 1.
struct FrameState {
    int frameEvent = 0;          // the loop (513 down, 514 up, 515 double-click); 0 once consumed
    int eventX = 0, eventY = 0;  // the loop: where the frame's event happened
    int heldEvent = 0;           // the loop: an event held back a frame until hovered where it happened
    int hoverX = 0, hoverY = 0;  // the loop: the pointer position this frame's draw phase tests
    int hoveredButton = 0;       // the loop: button:: value under the pointer
    int toolbarShown = 0;        // the loop: the pointer is in the tool-bar zone and the bar is drawn
    // The view's strip drawing (lit strips) and page change (cleared at the first and last page).
    int backStripHovered = 0, forwardStripHovered = 0;
    int pagePressed = 0;   // the loop: the button went down on the page view and is still down
    int zoomDragging = 0;  // the view's zoom drag sets it; the loop clears it at a release
    std::int64_t pressTime = 0, releaseTime = 0;  // the loop
    int longPress = 0;                            // the loop: the last press lasted 160 ms or more
    int pointerIntensity = 50;                    // the loop: the pointer's pulse
    int pointerFading = 0;                        // the loop
    int pageCounterY = 0;                         // the loop
    int windowDetached = 0;                       // the loop (Detach, and the press that re-attaches)
    int exitSuppressed = 0;                       // the loop, for the frame the about screen returns in
    int infoPanelOpen = 0, searchPanelOpen = 0, textViewOpen = 0;  // the loop (tool bar, opening, sheet)
    int thumbnailMode = 0;        // the loop (Thumbnails, double-click, opening); ended by a pick
    int pointerOverKeyboard = 0;  // the loop's draw phase
    int pointerOverHitList = 0, pointerOverSearchButton = 0;  // the search's hover tests
    int cellHovered = 0;                                      // the sheet's hover test
    int searchInputActive = 0;                                // the loop (Search button)
    int searchOpenedThisFrame = 0;  // the loop: this frame's release on Search opened the panel
    int keyboardKeyDown = 0;        // the on-screen keyboard (press, release); the tool-bar actions clear it
    int welcomeShown = 1;           // the loop: start-up until a document is opened
    int welcomeFade = 0;            // the loop
    int quit = 0;                   // the loop: the loop ends after this frame (Escape or Exit)
    int skipRestOfFrame = 0;        // the loop: re-attach skips the rest of the frame, flip included
    int messagePanelShown = 0;      // the loop: the message panel (sprite::infoMessage) is on screen
    std::string messagePanelText;   // the loop: what the message panel says
    std::int64_t messagePanelSince = 0;  // the loop: when it was put up; it goes after a while or a press
    bool doubleClickHeld = false;        // the loop: a double-click fitted the page; its release is no tap
};

// The frame's event has been taken: the later steps of this frame do not see it.
void consumeEvent(FrameState& frame);

// A page was picked from the sheet or the hit list: the sheet closes, no gesture of the old view goes
// on (tool bar, lit strips, a held press) and the event is consumed. The caller stops the glide.
void endGesturesForPick(FrameState& frame);
