// How sharp text looks: among the ink pixels of a region (grey below 0.9), the share that is mid-grey
// (0.2 to 0.8). A page picture stretched on screen smears each edge over several such pixels; the
// same text drawn at the screen's scale has few.
#pragma once

#include <cstdint>

// greyAt(x, y) gives the grey of a pixel from 0 (black) to 1 (white); the region is x0..x1, y0..y1
// exclusive. -1 when the region holds no ink.
template <class GreyAt>
double midGreyShare(GreyAt greyAt, int x0, int y0, int x1, int y1) {
    std::int64_t ink = 0, midGrey = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const double grey = greyAt(x, y);
            if (grey >= 0.9) continue;
            ++ink;
            if (grey >= 0.2 && grey <= 0.8) ++midGrey;
        }
    }
    return ink == 0 ? -1.0 : static_cast<double>(midGrey) / static_cast<double>(ink);
}

// The grey of an 8-bit red, green and blue.
inline double greyOf(int red, int green, int blue) {
    return (0.299 * red + 0.587 * green + 0.114 * blue) / 255.0;
}

// The middle of a screen of width x height: its central half in each direction.
struct ScreenMiddle {
    int x0, y0, x1, y1;
};
inline ScreenMiddle screenMiddle(int width, int height) {
    return {width / 4, height / 4, width - width / 4, height - height / 4};
}
