// The frame state: the event, the pointer's gesture and the layers shown, decided each frame. Each
// field names who writes it; "the loop" is app/ (start-up, the frame's steps, the tool bar, opening).
// A feature that takes the frame's event or ends the gestures does it through the two functions below.
#pragma once

#include <cstdint>
#include <string>

#include "context/numbers.h"
#include "media/input/input.h"

struct FrameState {
    media::WindowEvent frameEvent = media::WindowEvent::none;  // the loop; none once consumed
    int eventX = 0, eventY = 0;                                // the loop: where the frame's event happened
    media::WindowEvent heldEvent =
        media::WindowEvent::none;  // the loop: an event held back a frame until hovered where it happened
    int hoverX = 0, hoverY = 0;    // the loop: the pointer position this frame's draw phase tests
    Button hoveredButton = Button::none;  // the loop: the tool-bar button under the pointer
    bool toolbarShown = false;  // the loop: the pointer is in the tool-bar zone and the bar is drawn
    // The view's strip drawing (lit strips) and page change (cleared at the first and last page).
    bool backStripHovered = false, forwardStripHovered = false;
    bool pagePressed = false;   // the loop: the button went down on the page view and is still down
    bool zoomDragging = false;  // the view's zoom drag sets it; the loop clears it at a release
    std::int64_t pressTime = 0, releaseTime = 0;  // the loop
    bool longPress = false;                       // the loop: the last press lasted 160 ms or more
    int pointerIntensity = 50;                    // the loop: the pointer's pulse
    bool pointerFading = false;                   // the loop
    int pageCounterY = 0;                         // the loop
    bool windowDetached = false;                  // the loop (Detach, and the press that re-attaches)
    bool exitSuppressed = false;                  // the loop, for the frame the about screen returns in
    bool infoPanelOpen = false, searchPanelOpen = false,
         textViewOpen = false;   // the loop (tool bar, opening, sheet)
    bool thumbnailMode = false;  // the loop (Thumbnails, double-click, opening); ended by a pick
    // The loop (the information panel's buttons, the other panels, opening); ended by a row's tap.
    bool contentsPanelOpen = false, recentPanelOpen = false;
    bool pointerOverKeyboard = false;                                  // the loop's draw phase
    bool pointerOverHitList = false, pointerOverSearchButton = false;  // the search's hover tests
    bool cellHovered = false;                                          // the sheet's hover test
    bool searchInputActive = false;                                    // the loop (Search button)
    bool searchOpenedThisFrame = false;  // the loop: this frame's release on Search opened the panel
    bool keyboardKeyDown = false;    // the on-screen keyboard (press, release); the tool-bar actions clear it
    bool welcomeShown = true;        // the loop: start-up until a document is opened
    int welcomeFade = 0;             // the loop
    bool quit = false;               // the loop: the loop ends after this frame (Escape or Exit)
    bool skipRestOfFrame = false;    // the loop: re-attach skips the rest of the frame, flip included
    bool messagePanelShown = false;  // the loop: the message panel (sprite::infoMessage) is on screen
    std::string messagePanelText;    // the loop: what the message panel says
    std::int64_t messagePanelSince = 0;  // the loop: when it was put up; it goes after a while or a press
    int laterSpritesDrawn = 0;     // the loop: groups of tips, text view, keyboard, about screen made so far
    bool doubleClickHeld = false;  // the loop: a double-click fitted the page; its release is no tap
};

// The frame's event has been taken: the later steps of this frame do not see it.
void consumeEvent(FrameState& frame);

// A page was picked from the sheet or the hit list: the sheet closes, no gesture of the old view goes
// on (tool bar, lit strips, a held press) and the event is consumed. The caller stops the glide.
void endGesturesForPick(FrameState& frame);
