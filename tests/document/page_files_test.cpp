// Page files: the converter's PNG made into the page's JPEG and thumbnail from one decode.
#include "document/page_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/scratch.h"

namespace {

constexpr int thumbnailImage = 4242;

// Something like a rendered page: white paper, dark lines of "text" and a coloured figure.
media::Picture pageLikePicture(int width, int height) {
    media::Picture picture{width, height,
                           media::PixelVector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t colour = 0xFFFFFFFFu;
            if ((y / 9) % 3 == 1 && (x * 7 + y * 3) % 11 < 5) colour = 0xFF202020u;
            if (x > width / 2 && y > height / 2)
                colour = 0xFF000000u | static_cast<std::uint32_t>(x * 255 / width) |
                         static_cast<std::uint32_t>(y * 255 / height) << 8 | 0x600000u;
            picture.pixels[static_cast<std::size_t>(y) * width + x] = colour;
        }
    }
    return picture;
}

struct PageAndCell {
    int pageWidth, pageHeight, cellWidth, cellHeight;
    int worstDistance;  // the JPEG's own loss grows as less of it is averaged away
};

class PageThumbnail : public ::testing::TestWithParam<PageAndCell> {
protected:
    std::string folder = freshFolder("pw_page_files_");
    void TearDown() override {
        media::deleteFilesInFolder(folder, "*");
        media::freeImage(thumbnailImage);
    }
};

// The thumbnail made from the PNG's pixels is the one a reduced-scale decode of the written JPEG and
// a resize would have given, within the JPEG's own rounding; the JPEG holds the page.
TEST_P(PageThumbnail, MatchesTheThumbnailOfTheWrittenJpeg) {
    const PageAndCell size = GetParam();
    const media::Picture page = pageLikePicture(size.pageWidth, size.pageHeight);
    ASSERT_TRUE(media::encodePngFile(page, folder + "page.png", 1));
    const PageConversion done = convertPagePng(folder + "page.png", folder + "page.jpg", 9, thumbnailImage,
                                               size.cellWidth, size.cellHeight);
    ASSERT_TRUE(done.pngRead && done.jpegWritten && done.thumbnailMade);
    EXPECT_TRUE(media::filePresent(folder + "page.png")) << "deleting the PNG is the caller's decision";
    media::Picture jpeg;
    ASSERT_TRUE(media::decodeImageFile(folder + "page.jpg", jpeg));
    ASSERT_EQ(jpeg.width, size.pageWidth);
    ASSERT_EQ(jpeg.height, size.pageHeight);
    const auto made = media::imagePicture(thumbnailImage);
    ASSERT_TRUE(made);
    ASSERT_TRUE(
        media::loadImageScaled(thumbnailImage + 1, folder + "page.jpg", size.cellWidth, size.cellHeight));
    ASSERT_TRUE(media::resizeImage(thumbnailImage + 1, size.cellWidth, size.cellHeight));
    const auto expected = media::imagePicture(thumbnailImage + 1);
    media::freeImage(thumbnailImage + 1);
    ASSERT_EQ(made->width, size.cellWidth);
    ASSERT_EQ(made->height, size.cellHeight);
    long total = 0;
    for (std::size_t i = 0; i < made->pixels.size(); ++i) {
        ASSERT_EQ(made->pixels[i] >> 24, 255u);
        const int distance = channelDistance(made->pixels[i], expected->pixels[i], 3);
        ASSERT_LE(distance, size.worstDistance) << "pixel " << i;
        total += distance;
    }
    EXPECT_LE(static_cast<double>(total) / static_cast<double>(made->pixels.size()), 1.0);
}

// Cells that choose a decode at 1/8, 1/4, 1/2 and full scale; pages whose sides are no multiple of
// the scale, so that the blocks at the right and bottom edges are cut short.
INSTANTIATE_TEST_SUITE_P(
    Scales, PageThumbnail,
    ::testing::Values(PageAndCell{1020, 1320, 45, 42, 2}, PageAndCell{1021, 1323, 60, 80, 2},
                      PageAndCell{803, 599, 150, 100, 3}, PageAndCell{517, 733, 200, 300, 5},
                      PageAndCell{317, 211, 250, 180, 10}, PageAndCell{64, 64, 8, 8, 2}));

TEST(PageFiles, UnreadablePngWritesNothingAndKeepsTheThumbnail) {
    const std::string folder = freshFolder("pw_page_files_");
    media::storeImagePicture(thumbnailImage, media::Picture{1, 1, {0xFF0000FFu}});
    ASSERT_TRUE(media::encodePngFile(pageLikePicture(200, 300), folder + "whole.png", 1));
    std::string bytes;
    ASSERT_TRUE(media::readWholeFile(folder + "whole.png", bytes));
    ASSERT_TRUE(media::writeWholeFile(folder + "cut.png", bytes.substr(0, bytes.size() / 2)));
    ASSERT_TRUE(media::writeWholeFile(folder + "text.png", "not an image at all"));
    for (const char* name : {"cut.png", "text.png", "missing.png"}) {
        const PageConversion done =
            convertPagePng(folder + name, folder + "out.jpg", 9, thumbnailImage, 20, 30);
        EXPECT_FALSE(done.pngRead || done.jpegWritten || done.thumbnailMade) << name;
        EXPECT_EQ(media::fileSize(folder + "out.jpg"), -1) << name;
        EXPECT_EQ(media::imageWidth(thumbnailImage), 1) << name;
    }
    // A JPEG that cannot be written leaves no file, and the thumbnail is made all the same.
    const PageConversion unwritable =
        convertPagePng(folder + "whole.png", folder + "missing/out.jpg", 9, thumbnailImage, 20, 30);
    EXPECT_TRUE(unwritable.pngRead && unwritable.thumbnailMade);
    EXPECT_FALSE(unwritable.jpegWritten);
    EXPECT_EQ(media::imageWidth(thumbnailImage), 20);
    media::freeImage(thumbnailImage);
    media::deleteFilesInFolder(folder, "*");
}

}  // namespace
