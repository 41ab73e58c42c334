// The thumbnail sheet: notice, build, saved file with its trailer, cells, thumbnail mode and its
// keyboard highlight, hit marks.
#pragma once

#include <string>

#include "context/viewer.h"

struct SheetTrailer {
    int cellWidth = 0, cellHeight = 0, columns = 0, rows = 0;
    bool valid = false;  // four sane values were found
};
// Reads the trailer after the file's last 0 byte. Values that are missing, garbled, zero, negative or
// larger than the sheet give valid = false.
SheetTrailer parseSheetTrailer(const std::string& fileBytes, int sheetWidth, int sheetHeight);
std::string formatSheetTrailer(int cellWidth, int cellHeight, int columns, int rows);

void drawThumbWaitSprite(Viewer& v);  // sprite 12, at start-up
// The sheet from the thumbnails the page-file worker prepared, in the grid it worked to.
void buildThumbnailSheet(Viewer& v, const PageFileOutput& grid);
void prepareThumbnailCells(Viewer& v);
std::string sheetFile(const Viewer& v);  // the document's thumb_sheet.png
// Loads thumb_sheet.png of a cached document; true when the sheet is ready.
bool loadThumbnailSheet(Viewer& v);
// An opening: no sheet until this document's is loaded or built.
void forgetSheet(Viewer& v);
// The sheet and the hover of its cells; the loop closes the search panel first.
void showThumbnailMode(Viewer& v);
// A release on a hovered cell shows its page; the gestures end and the event is consumed.
void pickThumbnail(Viewer& v);
// The arrow keys' highlight over the cells, drawn as the pointer's hover is. The first arrow shows it
// on the page shown (or moves it from the hovered cell); first and last reach the ends at once.
enum class CellMove { left, right, up, down, first, last };
void moveCellHighlight(Viewer& v, CellMove move);
// Return on the sheet: the highlighted cell's page (else the hovered one's) opens as a pick does.
void pickHighlightedCell(Viewer& v);
// Out of thumbnail mode the highlight goes, so that the sheet opens again without it.
void forgetCellHighlight(Viewer& v);
void markHitsOnSheet(Viewer& v);
