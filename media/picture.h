// Inside the media layer: a picture in memory (RGBA, one 32-bit word a pixel) and the image files it
// comes from and goes to. Shared by sprites and images; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

// Pixels are stored as bytes R, G, B, A in memory order (SDL_PIXELFORMAT_RGBA32).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height
};

bool decodeImageFile(const std::string& file, Picture& picture);  // PNG or JPEG by content
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
    std::vector<unsigned char> bytes;  // width * height * 3
};
bool decodePngRgb(const std::string& file, RgbPicture& picture);  // false for anything but a PNG
bool encodeJpegRgbFile(const RgbPicture& picture, const std::string& file, int quality0to100);
// A page's thumbnail from its decoded pixels (page_files.cpp); empty for an invalid size.
Picture pageThumbnail(const RgbPicture& page, int width, int height);

// The numbered images of the image service, shared so that drawImage can read them.
std::shared_ptr<const Picture> imagePicture(int number);
// Replaces image number's picture (any thread; readers keep the snapshot they hold).
void storeImagePicture(int number, Picture picture);

}  // namespace media
