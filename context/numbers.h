// The viewer's fixed numbers: sprites and fonts, and the tool-bar buttons.
#pragma once

// Frames per second of the frame loop (the about screen scrolls at a rate of its own).
constexpr int framesPerSecond = 240;

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
constexpr int sharpLayer = 11;  // the visible part of the page at its displayed scale
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
constexpr int infoMessage = 301;     // the message panel ("This document cannot be read.", ...)
constexpr int passwordPanel = 302;   // the password panel with its masked field
constexpr int passwordOpen = 303;    // its Open button
constexpr int passwordCancel = 304;  // its Cancel button
constexpr int goToPanel = 310;       // the Go-to-page panel with its number field
constexpr int goToGo = 311;          // its Go button
constexpr int goToCancel = 312;      // its Cancel button
constexpr int contentsPanel = 320;   // the document's contents as a tree of rows
constexpr int recentList = 321;      // the recent documents, on the welcome screen or as a panel
constexpr int infoButtons = 322;     // Contents and Recent documents, under the information panel
constexpr int hitListBack = 323;     // Back in the hit list's title band
}  // namespace sprite

// Font numbers.
namespace font {
constexpr int base = 0;
constexpr int medium = 1;
constexpr int large = 2;
constexpr int title = 3;
}  // namespace font

// The tool-bar buttons (values of hoveredButton).
enum class Button { none, open, thumbnails, about, exit, detach, info, search, text };
