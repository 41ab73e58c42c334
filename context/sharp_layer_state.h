// The sharp layer: the visible part of the page rendered at its displayed scale, drawn over it.
#pragma once

#include <string>

// What one layer shows: which page picture, at which displayed size, and which part of it. A layer is
// drawn only over the page picture and size it was made for; an empty view (width 0) is none.
struct SharpView {
    std::string pageFile;  // the file the page sprite was loaded from: the document and the page
    int page = 0;
    int displayWidth = 0, displayHeight = 0;  // the page's displayed size
    int x = 0, y = 0, width = 0, height = 0;  // the part, in displayed pixels from the page's corner
    bool operator==(const SharpView&) const = default;
    bool empty() const { return width <= 0 || height <= 0; }
};

// One render of the tool program for a view: running as process until its file is written, then
// arriving while the file is decoded ahead.
enum class SharpRenderStage { none, running, arriving };

struct SharpRender {
    SharpView view;
    SharpRenderStage stage = SharpRenderStage::none;
    int process = 0;   // the tool program while running
    std::string file;  // where it writes the layer
};

// Written by the layer's module (view/sharp_layer.cpp) alone, but for the page the sprite holds,
// which the page view notes at every load.
struct SharpLayerState {
    std::string pageInSprite;  // the file the page sprite was last loaded from ("" none)
    int pageNumberInSprite = 0;
    std::string fileToken;  // names this viewer's layer files apart from another viewer's
    int fileSerial = 0;     // each render writes a file of its own
    SharpView shown;        // what the layer sprite holds
    SharpRender render;     // at most one render in flight
    SharpView failed;       // a view whose render gave nothing, not asked for again while it is shown
};
