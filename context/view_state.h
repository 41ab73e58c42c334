// The page view (flip, zoom, glide) and the thumbnail sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PageViewState {
    int currentPage = 1;
    int pageX = 0, pageY = 0;
    int zoomOffsetX = 0, zoomOffsetY = 0;
    float zoomFactor = 1.0f;
    float zoomDelta = 0.0f, previousZoomDelta = 0.0f;
    float zoomStep = 1.0f;
    bool zoomApply = false;
    float fitWidth = 0.0f, fitHeight = 0.0f;
    bool fitByWidth = false;
    float pageFitWidth = 0.0f, pageFitHeight = 0.0f;
    bool panAnimating = false;
    std::int64_t panElapsed = 0;
    int panStartX = 0, panStartY = 0;
    int panShiftX = 0, panShiftY = 0;
    int panDuration = 450;
    std::int64_t lastTick = 0;
    bool pageNotReady = false;  // the not-ready notice: a page asked for is not there yet
    // The page the view waits on: page 1 after an opening, or a page asked for while not ready (then
    // with the notice). It is shown once a converter's end leaves its file there; 0 for none.
    int awaitedPage = 0;
    int lastSeenConverterEnd = 0;  // the conversion's count of ended converters when last looked at
    bool firstPageShown = false;   // the page sprite holds a page of this opening
    std::string pageCounterText;
};

struct ThumbnailCell {
    int screenX = 0, screenY = 0;
    int sheetX = 0, sheetY = 0;
    int width = 0, height = 0;
    int page = 0;
};

// The grid values are written by the page-file worker before it sets sheetBuildRequested and read by
// the main thread only after it has seen that flag.
struct SheetState {
    int sheetColumns = 0, sheetRows = 0;
    int thumbnailWidth = 0, thumbnailHeight = 0;
    int sheetCellWidth = 0, sheetCellHeight = 0;
    std::vector<ThumbnailCell> thumbnailCells;
    bool sheetReady = false;
    bool sheetJustBuilt = false;
    bool sheetLoadPending = false;  // a saved sheet is being decoded in the background
    int hoveredCell = -1;           // index into thumbnailCells
    int keyboardCell = -1;          // index into thumbnailCells the arrow keys highlight; -1 none
    int sheetEndRow = 0;
    float thumbFitWidth = 0.0f, thumbFitHeight = 0.0f;
};
