// Page files: the converter's PNG made into the page's JPEG and its thumbnail from one decode.
#include "document/page_files.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "media/pictures/pictures.h"

using media::Picture;
using media::RgbPicture;

namespace {

// Sums of one band of factor rows, three channels a column; the band's missing rows at the bottom
// edge repeat its last row.
void addBandRows(const RgbPicture& source, int firstRow, int factor, std::vector<std::uint32_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0u);
    const std::size_t rowBytes = static_cast<std::size_t>(source.width) * 3;
    for (int k = 0; k < factor; ++k) {
        const int row = std::min(firstRow + k, source.height - 1);
        const unsigned char* bytes = &source.bytes[row * rowBytes];
        for (std::size_t i = 0; i < rowBytes; ++i) sums[i] += bytes[i];
    }
}

// One output pixel from the band's column sums; the block's missing columns at the right edge
// repeat its last column.
std::uint32_t blockMean(const std::vector<std::uint32_t>& sums, int firstColumn, int factor, int width) {
    std::uint32_t total[3] = {0, 0, 0};
    for (int k = 0; k < factor; ++k) {
        const std::size_t column = static_cast<std::size_t>(std::min(firstColumn + k, width - 1));
        for (int c = 0; c < 3; ++c) total[c] += sums[column * 3 + c];
    }
    const std::uint32_t count = static_cast<std::uint32_t>(factor * factor);
    std::uint32_t pixel = 0xFF000000u;
    for (int c = 0; c < 3; ++c) pixel |= ((total[c] + count / 2) / count) << (8 * c);
    return pixel;
}

// Each output pixel is the mean of a factor x factor block, the blocks padded at the right and bottom
// edges by repeating the edge pixels: what a JPEG of the same pixels gives when decoded at 1/factor.
Picture blockMeans(const RgbPicture& source, int factor) {
    Picture shrunk;
    shrunk.width = (source.width + factor - 1) / factor;
    shrunk.height = (source.height + factor - 1) / factor;
    shrunk.pixels.resize(static_cast<std::size_t>(shrunk.width) * shrunk.height);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(source.width) * 3);
    for (int y = 0; y < shrunk.height; ++y) {
        addBandRows(source, y * factor, factor, sums);
        std::uint32_t* row = &shrunk.pixels[static_cast<std::size_t>(y) * shrunk.width];
        for (int x = 0; x < shrunk.width; ++x) row[x] = blockMean(sums, x * factor, factor, source.width);
    }
    return shrunk;
}

}  // namespace

// The same thumbnail as a reduced-scale decode of the page's JPEG followed by a resize, without
// decoding that JPEG again.
Picture pageThumbnail(const RgbPicture& page, int width, int height) {
    const int factor = media::reducedScaleDenominator(page.width, page.height, width, height);
    return media::resizedPicture(blockMeans(page, factor), width, height);
}

PageConversion convertPagePng(const std::string& png, const std::string& jpeg, int quality0to10,
                              int thumbnailImage, int thumbnailWidth, int thumbnailHeight) {
    PageConversion result;
    RgbPicture page;
    if (!media::decodePngRgb(png, page)) return result;
    result.pngRead = true;
    result.jpegWritten = media::encodeJpegRgbFile(page, jpeg, std::clamp(quality0to10, 0, 10) * 10);
    Picture thumbnail = pageThumbnail(page, thumbnailWidth, thumbnailHeight);
    result.thumbnailMade = !thumbnail.pixels.empty();
    if (result.thumbnailMade) media::storeImagePicture(thumbnailImage, std::move(thumbnail));
    return result;
}
