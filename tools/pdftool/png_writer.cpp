// PNG output with libpng, tuned for speed: the page images are intermediate files.
#include <png.h>

#include <csetjmp>

#include "tool.h"

namespace {

void onPngError(png_structp png, png_const_charp message) {
    reportError(std::string("PNG output failed: ") + message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void describeImage(png_structp png, png_infop info, int width, int height, double dotsPerInch) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    auto perMetre = static_cast<png_uint_32>(dotsPerInch / 0.0254 + 0.5);
    png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    // Level 1 without row filters is ten times faster than the default and the file lives briefly.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
}

}  // namespace

// Nothing with a destructor lives in this function: libpng leaves it by longjmp on errors.
bool writeRgbPng(FILE* file, int width, int height, const unsigned char* pixels, std::ptrdiff_t stride,
                 double dotsPerInch) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    describeImage(png, info, width, height, dotsPerInch);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, pixels + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
