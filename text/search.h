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
void pickSearchHit(Viewer& v);
void redrawSearchHeaderIfChanged(Viewer& v);
