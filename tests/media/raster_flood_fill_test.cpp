// The flood fill against the plain pixel-by-pixel fill it must match exactly: on random pictures,
// from random seeds, opaque and blended, on targets with and without alpha.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "media/pictures/pictures.h"
#include "media/pictures/raster.h"

namespace {

using media::Colour;
using media::Picture;

// Every pixel reachable from the seed through 4-neighbours without crossing the border colour,
// visited one at a time; each painted as a one-pixel box, which blends as the fill does.
void referenceFill(Picture& picture, const media::raster::Brush& brush, int x, int y, Colour colour,
                   Colour border) {
    auto inside = [&](int px, int py) {
        return px >= 0 && py >= 0 && px < picture.width && py < picture.height;
    };
    auto index = [&](int px, int py) { return static_cast<std::size_t>(py) * picture.width + px; };
    media::raster::Brush pen = brush;
    pen.mode &= ~(media::mode::gradient | media::mode::outlined);
    std::vector<bool> visited(picture.pixels.size(), false);
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
        auto [px, py] = pending.back();
        pending.pop_back();
        if (!inside(px, py) || visited[index(px, py)]) continue;
        visited[index(px, py)] = true;
        if ((picture.pixels[index(px, py)] & 0xFFFFFFu) == (border & 0xFFFFFFu)) continue;
        media::raster::fillBox(picture, pen, px, py, 1, 1, colour);
        pending.insert(pending.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
    }
}

TEST(RasterFloodFill, FillsExactlyThePixelsAndColoursOfThePixelByPixelFill) {
    std::mt19937 random(20240611);
    const Colour palette[] = {media::rgb(2, 2, 2), media::rgb(200, 200, 200), media::rgb(10, 90, 250),
                              media::rgba(2, 2, 2, 40)};
    for (int round = 0; round < 400; ++round) {
        const int width = 1 + static_cast<int>(random() % 40), height = 1 + static_cast<int>(random() % 30);
        Picture picture{width, height,
                        media::PixelVector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
        // Walls are more likely than not, so that regions of every shape come up.
        for (auto& pixel : picture.pixels)
            pixel = palette[random() % 4] | (random() % 2 ? 0xFF000000u : 0x80000000u);
        media::raster::Brush brush;
        brush.mode = (round % 3 == 0) ? media::mode::alphaBlend : media::mode::standard;
        if (round % 5 == 0) brush.mode |= media::mode::gradient;
        brush.alphaCapable = round % 2 == 0;
        const Colour fill =
            media::rgba(static_cast<int>(random() % 256), 17, 99, static_cast<int>(random() % 256));
        const int x = static_cast<int>(random() % (width + 2)) - 1,
                  y = static_cast<int>(random() % (height + 2)) - 1;
        Picture expected = picture;
        referenceFill(expected, brush, x, y, fill, palette[0]);
        media::raster::floodFill(picture, brush, x, y, fill, palette[0]);
        ASSERT_EQ(picture.pixels, expected.pixels) << "round " << round << ", seed " << x << "," << y;
    }
}

}  // namespace
