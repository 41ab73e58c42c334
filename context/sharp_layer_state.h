// The sharp layer: the visible part of the page rendered at its displayed scale, drawn over it.
#pragma once

#include <cstdint>
#include <string>

#include "media/system/system.h"

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

// One render for a view: running until the region renderer answers that the layer's pixels are in
// the shared memory.
enum class SharpRenderStage { none, running };

struct SharpRender {
    SharpView view;
    SharpRenderStage stage = SharpRenderStage::none;
    int request = 0;       // its request's number
    bool retried = false;  // asked again of a new renderer once, after the last one ended unanswering
};

// The region renderer serving the open document: started for the first layer, it keeps the document
// open, so that later renders cost neither a process start nor reading the page afresh. It draws into
// memory shared with it, a screen's pixels, and works on one request at a time.
struct RegionServer {
    int process = 0;
    media::LineChannel channel;
    media::SharedMemory pixels;
    std::string document;     // the document it serves
    std::string folder;       // its confinement's folder
    int requestInFlight = 0;  // the number of the request it works on (0 none)
    std::int64_t sentAt = 0;  // when that request went
};

// Written by the layer's module (view/sharp_layer.cpp) alone, but for the page the sprite holds,
// which the page view notes at every load.
struct SharpLayerState {
    std::string pageInSprite;  // the file the page sprite was last loaded from ("" none)
    int pageNumberInSprite = 0;
    int requestSerial = 0;  // numbers the requests
    SharpView shown;        // what the layer sprite holds
    SharpRender render;     // the render for the view wanted now
    RegionServer server;    // also finishes a request the view has moved on from, unseen
    SharpView failed;       // a view whose render gave nothing, not asked for again while it is shown
};
