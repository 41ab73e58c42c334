// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "view/fitting.h"
#include "view/page_view.h"
#include "view/sheet.h"

FitSize fitInto(int limit, int width, int height) { (void)limit; (void)width; (void)height; return {}; }
float easeOutExpo(float t, float b, float c, float d) { (void)t; (void)b; (void)c; (void)d; return {}; }
ThumbnailGrid chooseThumbnailGrid(int pageCount, float pageFitWidth, float pageFitHeight) { (void)pageCount; (void)pageFitWidth; (void)pageFitHeight; return {}; }
int nearest(double value) { (void)value; return {}; }
void fitPage(Viewer& v) { (void)v; }
void showPage(Viewer& v, bool refreshTextView) { (void)v; (void)refreshTextView; }
void restoreFit(Viewer& v) { (void)v; }
void previousPage(Viewer& v) { (void)v; }
void nextPage(Viewer& v) { (void)v; }
void pressOnPage(Viewer& v, int pressX, int pressY) { (void)v; (void)pressX; (void)pressY; }
void startGlide(Viewer& v) { (void)v; }
void glideTick(Viewer& v) { (void)v; }
void glidePosition(Viewer& v) { (void)v; }
void zoomDrag(Viewer& v) { (void)v; }
void firstPageCheck(Viewer& v) { (void)v; }
void singlePageFinish(Viewer& v) { (void)v; }
void drawPage(Viewer& v) { (void)v; }
void drawStrips(Viewer& v) { (void)v; }
void drawStatusLine(Viewer& v) { (void)v; }
SheetTrailer parseSheetTrailer(const std::string& fileBytes, int sheetWidth, int sheetHeight) { (void)fileBytes; (void)sheetWidth; (void)sheetHeight; return {}; }
std::string formatSheetTrailer(int cellWidth, int cellHeight, int columns, int rows) { (void)cellWidth; (void)cellHeight; (void)columns; (void)rows; return {}; }
void drawThumbWaitSprite(Viewer& v) { (void)v; }
void buildThumbnailSheet(Viewer& v) { (void)v; }
void prepareThumbnailCells(Viewer& v) { (void)v; }
bool loadThumbnailSheet(Viewer& v) { (void)v; return {}; }
void showThumbnailMode(Viewer& v) { (void)v; }
void pickThumbnail(Viewer& v) { (void)v; }
void markHitsOnSheet(Viewer& v) { (void)v; }
