// Image codecs, resizing and the numbered image store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/scratch.h"

namespace {

std::uint32_t pixel(int r, int g, int b, int a = 255) {
    return static_cast<std::uint32_t>(r | g << 8 | b << 16) | static_cast<std::uint32_t>(a) << 24;
}

media::Picture gradientPicture(int width, int height) {
    media::Picture picture{width, height,
                           media::PixelVector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels[y * width + x] = pixel(x * 255 / width, y * 255 / height, 90);
    return picture;
}

media::Picture flatPicture(int width, int height, std::uint32_t colour) {
    return media::Picture{
        width, height, media::PixelVector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

// ---- Hand-made PNG files for the colour types a writer of page images may choose -----------------

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string chunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(crc32(type + data));
}

// A zlib stream of one stored (uncompressed) block.
std::string storedZlib(const std::string& raw) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    auto length = static_cast<std::uint16_t>(raw.size());
    std::string stream = {'\x78',
                          '\x01',
                          '\x01',
                          static_cast<char>(length & 255),
                          static_cast<char>(length >> 8),
                          static_cast<char>(~length & 255),
                          static_cast<char>((~length >> 8) & 255)};
    return stream + raw + bigEndian(b << 16 | a);
}

// scanlines: the filtered image data (a 0 filter byte before each row, or each pass's row).
std::string handMadePng(int width, int height, int depth, int colourType, bool interlaced,
                        const std::string& scanlines, const std::string& extraChunks = "") {
    std::string header =
        bigEndian(static_cast<std::uint32_t>(width)) + bigEndian(static_cast<std::uint32_t>(height));
    header += {static_cast<char>(depth), static_cast<char>(colourType), 0, 0, static_cast<char>(interlaced)};
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + extraChunks +
           chunk("IDAT", storedZlib(scanlines)) + chunk("IEND", "");
}

media::Picture decoded(const std::string& png) {
    media::Picture picture;
    EXPECT_TRUE(media::decodeImageMemory(png.data(), png.size(), picture));
    return picture;
}

// The variants a writer of page images may choose. Interlaced 2 x 2 grey: pass 1 holds (0,0), pass 6
// holds (1,0), pass 7 holds the second row.
const std::string paletteWithTransparency = handMadePng(
    2, 1, 8, 3, false, std::string("\0\0\1", 3),
    chunk("PLTE", std::string("\xFF\x00\x00\x00\x80\xFF", 6)) + chunk("tRNS", std::string("\xFF\x40", 2)));
const std::string sixteenBitGrey = handMadePng(2, 1, 16, 0, false, std::string("\0\xFF\xFF\x80\x00", 5));
const std::string greyAlpha = handMadePng(1, 1, 8, 4, false, std::string("\0\x64\xC8", 3));
const std::string interlacedGrey = handMadePng(2, 2, 8, 0, true, std::string("\0\x0A\0\x14\0\x1E\x28", 7));

TEST(PngVariants, PaletteWithTransparencyBecomesRgba) {
    EXPECT_EQ(decoded(paletteWithTransparency).pixels,
              (media::PixelVector<std::uint32_t>{pixel(255, 0, 0), pixel(0, 128, 255, 0x40)}));
}

TEST(PngVariants, SixteenBitGreyAndGreyAlphaBecomeEightBitRgba) {
    EXPECT_EQ(decoded(sixteenBitGrey).pixels,
              (media::PixelVector<std::uint32_t>{pixel(255, 255, 255), pixel(128, 128, 128)}));
    EXPECT_EQ(decoded(greyAlpha).pixels, (media::PixelVector<std::uint32_t>{pixel(100, 100, 100, 200)}));
}

TEST(PngVariants, InterlacedImageIsAssembledFromItsPasses) {
    EXPECT_EQ(decoded(interlacedGrey).pixels,
              (media::PixelVector<std::uint32_t>{pixel(10, 10, 10), pixel(20, 20, 20), pixel(30, 30, 30),
                                                 pixel(40, 40, 40)}));
}

// The page files' RGB decode gives every variant's colours as the RGBA decode does, alpha left out.
TEST(PngVariants, RgbDecodeGivesTheColoursOfTheRgbaDecode) {
    const std::string variants[] = {
        paletteWithTransparency, sixteenBitGrey, greyAlpha, interlacedGrey,
        handMadePng(1, 2, 8, 6, false, std::string("\0\x01\x02\x03\x04\0\xFA\xFB\xFC\x00", 10))};
    const std::string file = std::string(::testing::TempDir()) + "pw_rgb_variant.png";
    for (const std::string& png : variants) {
        const media::Picture rgba = decoded(png);
        ASSERT_TRUE(media::writeWholeFile(file, png));
        media::RgbPicture rgb;
        ASSERT_TRUE(media::decodePngRgb(file, rgb));
        ASSERT_EQ(rgb.width, rgba.width);
        ASSERT_EQ(rgb.height, rgba.height);
        ASSERT_EQ(rgb.bytes.size(), rgba.pixels.size() * 3);
        for (std::size_t i = 0; i < rgba.pixels.size(); ++i)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(rgb.bytes[i * 3 + c], (rgba.pixels[i] >> (8 * c)) & 255) << i;
    }
    media::RgbPicture rgb;
    ASSERT_TRUE(media::writeWholeFile(file, variants[0].substr(0, variants[0].size() - 20)));
    EXPECT_FALSE(media::decodePngRgb(file, rgb)) << "a file cut short";
    media::deleteFile(file);
}

TEST(PngVariants, HugeDeclaredSizeIsRefusedWithoutAllocating) {
    std::string png = handMadePng(60000, 60000, 8, 0, false, std::string("\0\0", 2));
    media::Picture picture;
    EXPECT_FALSE(media::decodeImageMemory(png.data(), png.size(), picture));
}

class ImageFiles : public ::testing::Test {
protected:
    std::string folder = freshFolder("pw_images_");
    void TearDown() override { media::deleteFilesInFolder(folder, "*"); }
};

TEST_F(ImageFiles, PngRoundTripKeepsEveryPixelAndAlpha) {
    media::Picture source = gradientPicture(37, 21);
    source.pixels[5] = pixel(10, 20, 30, 0);
    source.pixels[6] = pixel(200, 100, 50, 128);
    ASSERT_TRUE(media::encodePngFile(source, folder + "a.png", 9));
    media::Picture loaded;
    ASSERT_TRUE(media::decodeImageFile(folder + "a.png", loaded));
    EXPECT_EQ(loaded.width, 37);
    EXPECT_EQ(loaded.height, 21);
    EXPECT_EQ(loaded.pixels, source.pixels);
}

TEST_F(ImageFiles, JpegRoundTripKeepsSizeAndColoursWithinTolerance) {
    media::Picture source = flatPicture(64, 48, pixel(200, 40, 90));
    ASSERT_TRUE(media::encodeJpegFile(source, folder + "a.jpg", 90));
    media::Picture loaded;
    ASSERT_TRUE(media::decodeImageFile(folder + "a.jpg", loaded));
    ASSERT_EQ(loaded.width, 64);
    ASSERT_EQ(loaded.height, 48);
    for (std::uint32_t p : loaded.pixels) ASSERT_LE(channelDistance(p, source.pixels[0]), 4);
}

TEST_F(ImageFiles, FormatIsDecidedByContentNotByName) {
    media::Picture source = gradientPicture(16, 16);
    ASSERT_TRUE(media::encodePngFile(source, folder + "really_png.jpg"));
    ASSERT_TRUE(media::encodeJpegFile(source, folder + "really_jpeg.png", 90));
    media::Picture loaded;
    EXPECT_TRUE(media::decodeImageFile(folder + "really_png.jpg", loaded));
    EXPECT_EQ(loaded.pixels, source.pixels);
    EXPECT_TRUE(media::decodeImageFile(folder + "really_jpeg.png", loaded));
    EXPECT_EQ(loaded.width, 16);
}

TEST_F(ImageFiles, PngFollowedByTrailerStillLoads) {
    media::Picture source = gradientPicture(20, 10);
    ASSERT_TRUE(media::encodePngFile(source, folder + "sheet.png"));
    ASSERT_TRUE(media::appendToFile(folder + "sheet.png", "\nGRID 4 5 120 160\nmore text after the image\n"));
    media::Picture loaded;
    ASSERT_TRUE(media::decodeImageFile(folder + "sheet.png", loaded));
    EXPECT_EQ(loaded.pixels, source.pixels);
}

TEST_F(ImageFiles, TruncatedOrGarbageFilesFailWithoutTouchingThePicture) {
    media::Picture source = gradientPicture(40, 30);
    ASSERT_TRUE(media::encodePngFile(source, folder + "a.png"));
    ASSERT_TRUE(media::encodeJpegFile(source, folder + "a.jpg", 90));
    std::string png, jpeg;
    ASSERT_TRUE(media::readWholeFile(folder + "a.png", png));
    ASSERT_TRUE(media::readWholeFile(folder + "a.jpg", jpeg));
    media::Picture untouched = flatPicture(2, 2, pixel(1, 2, 3));
    media::Picture picture = untouched;
    for (std::size_t cut : {std::size_t{0}, std::size_t{8}, std::size_t{40}, png.size() / 2, png.size() - 13})
        EXPECT_FALSE(media::decodeImageMemory(png.data(), cut, picture)) << "png cut at " << cut;
    for (std::size_t cut : {std::size_t{3}, std::size_t{100}, jpeg.size() / 2, jpeg.size() - 2})
        EXPECT_FALSE(media::decodeImageMemory(jpeg.data(), cut, picture)) << "jpeg cut at " << cut;
    const std::string pam = std::string("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\n") +
                            "TUPLTYPE RGB_ALPHA\nENDHDR\n" +
                            std::string("\x01\x02\x03\xFF\x04\x05\x06\xFF", 8);
    media::Picture fromPam;
    ASSERT_TRUE(media::decodeImageMemory(pam.data(), pam.size(), fromPam));
    EXPECT_EQ(std::vector<std::uint32_t>(fromPam.pixels.begin(), fromPam.pixels.end()),
              (std::vector<std::uint32_t>{pixel(1, 2, 3), pixel(4, 5, 6)}));
    for (std::size_t cut : {std::size_t{3}, std::size_t{20}, pam.size() - 1})
        EXPECT_FALSE(media::decodeImageMemory(pam.data(), cut, picture)) << "pam cut at " << cut;
    std::string larger = pam;
    larger.replace(larger.find("WIDTH 2"), 7, "WIDTH 99999999");
    EXPECT_FALSE(media::decodeImageMemory(larger.data(), larger.size(), picture));
    std::string garbage(5000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 % 251);
    EXPECT_FALSE(media::decodeImageMemory(garbage.data(), garbage.size(), picture));
    std::string damaged = png;
    for (std::size_t i = 60; i < damaged.size() - 20; i += 7)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    EXPECT_FALSE(media::decodeImageMemory(damaged.data(), damaged.size(), picture));
    EXPECT_EQ(picture.pixels, untouched.pixels);
    EXPECT_FALSE(media::decodeImageFile(folder + "missing.png", picture));
    EXPECT_FALSE(media::decodeImageFile(folder, picture));
}

TEST_F(ImageFiles, FailedWriteLeavesNoFileAndNoTemporaryBehind) {
    media::Picture source = gradientPicture(8, 8);
    EXPECT_FALSE(media::encodePngFile(source, folder + "no_such_folder/a.png"));
    EXPECT_FALSE(media::encodePngFile(media::Picture{}, folder + "empty.png"));
    EXPECT_FALSE(media::encodeJpegFile(media::Picture{3, 3, {}}, folder + "bad.jpg", 90));
    EXPECT_EQ(media::fileSize(folder + "empty.png"), -1);
    EXPECT_EQ(media::fileSize(folder + "bad.jpg"), -1);
    ASSERT_TRUE(media::encodePngFile(source, folder + "a.png"));
    media::deleteFilesInFolder(folder, "*.png");  // removes the folder only when nothing else is left
    EXPECT_FALSE(media::folderExists(folder)) << "a temporary file was left in the folder";
    folder = freshFolder("pw_images_");
}

TEST_F(ImageFiles, ScaledJpegDecodeGivesTheSmallestScaleStillLargeEnough) {
    ASSERT_TRUE(media::encodeJpegFile(gradientPicture(800, 600), folder + "page.jpg", 90));
    media::Picture picture;
    ASSERT_TRUE(media::decodeJpegScaled(folder + "page.jpg", 150, 100, picture));
    EXPECT_EQ(picture.width, 200);  // 1/4: 1/8 would give 100 x 75
    EXPECT_EQ(picture.height, 150);
    ASSERT_TRUE(media::decodeJpegScaled(folder + "page.jpg", 900, 100, picture));
    EXPECT_EQ(picture.width, 800);
    ASSERT_TRUE(media::encodePngFile(gradientPicture(50, 40), folder + "page.png"));
    ASSERT_TRUE(media::loadImageScaled(3, folder + "page.png", 10, 10));
    EXPECT_EQ(media::imageWidth(3), 50);
    media::freeImage(3);
}

TEST(Resizing, GivesTheAskedSizeAndKeepsAFlatColourFlat) {
    const std::uint32_t colour = pixel(123, 45, 210);
    for (auto [w, h] : {std::pair{311, 97}, std::pair{13, 1}, std::pair{1000, 700}, std::pair{1, 1}}) {
        media::Picture resized = media::resizedPicture(flatPicture(157, 211, colour), w, h);
        ASSERT_EQ(resized.width, w);
        ASSERT_EQ(resized.height, h);
        for (std::uint32_t p : resized.pixels) ASSERT_EQ(p, colour) << w << "x" << h;
    }
}

TEST(Resizing, ShrinkingAveragesAndTransparentPixelsDoNotDarken) {
    media::Picture checker = flatPicture(4, 4, pixel(0, 0, 0));
    for (int i = 0; i < 16; ++i)
        if ((i + i / 4) % 2) checker.pixels[i] = pixel(255, 255, 255);
    media::Picture grey = media::resizedPicture(checker, 2, 2);
    for (std::uint32_t p : grey.pixels) EXPECT_LE(channelDistance(p, pixel(128, 128, 128)), 1);
    media::Picture halfClear = flatPicture(2, 1, pixel(250, 0, 0));
    halfClear.pixels[1] = pixel(0, 0, 0, 0);
    media::Picture one = media::resizedPicture(halfClear, 1, 1);
    EXPECT_LE(channelDistance(one.pixels[0], pixel(250, 0, 0, 128)), 1);
}

TEST_F(ImageFiles, NumberedImagesLoadResizeSaveAndFree) {
    ASSERT_TRUE(media::encodePngFile(gradientPicture(60, 80), folder + "in.png"));
    ASSERT_TRUE(media::loadImage(7, folder + "in.png"));
    auto before = media::imagePicture(7);
    ASSERT_TRUE(media::resizeImage(7, 30, 40));
    EXPECT_EQ(media::imageWidth(7), 30);
    EXPECT_EQ(media::imageHeight(7), 40);
    EXPECT_EQ(before->width, 60) << "a snapshot handed out must not change under its reader";
    EXPECT_TRUE(media::saveImageJpeg(7, folder + "out.jpg", 9));
    EXPECT_TRUE(media::saveImagePng(7, folder + "out.png"));
    media::Picture reread;
    ASSERT_TRUE(media::decodeImageFile(folder + "out.jpg", reread));
    EXPECT_EQ(reread.width, 30);
    EXPECT_FALSE(media::loadImage(7, folder + "missing.png"));
    EXPECT_TRUE(media::imageExists(7)) << "a failed load keeps the image that was there";
    media::freeImage(7);
    EXPECT_FALSE(media::imageExists(7));
    EXPECT_EQ(media::imageWidth(7), 0);
    EXPECT_FALSE(media::resizeImage(7, 5, 5));
    EXPECT_FALSE(media::saveImagePng(7, folder + "none.png"));
}

TEST_F(ImageFiles, ImagesCanBeUsedFromSeveralThreadsAtOnce) {
    ASSERT_TRUE(media::encodePngFile(gradientPicture(120, 90), folder + "in.png"));
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                int number = 100 + t;
                EXPECT_TRUE(media::loadImage(number, folder + "in.png"));
                EXPECT_TRUE(media::resizeImage(number, 40, 30));
                EXPECT_TRUE(media::saveImageJpeg(number, folder + "out" + std::to_string(t) + ".jpg", 9));
                media::imagePicture(100 + (t + 1) % 4);
                media::freeImage(number);
            }
        });
    for (auto& worker : workers) worker.join();
}

}  // namespace
