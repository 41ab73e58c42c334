// Inside the media layer: what a frame draws, kept as a list of steps until the flip, and the
// rectangles of the display in which the frames drawn by two lists can differ. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/pictures/pictures.h"

struct SDL_Texture;

namespace media::detail {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
    bool operator==(const Rect&) const = default;
};
Rect intersection(const Rect& a, const Rect& b);  // empty when they do not meet
bool overlap(const Rect& a, const Rect& b);
Rect box(const Rect& a, const Rect& b);  // the smallest rectangle holding both

enum class Blend : std::uint8_t { none, normal, multiply };

// A texture shared by the sprite or text that made it and by the frames that show it: a texture is
// destroyed only when neither needs it any more.
using TextureHandle = std::shared_ptr<SDL_Texture>;
TextureHandle adoptTexture(SDL_Texture* texture);  // empty for nullptr
// A number never given out before: names a picture's content as it is now.
std::uint64_t newContentVersion();

// One step of a frame: fill the whole display, fill a rectangle, or copy part of a texture.
struct DrawStep {
    enum class Kind : std::uint8_t { clear, fill, copy };
    Kind kind = Kind::clear;
    Colour colour = 0;           // clear, fill: RGB
    Rect destination;            // fill, copy: on the display
    Rect source;                 // copy: in the texture's pixels
    std::uint64_t content{};     // copy: the texture's pixels, by their version
    bool opaqueVariant = false;  // copy: a sprite's texture with every pixel made opaque
    Blend blend = Blend::none;
    std::uint8_t alpha = 255;  // alpha modulation
    std::uint8_t tint = 255;   // colour modulation, the same for red, green and blue
    bool smooth = false;       // bilinear filtering where the copy is scaled
    TextureHandle texture;     // copy: what is drawn; not part of a step's likeness

    bool scaled() const { return source.w != destination.w || source.h != destination.h; }
};

// Two steps draw the same pixels in the same places.
bool sameDrawing(const DrawStep& a, const DrawStep& b);
bool sameDrawing(const std::vector<DrawStep>& a, const std::vector<DrawStep>& b);

// The part of the screen a step can change (empty when it changes nothing there).
Rect stepBounds(const DrawStep& step, const Rect& screen);

// The rectangles, inside screen, out of which the frames drawn by before and after are the same pixel
// for pixel, each list drawn over a cleared display. False when the whole screen must be drawn: a list
// that does not begin by clearing the display (it draws over the frame before it), or changes that
// cover so much of the screen that drawing the rectangles alone would not pay.
bool changedRectangles(const std::vector<DrawStep>& before, const std::vector<DrawStep>& after,
                       const Rect& screen, std::vector<Rect>& changed);

}  // namespace media::detail
