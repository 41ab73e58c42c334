// The search: the panel's hover and display, typing, the worker, the hit list, picking a hit.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

// Pure: at most one hit per page, in page order, case-insensitive (Unicode case folding).
std::vector<SearchHit> searchPages(const std::vector<PageText>& pages, const std::string& word);

void displaySearchPanel(Viewer& v);  // draw step 16.7: panel and Search button
void displayHitList(Viewer& v);      // draw step 16.8: hit list, then (after the text view) cursor
void displayHitCursor(Viewer& v);
void searchButtonHover(Viewer& v);  // draw step 16.9: Search-button hover and start on release
void typeSearchWord(Viewer& v);     // frame step 22
void startSearch(Viewer& v);
void renderHitList(Viewer& v);
// A release on a row of the hit list shows its page; the gestures end and the event is consumed. The
// loop puts the on-screen keyboard back to lower case first.
void pickSearchHit(Viewer& v);
// An opening: the search worker waited for, the hit list emptied.
void resetSearch(Viewer& v);
void redrawSearchHeaderIfChanged(Viewer& v);
// Redraws the search panel (81) from its title and the current search word.
void drawSearchHeader(Viewer& v);
