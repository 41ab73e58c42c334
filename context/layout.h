// Fixed for the run by start-up: identity texts, paths, display geometry, fonts, tool-bar layout.
#pragma once

#include <string>

// Written once by start-up (app/) and never changed after: the tool tips' sprite numbers once the tips
// are made after the first frame, everything else before it.
struct Layout {
    std::string programTitle;   // "Pagewell"
    std::string versionText;    // "v1.0 - 10 January 2016"
    std::string makerLine;      // "by Tarnwick"
    std::string tempFolder;     // ends with "/"
    std::string programFolder;  // the executable's folder, with its tools and Pagewell.ini; ends with "/"
    // programFolder + "cache/"; the current folder's for a program in a temporary folder; the user's
    // cache folder where that cannot be written
    std::string cacheRoot;
    int deskWidth = 0, deskHeight = 0;
    int screenWidth = 0, screenHeight = 0;
    int baseFontSize = 0, mediumFontSize = 0, largeFontSize = 0, titleFontSize = 0;
    int buttonGap = 0;
    int openButtonX = 0, thumbsButtonX = 0, infoButtonX = 0, searchButtonX = 0, textButtonX = 0,
        aboutButtonX = 0, exitButtonX = 0, detachButtonX = 0;
    int tipOpenSprite = -1, tipThumbsSprite = -1, tipInfoSprite = -1, tipSearchSprite = -1,
        tipAboutSprite = -1, tipExitSprite = -1, tipDetachSprite = -1,
        tipTextSprite = -1;    // -1: not made yet
    int textLineChars = 0;     // display columns per text-view line
    int textViewLastLine = 0;  // highest text-view line index
};
