// Draws the project's logo (a dark page, three rings, the name in a blocky pixel font) as a palette PNG.
#include <png.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 343;

// Index 0 is pure black, the viewer's transparent colour: only the surroundings use it.
enum Colour : unsigned char {
    kClear,
    kPage,
    kPageEdge,
    kFold,
    kRingTeal,
    kRingAmber,
    kRingRose,
    kName,
    kNameShade
};
constexpr std::array<png_color, 9> kPalette = {{
    {0, 0, 0},
    {20, 20, 28},
    {70, 72, 96},
    {44, 46, 64},
    {40, 170, 200},
    {240, 170, 40},
    {220, 70, 110},
    {235, 235, 242},
    {1, 1, 1},
}};

struct Canvas {
    std::vector<unsigned char> pixels = std::vector<unsigned char>(kWidth * kHeight, kClear);
    void set(int x, int y, Colour colour) {
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight)
            pixels[static_cast<std::size_t>(y * kWidth + x)] = colour;
    }
    void box(int left, int top, int right, int bottom, Colour colour) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) set(x, y, colour);
    }
    // Pixels whose centre lies between the two radii.
    void ring(double cx, double cy, double inner, double outer, Colour colour) {
        for (int y = static_cast<int>(cy - outer) - 1; y <= cy + outer + 1; ++y)
            for (int x = static_cast<int>(cx - outer) - 1; x <= cx + outer + 1; ++x) {
                double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (distance >= inner && distance <= outer) set(x, y, colour);
            }
    }
};

// 5 x 9 glyphs: rows 0-6 stand on the baseline, rows 7-8 hold descenders.
struct Glyph {
    char letter;
    std::array<const char*, 9> rows;
};
constexpr Glyph kGlyphs[] = {
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#....", ".....", "....."}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", ".####", "....#", "#...#", ".###."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###.", ".....", "....."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#.", ".....", "....."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
};

const Glyph* findGlyph(char letter) {
    for (const Glyph& glyph : kGlyphs)
        if (glyph.letter == letter) return &glyph;
    return nullptr;
}

void drawGlyph(Canvas& canvas, const Glyph& glyph, int left, int top, int scale, Colour colour) {
    for (int row = 0; row < 9; ++row)
        for (int column = 0; column < 5; ++column)
            if (glyph.rows[static_cast<std::size_t>(row)][column] == '#')
                canvas.box(left + column * scale, top + row * scale, left + (column + 1) * scale,
                           top + (row + 1) * scale, colour);
}

// Centred on the logo, with a one-pixel shade below and right so it reads on light backgrounds too.
void drawName(Canvas& canvas, const std::string& name, int top, int scale) {
    int advance = 6 * scale;
    int width = static_cast<int>(name.size()) * advance - scale;
    int left = (kWidth - width) / 2;
    for (int pass = 0; pass < 2; ++pass) {
        int offset = pass == 0 ? 1 : 0;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (const Glyph* glyph = findGlyph(name[i]))
                drawGlyph(canvas, *glyph, left + static_cast<int>(i) * advance + offset, top + offset, scale,
                          pass == 0 ? kNameShade : kName);
    }
}

// A portrait page with its top right corner folded down.
void drawPage(Canvas& canvas, int left, int top, int right, int bottom, int fold) {
    canvas.box(left, top, right, bottom, kPageEdge);
    canvas.box(left + 3, top + 3, right - 3, bottom - 3, kPage);
    for (int y = top; y < top + fold; ++y)
        for (int x = right - fold; x < right; ++x) {
            int along = (x - (right - fold)) - (y - top);  // > 0: beyond the fold line
            if (along > 0)
                canvas.set(x, y, kClear);
            else if (along > -3)
                canvas.set(x, y, kPageEdge);
            else
                canvas.set(x, y, kFold);
        }
}

void drawRings(Canvas& canvas, int centreY) {
    const Colour colours[] = {kRingTeal, kRingAmber, kRingRose};
    for (int i = 0; i < 3; ++i) canvas.ring(kWidth / 2.0 + (i - 1) * 46.0, centreY, 24.0, 32.0, colours[i]);
}

bool writePalettePng(const char* path, const Canvas& canvas) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, kPalette.data(), static_cast<int>(kPalette.size()));
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) png_write_row(png, canvas.pixels.data() + y * kWidth);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <logo.png>\n", argc > 0 ? argv[0] : "make_logo");
        return 2;
    }
    Canvas canvas;
    drawPage(canvas, 30, 10, 220, 290, 44);
    drawRings(canvas, 150);
    drawName(canvas, "Pagewell", 300, 4);
    if (!writePalettePng(argv[1], canvas)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
