// The media layer's own rasteriser: boxes, rounded boxes, lines, circles, flood fill, gradients and
// alpha blending on a picture's pixels, exact to the pixel (flood fills and pixel scans rely on it).
#include "media/pictures/raster.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace media::raster {

static_assert(std::endian::native == std::endian::little,
              "pixel words are read as R | G << 8 | B << 16 | A << 24");

namespace {

// Where the paint of a filled shape comes from: one colour, or the brush's gradient.
struct Paint {
    Colour colour = 0;
    bool gradient = false;
    double startX = 0, startY = 0;  // the back colour's point
    double deltaX = 0, deltaY = 0;  // towards the front colour's point
    double lengthSquared = 0;
    Colour back = 0, front = 0;
};

bool inside(const Picture& picture, long long x, long long y) {
    return x >= 0 && y >= 0 && x < picture.width && y < picture.height;
}

int mix(int from, int to, double t) {
    return static_cast<int>(std::lround(from + (to - from) * t));
}

Colour gradientColourAt(const Paint& paint, int x, int y) {
    double t = 0.0;
    if (paint.lengthSquared > 0.0) {
        t = ((x - paint.startX) * paint.deltaX + (y - paint.startY) * paint.deltaY) / paint.lengthSquared;
        t = std::clamp(t, 0.0, 1.0);
    }
    return rgba(mix(red(paint.back), red(paint.front), t), mix(green(paint.back), green(paint.front), t),
                mix(blue(paint.back), blue(paint.front), t), mix(alpha(paint.back), alpha(paint.front), t));
}

Colour colourAt(const Paint& paint, int x, int y) {
    return paint.gradient ? gradientColourAt(paint, x, y) : paint.colour;
}

// A filled shape in the gradient mode takes the gradient; the default line runs from its top to its bottom.
Paint fillPaint(const Brush& brush, Colour colour, long long top, long long bottom, long long left) {
    Paint paint;
    paint.colour = colour;
    if ((brush.mode & mode::gradient) == 0) return paint;
    paint.gradient = true;
    paint.back = brush.back;
    paint.front = brush.front;
    if (brush.gradientSet) {
        paint.startX = brush.gradientX1;
        paint.startY = brush.gradientY1;
        paint.deltaX = brush.gradientX2 - brush.gradientX1;
        paint.deltaY = brush.gradientY2 - brush.gradientY1;
    } else {
        paint.startX = left;
        paint.startY = top;
        paint.deltaY = bottom - top;
    }
    paint.lengthSquared = paint.deltaX * paint.deltaX + paint.deltaY * paint.deltaY;
    return paint;
}

int blendChannel(int source, int destination, int a) {
    return (source * a + destination * (255 - a) + 127) / 255;
}

// One pixel in the brush's mode: copied opaque, or blended by the colour's fourth byte.
void plot(Picture& picture, const Brush& brush, long long x, long long y, Colour colour) {
    if (!inside(picture, x, y)) return;
    std::uint32_t& pixel = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
    if ((brush.mode & mode::alphaBlend) == 0) {
        pixel = pixelWord(colour, 255);
        return;
    }
    int a = alpha(colour);
    Colour old = pixel;
    Colour mixed = rgb(blendChannel(red(colour), red(old), a), blendChannel(green(colour), green(old), a),
                       blendChannel(blue(colour), blue(old), a));
    int oldAlpha = alpha(old);
    int newAlpha = brush.alphaCapable ? a + (oldAlpha * (255 - a) + 127) / 255 : 255;
    pixel = pixelWord(mixed, newAlpha);
}

// One colour, or a gradient whose line is vertical, gives every pixel of a row the same colour: it is
// worked out once, and copied straight in when nothing is blended.
void span(Picture& picture, const Brush& brush, long long x1, long long x2, long long y, const Paint& paint) {
    if (y < 0 || y >= picture.height) return;
    int first = static_cast<int>(std::max(x1, 0LL));
    int last = static_cast<int>(std::min<long long>(x2, picture.width - 1));
    if (first > last) return;
    int row = static_cast<int>(y);
    if (paint.gradient && paint.deltaX != 0.0) {
        for (int x = first; x <= last; ++x) plot(picture, brush, x, row, colourAt(paint, x, row));
        return;
    }
    Colour colour = colourAt(paint, first, row);
    if ((brush.mode & mode::alphaBlend) == 0) {
        std::uint32_t* pixels = &picture.pixels[static_cast<std::size_t>(row) * picture.width];
        std::fill(pixels + first, pixels + last + 1, pixelWord(colour, 255));
        return;
    }
    for (int x = first; x <= last; ++x) plot(picture, brush, x, row, colour);
}

void outlineBox(Picture& picture, const Brush& brush, long long x, long long y, int width, int height,
                Colour colour) {
    Paint paint{.colour = colour};
    long long right = x + width - 1;
    long long bottom = y + height - 1;
    span(picture, brush, x, right, y, paint);
    if (bottom != y) span(picture, brush, x, right, bottom, paint);
    long long last = std::min<long long>(bottom, picture.height);
    for (long long row = std::max(y + 1, 0LL); row < last; ++row) {
        plot(picture, brush, x, row, colour);
        if (right != x) plot(picture, brush, right, row, colour);
    }
}

// How far row r of a rounded box (height rows, corner radii rx, ry) starts inside its left edge:
// pixel centres inside the corner ellipse count.
int roundInset(int row, int height, double rx, double ry) {
    int fromEdge = std::min(row, height - 1 - row);
    double dy = ry - (fromEdge + 0.5);
    if (dy <= 0.0 || rx <= 0.0) return 0;
    double dx = rx * std::sqrt(std::max(0.0, 1.0 - (dy / ry) * (dy / ry)));
    return std::max(0, static_cast<int>(std::ceil(rx - dx - 0.5)));
}

// A rounded box's corner radii, clamped to half its sides.
struct Corners {
    int width = 0, height = 0;
    double rx = 0, ry = 0;
    int inset(int row) const { return roundInset(row, height, rx, ry); }
};

Corners cornersOf(int width, int height, int radiusX, int radiusY) {
    return Corners{width, height, static_cast<double>(std::clamp(radiusX, 0, width / 2)),
                   static_cast<double>(std::clamp(radiusY, 0, height / 2))};
}

// The rows of a box at y that fall inside the picture.
std::pair<int, int> visibleRows(const Picture& picture, int y, int height) {
    long long first = std::max<long long>(0, -static_cast<long long>(y));
    long long last = std::min<long long>(height, static_cast<long long>(picture.height) - y);
    return {static_cast<int>(first), static_cast<int>(std::max(first, last))};
}

// The outline of a rounded box: each row's end pixels, widened to meet the next row towards the edge,
// so that the outline is closed against a 4-connected fill.
void roundOutline(Picture& picture, const Brush& brush, long long x, int y, const Corners& corners,
                  Colour colour) {
    Paint paint{.colour = colour};
    int width = corners.width, height = corners.height;
    auto [first, last] = visibleRows(picture, y, height);
    for (int row = first; row < last; ++row) {
        int inset = corners.inset(row);
        if (row == 0 || row == height - 1) {
            span(picture, brush, x + inset, x + width - 1 - inset, y + row, paint);
            continue;
        }
        int towardsEdge = corners.inset(row < height / 2 ? row - 1 : row + 1);
        int reach = std::max(inset, towardsEdge - 1);
        span(picture, brush, x + inset, x + reach, y + row, paint);
        span(picture, brush, x + width - 1 - reach, x + width - 1 - inset, y + row, paint);
    }
}

void circleSpans(Picture& picture, const Brush& brush, long long cx, long long cy, int dx, int dy,
                 const Paint& paint) {
    span(picture, brush, cx - dx, cx + dx, cy + dy, paint);
    if (dy != 0) span(picture, brush, cx - dx, cx + dx, cy - dy, paint);
}

void circlePoints(Picture& picture, const Brush& brush, long long cx, long long cy, int dx, int dy,
                  Colour colour) {
    const int points[8][2] = {{dx, dy}, {-dx, dy}, {dx, -dy}, {-dx, -dy},
                              {dy, dx}, {-dy, dx}, {dy, -dx}, {-dy, -dx}};
    for (const auto& point : points) plot(picture, brush, cx + point[0], cy + point[1], colour);
}

// Products of two coordinate differences need more than 64 bits.
__extension__ typedef __int128 Wide;

Wide floorDivide(Wide a, Wide b) {
    Wide q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

bool sameRgb(std::uint32_t pixel, Colour colour) {
    return (pixel & 0xFFFFFFu) == (colour & 0xFFFFFFu);
}

}  // namespace

Colour pixelColour(const Picture& picture, int x, int y) {
    if (!inside(picture, x, y)) return 0xFFFFFFFFu;
    return picture.pixels[static_cast<std::size_t>(y) * picture.width + x] & 0xFFFFFFu;
}

void fillBox(Picture& picture, const Brush& brush, int x, int y, int width, int height, Colour colour) {
    if (width <= 0 || height <= 0) return;
    if (brush.mode & mode::outlined) {
        outlineBox(picture, brush, x, y, width, height, colour);
        return;
    }
    Paint paint = fillPaint(brush, colour, y, y + (height - 1LL), x);
    auto [first, last] = visibleRows(picture, y, height);
    for (int row = first; row < last; ++row) span(picture, brush, x, x + (width - 1LL), y + row, paint);
}

void roundBox(Picture& picture, const Brush& brush, int x, int y, int width, int height, int radiusX,
              int radiusY, Colour colour) {
    if (width <= 0 || height <= 0) return;
    Corners corners = cornersOf(width, height, radiusX, radiusY);
    if (brush.mode & mode::outlined) {
        roundOutline(picture, brush, x, y, corners, colour);
        return;
    }
    Paint paint = fillPaint(brush, colour, y, y + (height - 1LL), x);
    auto [first, last] = visibleRows(picture, y, height);
    for (int row = first; row < last; ++row) {
        span(picture, brush, x + corners.inset(row), x + (width - 1LL) - corners.inset(row), y + row, paint);
    }
}

// One pixel per step along the longer axis, the other coordinate rounded to the nearest; only the
// steps inside the picture are walked, so far-off end points cost nothing.
void line(Picture& picture, const Brush& brush, int x1, int y1, int x2, int y2, Colour colour) {
    bool steep = std::abs(static_cast<long long>(y2) - y1) > std::abs(static_cast<long long>(x2) - x1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    long long run = static_cast<long long>(x2) - x1, rise = static_cast<long long>(y2) - y1;
    long long limit = steep ? picture.height - 1 : picture.width - 1;
    long long first = std::max<long long>(x1, 0), last = std::min<long long>(x2, limit);
    for (long long major = first; major <= last; ++major) {
        Wide minor = y1;
        if (run != 0) minor += floorDivide(Wide{2} * (major - x1) * rise + run, Wide{2} * run);
        if (minor < INT_MIN || minor > INT_MAX) continue;
        int px = static_cast<int>(steep ? minor : major), py = static_cast<int>(steep ? major : minor);
        plot(picture, brush, px, py, colour);
    }
}

// Midpoint circle; filled as horizontal spans unless outlined. Symmetric about its centre.
void circle(Picture& picture, const Brush& brush, int cx, int cy, int radius, Colour colour) {
    if (radius < 0) return;
    // Larger than any picture: the walk below would take seconds for nothing visible.
    radius = std::min(radius, 1 << 16);
    bool outlined = (brush.mode & mode::outlined) != 0;
    Paint paint = fillPaint(brush, colour, cy - static_cast<long long>(radius),
                            cy + static_cast<long long>(radius), cx - static_cast<long long>(radius));
    int dx = radius, dy = 0, error = 1 - radius;
    while (dx >= dy) {
        if (outlined) {
            circlePoints(picture, brush, cx, cy, dx, dy, colour);
        } else {
            circleSpans(picture, brush, cx, cy, dx, dy, paint);
            circleSpans(picture, brush, cx, cy, dy, dx, paint);
        }
        ++dy;
        if (error < 0) {
            error += 2 * dy + 1;
        } else {
            --dx;
            error += 2 * (dy - dx) + 1;
        }
    }
}

// 4-connected fill of every pixel reachable from (x, y) without crossing the border colour (RGB
// compared exactly), each painted once. Whole runs of a row are taken at a time; a visited map keeps
// it finite whatever the fill colour.
void floodFill(Picture& picture, const Brush& brush, int x, int y, Colour colour, Colour border) {
    if (!inside(picture, x, y)) return;
    const int width = picture.width;
    auto index = [&](int px, int py) { return static_cast<std::size_t>(py) * width + px; };
    std::vector<std::uint8_t> visited(picture.pixels.size(), 0);
    auto open = [&](int px, int py) {
        return visited[index(px, py)] == 0 && !sameRgb(picture.pixels[index(px, py)], border);
    };
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
        auto [px, py] = pending.back();
        pending.pop_back();
        if (!open(px, py)) continue;
        int left = px, right = px;
        while (left > 0 && open(left - 1, py)) --left;
        while (right < width - 1 && open(right + 1, py)) ++right;
        for (int column = left; column <= right; ++column) {
            visited[index(column, py)] = 1;
            plot(picture, brush, column, py, colour);
        }
        for (int next : {py - 1, py + 1}) {
            if (next < 0 || next >= picture.height) continue;
            for (int column = left; column <= right; ++column) {
                if (open(column, next) && (column == left || !open(column - 1, next)))
                    pending.emplace_back(column, next);
            }
        }
    }
}

void paintCoverage(Picture& picture, const Brush& brush, int x, int y, int width, int height,
                   const std::uint8_t* coverage, int pitch, Colour colour) {
    Brush blending = brush;
    blending.mode |= mode::alphaBlend;
    int strength = (brush.mode & mode::alphaBlend) ? alpha(colour) : 255;
    for (int row = 0; row < height; ++row) {
        if (y + row < 0 || y + row >= picture.height) continue;
        for (int column = 0; column < width; ++column) {
            int a = coverage[static_cast<std::size_t>(row) * pitch + column] * strength / 255;
            if (a > 0) plot(picture, blending, x + column, y + row, pixelWord(colour, a));
        }
    }
}

void copyPicture(Picture& picture, const Brush& brush, const Picture& source, int x, int y) {
    for (int row = 0; row < source.height; ++row) {
        if (y + row < 0 || y + row >= picture.height) continue;
        for (int column = 0; column < source.width; ++column) {
            if (!inside(picture, x + column, y + row)) continue;
            std::uint32_t pixel = source.pixels[static_cast<std::size_t>(row) * source.width + column];
            if (!brush.alphaCapable) pixel |= 0xFF000000u;
            picture.pixels[static_cast<std::size_t>(y + row) * picture.width + x + column] = pixel;
        }
    }
}

}  // namespace media::raster
