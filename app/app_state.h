// The application shell's state: identity texts, paths, display geometry, fonts, tool-bar layout and
// the frame state that the main loop owns.
#pragma once

#include <cstdint>
#include <string>

// Fixed sprite numbers shared by every part of the viewer.
namespace sprite {
constexpr int pointer = 0;
constexpr int backStrip = 1;
constexpr int forwardStrip = 2;
constexpr int toolbar = 3;
constexpr int progressBar = 4;
constexpr int welcome = 6;
constexpr int touchRing = 7;
constexpr int pageNotReady = 8;
constexpr int pageCounter = 9;
constexpr int page = 10;
constexpr int thumbWait = 12;
constexpr int openButton = 50;
constexpr int thumbsButton = 51;
constexpr int aboutButton = 52;
constexpr int exitButton = 53;
constexpr int detachButton = 54;
constexpr int thumbsButtonOff = 55;
constexpr int infoButton = 56;
constexpr int searchButton = 57;
constexpr int openHover = 60;
constexpr int thumbsHover = 61;
constexpr int aboutHover = 62;
constexpr int exitHover = 63;
constexpr int detachHover = 64;
constexpr int infoHover = 66;
constexpr int searchHover = 67;
constexpr int thumbnailSheet = 77;
constexpr int cellHighlight = 78;
constexpr int markedSheet = 79;
constexpr int infoPanel = 80;
constexpr int searchHeader = 81;
constexpr int searchList = 82;
constexpr int searchCursor = 83;
constexpr int searchGo = 84;
constexpr int textButton = 85;
constexpr int textView = 86;
constexpr int textMeasure = 87;
constexpr int searchButtonOff = 88;
constexpr int textButtonOff = 89;
constexpr int keyboardLower = 90;
constexpr int keyboardUpper = 91;
constexpr int keyboardAltGr = 92;
constexpr int textHover = 95;
constexpr int backZone = 100;
constexpr int aboutText = 116;
constexpr int aboutFadeLight = 117;
constexpr int aboutFadeDark = 118;
constexpr int logo = 119;
constexpr int forwardZone = 200;
constexpr int toolbarZone = 300;
constexpr int infoMessage = 301;  // the "cannot be read" message panel
}  // namespace sprite

// Font numbers.
namespace font {
constexpr int base = 0;
constexpr int medium = 1;
constexpr int large = 2;
constexpr int title = 3;
}  // namespace font

// Tool-bar hover numbers (values of hoveredButton).
namespace button {
constexpr int none = 0, open = 1, thumbnails = 2, about = 3, exit = 4, detach = 5, info = 6,
              search = 7, text = 8;
}

// Fixed for the run by start-up.
struct Layout {
    std::string programTitle;     // "Pagewell"
    std::string versionText;      // "v1.0 - 10 January 2016"
    std::string makerLine;        // "by Tarnwick"
    std::string tempFolder;       // ends with "/"
    std::string programFolder;    // ends with "/"
    std::string cacheRoot;        // programFolder + "cache/" (or the user's cache folder)
    int deskWidth = 0, deskHeight = 0;
    int screenWidth = 0, screenHeight = 0;
    int baseFontSize = 0, mediumFontSize = 0, largeFontSize = 0, titleFontSize = 0;
    int soundUnavailable = 0;
    int buttonGap = 0;
    int openButtonX = 0, thumbsButtonX = 0, infoButtonX = 0, searchButtonX = 0, textButtonX = 0,
        aboutButtonX = 0, exitButtonX = 0, detachButtonX = 0;
    int tipOpenSprite = -1, tipThumbsSprite = -1, tipInfoSprite = -1, tipSearchSprite = -1,
        tipAboutSprite = -1, tipExitSprite = -1, tipDetachSprite = -1, tipTextSprite = -1;
    int textLineChars = 0;        // characters per text-view line
    int textViewLastLine = 0;     // highest text-view line index
    int keyboardX = 0, keyboardY = 0;  // where the on-screen keyboard face is shown
};

// Owned by the main loop; all flags are 0 or 1.
struct FrameState {
    int frameEvent = 0;           // 513 down, 514 up, 515 double-click; 0 once consumed
    int hoveredButton = 0;        // button:: value under the pointer
    int toolbarShown = 0;
    int backStripHovered = 0, forwardStripHovered = 0;
    int pagePressed = 0;          // button went down on the page view and is still down
    int zoomDragging = 0;
    std::int64_t pressTime = 0, releaseTime = 0;
    int longPress = 0;            // the last press lasted 160 ms or more
    int pointerIntensity = 50;
    int pointerFading = 0;
    int pageCounterY = 0;
    int windowDetached = 0;
    int exitSuppressed = 0;       // set by the about screen for the frame it returns in
    int infoPanelOpen = 0, searchPanelOpen = 0, textViewOpen = 0;
    int thumbnailMode = 0;
    int pointerOverKeyboard = 0;
    int pointerOverHitList = 0, pointerOverSearchButton = 0;
    int cellHovered = 0;
    int searchInputActive = 0;
    int keyboardKeyDown = 0;
    int welcomeShown = 1;
    int welcomeFade = 0;
    int quit = 0;                 // the loop ends after this frame (Escape or Exit)
    int skipRestOfFrame = 0;      // re-attach: the rest of the frame, flip included, is skipped
    int messagePanelShown = 0;    // showMessagePanel's panel (sprite::infoMessage) is on screen
    std::string messagePanelText;  // what the message panel says
    std::int64_t messagePanelSince = 0;  // when it was put up; it goes after a while or a press
};
