// The frame state: the flags and positions the frame loop decides each frame.
#pragma once

#include <cstdint>
#include <string>

// Owned by the main loop; all flags are 0 or 1.
struct FrameState {
    int frameEvent = 0;     // 513 down, 514 up, 515 double-click; 0 once consumed
    int hoveredButton = 0;  // button:: value under the pointer
    int toolbarShown = 0;
    int backStripHovered = 0, forwardStripHovered = 0;
    int pagePressed = 0;  // button went down on the page view and is still down
    int zoomDragging = 0;
    std::int64_t pressTime = 0, releaseTime = 0;
    int longPress = 0;  // the last press lasted 160 ms or more
    int pointerIntensity = 50;
    int pointerFading = 0;
    int pageCounterY = 0;
    int windowDetached = 0;
    int exitSuppressed = 0;  // set by the about screen for the frame it returns in
    int infoPanelOpen = 0, searchPanelOpen = 0, textViewOpen = 0;
    int thumbnailMode = 0;
    int pointerOverKeyboard = 0;
    int pointerOverHitList = 0, pointerOverSearchButton = 0;
    int cellHovered = 0;
    int searchInputActive = 0;
    int keyboardKeyDown = 0;
    int welcomeShown = 1;
    int welcomeFade = 0;
    int quit = 0;                        // the loop ends after this frame (Escape or Exit)
    int skipRestOfFrame = 0;             // re-attach: the rest of the frame, flip included, is skipped
    int messagePanelShown = 0;           // showMessagePanel's panel (sprite::infoMessage) is on screen
    std::string messagePanelText;        // what the message panel says
    std::int64_t messagePanelSince = 0;  // when it was put up; it goes after a while or a press
};
