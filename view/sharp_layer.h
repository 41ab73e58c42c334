// The sharp layer: once the view settles with the page shown larger than its picture, the tool program
// renders the visible part at the displayed scale, and it is drawn over the page, pixel for pixel.
#pragma once

#include <string>

#include "context/viewer.h"
#include "document/tools.h"

// Where the page stands on the screen and how large its picture is.
struct PageOnScreen {
    int screenWidth = 0, screenHeight = 0;
    int left = 0, top = 0;                    // the page's displayed corner, offsets included
    int displayWidth = 0, displayHeight = 0;  // its displayed size
    int ownWidth = 0, ownHeight = 0;          // its picture's size
};
// The part of the page a layer covers, in displayed pixels from the page's corner: what of it is on
// the screen, when the page is shown larger than its picture in either direction; else none (width 0).
// A picture the converter had to reduce (a huge page) gets none: its scale is not the document's.
struct PagePart {
    int x = 0, y = 0, width = 0, height = 0;
};
PagePart sharpPartOf(const PageOnScreen& page);
// The view a layer would be made for now, the view settled or not: the page the sprite holds, if of
// the open document, at its displayed size, and its part on the screen; empty when it needs none.
SharpView sharpViewOnScreen(const Viewer& v);
// What the region renderer is asked for to make the layer of view, the page sprite showing its page:
// the part in points at the resolution that draws the page at its displayed width.
PageRegion sharpRegionOf(const Viewer& v, const SharpView& view);

// The page view, at every load of the page sprite: which page, from which file.
void notePageInSprite(Viewer& v, int page, const std::string& file);
// Frame step, after the flip: follows the render in flight (answered, taken), drops one the
// view has left, and asks for a new one once the view has settled. It only polls: it never waits.
void updateSharpLayer(Viewer& v);
// Draw phase, right after the page: the layer, only over the page picture and size it was made for.
void drawSharpLayer(const Viewer& v);
// The layer shown covers all of the page that is on the screen: the page itself need not be drawn.
bool sharpLayerCoversPage(const Viewer& v);
// Stops the region renderer and lets the layer go (exit, a test's end).
void endSharpLayer(Viewer& v);
