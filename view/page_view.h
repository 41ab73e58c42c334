// The page view: fitting, flipping, the glide, the zoom drag, first-page display and drawing.
#pragma once

#include "context/viewer.h"

void fitPage(Viewer& v);
void showPage(Viewer& v, bool refreshTextView);
void restoreFit(Viewer& v);
void previousPage(Viewer& v);
void nextPage(Viewer& v);
// A press on the page view: stops the glide and takes the shift from the press point.
void pressOnPage(Viewer& v, int pressX, int pressY);
void startGlide(Viewer& v);
void glideTick(Viewer& v);
void glidePosition(Viewer& v);
void zoomDrag(Viewer& v);
void firstPageCheck(Viewer& v);
void singlePageFinish(Viewer& v);
void drawPage(Viewer& v);
void drawStrips(Viewer& v);
void drawStatusLine(Viewer& v);
