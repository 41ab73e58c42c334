// The media layer's pictures room: colours, pictures in memory (RGBA), the image codecs (PNG, JPEG),
// smooth resizing and the numbered image store. No SDL; every function may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

// Colours: 24-bit RGB packed as red + green * 256 + blue * 65536. In the alpha-blend drawing mode
// the fourth byte (colour >> 24) carries the alpha 0..255.
using Colour = std::uint32_t;
constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 255) | ((g & 255) << 8) | ((b & 255) << 16));
}
constexpr Colour rgba(int r, int g, int b, int a) {
    return rgb(r, g, b) | (static_cast<Colour>(a & 255) << 24);
}
constexpr int red(Colour c) {
    return static_cast<int>(c & 255);
}
constexpr int green(Colour c) {
    return static_cast<int>((c >> 8) & 255);
}
constexpr int blue(Colour c) {
    return static_cast<int>((c >> 16) & 255);
}
constexpr int alpha(Colour c) {
    return static_cast<int>((c >> 24) & 255);
}

// Drawing modes of a pen, combined as flags.
namespace mode {
constexpr int standard = 0;     // text cells take the back colour
constexpr int transparent = 1;  // text without background
constexpr int outlined = 2;     // boxes, rounded boxes, circles as one-pixel outlines
constexpr int alphaBlend = 4;   // colours carry alpha in the fourth byte, blended over what is there
constexpr int gradient = 8;     // filled shapes painted with the linear gradient back -> front
}  // namespace mode

// ---------------------------------------------------------------------------------------------
// Pixel memory. A block of a megabyte or more (a page picture, its decoded neighbours, a page on its
// way to JPEG) is mapped from the kernel and unmapped when freed, on whatever thread. In the C
// library's heap such blocks, freed by one thread and made again by another at another size, left
// the heap grown for good: every document of larger pages raised the resident memory a step.
void* mapPixelMemory(std::size_t bytes);
void unmapPixelMemory(void* memory, std::size_t bytes);
// False in AddressSanitizer builds, which guard heap blocks only and so keep pixel memory there.
bool pixelMemoryMapped();
template <class T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) {}
    T* allocate(std::size_t count) { return static_cast<T*>(mapPixelMemory(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) { unmapPixelMemory(memory, count * sizeof(T)); }
    template <class U>
    bool operator==(const PixelAllocator<U>&) const {
        return true;
    }
};
template <class T>
using PixelVector = std::vector<T, PixelAllocator<T>>;

// Pixels are stored as bytes R, G, B, A in memory order (SDL_PIXELFORMAT_RGBA32).
struct Picture {
    int width = 0;
    int height = 0;
    PixelVector<std::uint32_t> pixels;  // width * height
};

// A picture kept as runs of equal pixels: a few kilobytes for a panel of flat colour or a blank text
// page, more than the picture itself for a photograph.
struct PackedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> runs;  // length, pixel; length, pixel; ...
};
// False, with packed left empty, when the runs would take more than limitBytes.
bool packPicture(const Picture& picture, std::size_t limitBytes, PackedPicture& packed);
Picture unpackedPicture(const PackedPicture& packed);

bool decodeImageFile(const std::string& file, Picture& picture);  // PNG, JPEG or RGBA PAM by content
bool decodeImageMemory(const void* data, std::size_t length, Picture& picture);
// Decodes a JPEG at 1/2, 1/4 or 1/8 scale, the smallest still at least minWidth x minHeight.
// reducedScaleDenominator gives that scale's denominator (1 when none is large enough).
int reducedScaleDenominator(int width, int height, int minWidth, int minHeight);
bool decodeJpegScaled(const std::string& file, int minWidth, int minHeight, Picture& picture);
// Writes under a temporary name in the same folder, then renames: a present file is always whole.
bool encodePngFile(const Picture& picture, const std::string& file, int compressionLevel = 6);
bool encodeJpegFile(const Picture& picture, const std::string& file, int quality0to100);
Picture resizedPicture(const Picture& source, int width, int height);  // smooth (area/bilinear)

// 8-bit RGB, three bytes a pixel, rows packed: a page image on its way from the converter's PNG to
// its JPEG, a quarter smaller than RGBA to decode, hold and encode.
struct RgbPicture {
    int width = 0;
    int height = 0;
    PixelVector<unsigned char> bytes;  // width * height * 3
};
bool decodePngRgb(const std::string& file, RgbPicture& picture);  // false for anything but a PNG
bool encodeJpegRgbFile(const RgbPicture& picture, const std::string& file, int quality0to100);

// The numbered images of the image service, shared so that drawImage can read them.
std::shared_ptr<const Picture> imagePicture(int number);
// Replaces image number's picture (any thread; readers keep the snapshot they hold).
void storeImagePicture(int number, Picture picture);

// ---------------------------------------------------------------------------------------------
// Images: pixel pictures without a texture. Every image function may be called from any thread.
bool loadImage(int number, const std::string& file);  // PNG or JPEG by content
int imageWidth(int number);
int imageHeight(int number);
bool imageExists(int number);
bool resizeImage(int number, int width, int height);  // smooth
bool saveImagePng(int number, const std::string& file);
bool saveImageJpeg(int number, const std::string& file, int quality0to10);  // 9 = baseline RGB q90
void freeImage(int number);
// Decodes a JPEG at a reduced scale (1/2, 1/4 or 1/8 of its size, the largest at least minWidth
// by minHeight); a cheap start for thumbnails. Any thread. False when unreadable.
bool loadImageScaled(int number, const std::string& file, int minWidth, int minHeight);

// Page files. Turns the converter's PNG into the page's JPEG (baseline, 3 components, quality

}  // namespace media
