// Inside the media layer: the exact, non-anti-aliased rasteriser that draws on a picture's pixels.
// Pure functions on a Picture; no SDL. Everything is clipped to the picture.
#pragma once

#include <cstdint>

#include "media/pictures/pictures.h"

namespace media::raster {

// The current pen of a drawing target.
struct Brush {
    Colour front = rgb(255, 255, 255);
    Colour back = rgb(0, 0, 0);
    int mode = mode::standard;
    bool gradientSet = false;  // without linearGradient a gradient runs from a shape's top to bottom
    int gradientX1 = 0, gradientY1 = 0, gradientX2 = 0, gradientY2 = 0;
    bool alphaCapable = false;  // the target keeps an alpha channel of its own
};

// Pixel words: bytes R, G, B, A in memory order.
inline std::uint32_t pixelWord(Colour rgbColour, int alphaValue) {
    return (rgbColour & 0xFFFFFFu) | (static_cast<std::uint32_t>(alphaValue & 255) << 24);
}

void fillBox(Picture& picture, const Brush& brush, int x, int y, int width, int height, Colour colour);
void roundBox(Picture& picture, const Brush& brush, int x, int y, int width, int height, int radiusX,
              int radiusY, Colour colour);
void line(Picture& picture, const Brush& brush, int x1, int y1, int x2, int y2, Colour colour);
void circle(Picture& picture, const Brush& brush, int x, int y, int radius, Colour colour);
void floodFill(Picture& picture, const Brush& brush, int x, int y, Colour colour, Colour border);
Colour pixelColour(const Picture& picture, int x, int y);  // RGB; 0xFFFFFFFF outside

// Paints colour through a coverage mask (one alpha byte a pixel, rows pitch bytes apart) at (x, y).
void paintCoverage(Picture& picture, const Brush& brush, int x, int y, int width, int height,
                   const std::uint8_t* coverage, int pitch, Colour colour);
// Copies source onto the picture at (x, y); a target without alpha keeps its alpha opaque.
void copyPicture(Picture& picture, const Brush& brush, const Picture& source, int x, int y);

}  // namespace media::raster
