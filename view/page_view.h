// The page view: fitting, flipping and going to a page (waiting on one not ready), the glide, the zoom
// drag, first-page display and drawing.
#pragma once

#include "context/viewer.h"
#include "media/display/display.h"

void fitPage(Viewer& v);
// The size fitPage gives a page picture of width x height just loaded.
media::DisplaySize fittedPageSize(const Layout& layout, int width, int height);
// Looks up the image of currentPage and, when it exists, redraws the page counter, loads it into the
// page sprite, fits it and redraws the status line. True when the new page is on the sprite.
bool showPage(Viewer& v);
void restoreFit(Viewer& v);
// The strip actions; true when a page was loaded (the caller refreshes what follows the page).
bool previousPage(Viewer& v);
bool nextPage(Viewer& v);
// Goes to page (1..pageCountShown) as a pick does; the page shown is loaded and fitted again. A page
// not ready yet is waited on: the page shown stays with the not-ready notice, the conversion makes it
// next, and it comes in place of the notice once its file is there (showAwaitedPage). True when the
// page was loaded.
bool goToPage(Viewer& v, int page);
void stopGlide(Viewer& v);
// An opening: page 1, no fit yet, no glide, no not-ready notice; page 1 is waited on.
void resetPageView(Viewer& v);
// A cached document: the JPEG of the page it opens at (currentPage) on the page sprite, fitted.
void showCachedFirstPage(Viewer& v);
// A press on the page view: stops the glide and takes the shift from the press point.
void pressOnPage(Viewer& v, int pressX, int pressY);
void startGlide(Viewer& v);
void glideTick(Viewer& v);
void glidePosition(Viewer& v);
void zoomDrag(Viewer& v);
// One zoom step about the screen point (x, y), as a drag of delta × 10 pixels in one frame makes it,
// within the drag's largest factor; a step that would take the page below its fit size shows it at
// the fit size, and the zoomed page always covers its fitted place.
void zoomStepAbout(Viewer& v, float delta, int x, int y);
// Frame step: after a converter's end, the page waited on is shown when its file is there (page 1
// of an opening with the pointer centred; a page asked for in place of the not-ready notice). True
// when a page was loaded.
bool showAwaitedPage(Viewer& v);
void singlePageFinish(Viewer& v);
void drawPage(Viewer& v);
void drawStrips(Viewer& v);
void drawStatusLine(Viewer& v);
// Redraws the page counter (9) with currentPage "/" pageCountShown.
void drawPageCounter(Viewer& v);
