// Prefetch: files decoded ahead, taken by loadSprite only while the file is the one decoded.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/media/display_window.h"
#include "tests/support/polling.h"
#include "tests/support/scratch.h"

namespace {

constexpr int pageSprite = 10;

class Prefetch : public DisplayWindow {
protected:
    std::string folder = freshFolder("pw_prefetch_");

    void TearDown() override {
        media::deleteFilesInFolder(folder, "*");
        DisplayWindow::TearDown();
    }
    // A flat picture of colour, as PNG or (by the name's ending) JPEG.
    std::string write(const std::string& name, media::Colour colour, int width = 300, int height = 400) {
        media::Picture picture{width, height,
                               media::PixelVector<std::uint32_t>(static_cast<std::size_t>(width) * height,
                                                                 colour | 0xFF000000u)};
        const bool jpeg = name.ends_with(".jpg");
        EXPECT_TRUE(jpeg ? media::encodeJpegFile(picture, folder + name, 90)
                         : media::encodePngFile(picture, folder + name));
        return folder + name;
    }
    static bool becomesReady(const std::string& file) {
        return eventually([&] { return media::prefetchedImageReady(file); }, 10.0);
    }
    static media::Colour loadedColour(const std::string& file) {
        if (!media::loadSprite(pageSprite, file) || !media::beginDrawing(pageSprite)) return 0xFFFFFFFFu;
        const media::Colour colour = media::pixelColour(10, 10);
        media::endDrawing();
        return colour;
    }
};

// Taken as a picture, or after a later frame's wish has made it a sprite (under a hidden number that
// no longer exists once taken).
TEST_F(Prefetch, WantedFileIsTakenOnceByLoadSprite) {
    const std::string first = write("a.png", media::rgb(10, 200, 30));
    const std::string second = write("b.jpg", media::rgb(200, 10, 30), 310, 410);
    media::prefetchImages({first, second});
    ASSERT_TRUE(becomesReady(first));
    ASSERT_TRUE(becomesReady(second));
    EXPECT_EQ(loadedColour(first), media::rgb(10, 200, 30));
    EXPECT_EQ(media::spriteOwnWidth(pageSprite), 300);
    EXPECT_FALSE(media::prefetchedImageReady(first)) << "the sprite owns the picture now";
    media::prefetchImages({second});  // the next frame's wish prepares the second
    ASSERT_TRUE(media::spriteExists(-2));
    EXPECT_TRUE(media::prefetchedImageReady(second));
    EXPECT_NEAR(media::red(loadedColour(second)), 200, 4);
    EXPECT_EQ(media::spriteOwnWidth(pageSprite), 310);
    EXPECT_EQ(media::spriteWidth(pageSprite), 310);
    EXPECT_FALSE(media::spriteExists(-2));
    media::displaySprite(pageSprite, 0, 0);
    present();
    EXPECT_NEAR(media::red(media::capturedPixel(5, 5)), 200, 4);
    media::prefetchImages({first});
    EXPECT_EQ(loadedColour(first), media::rgb(10, 200, 30)) << "taken, or decoded as without prefetch";
}

// The file changed after its decode: replaced by another file (even of the same size and time),
// rewritten, or deleted. loadSprite then does what it does without prefetching.
TEST_F(Prefetch, ChangedFileIsDecodedAfreshOrFailsAsWithoutPrefetch) {
    const std::string renamed = write("renamed.png", media::rgb(200, 0, 0));
    const std::string rewritten = write("rewritten.png", media::rgb(0, 200, 0));
    const std::string deleted = write("deleted.png", media::rgb(0, 0, 200));
    media::prefetchImages({renamed, rewritten, deleted});
    for (const std::string& file : {renamed, rewritten, deleted}) ASSERT_TRUE(becomesReady(file)) << file;
    media::prefetchImages({renamed, rewritten, deleted});  // one of them becomes a sprite
    struct stat before {};
    ASSERT_EQ(::stat(renamed.c_str(), &before), 0);
    write("renamed.png", media::rgb(100, 100, 0));  // a new file renamed over the old one
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, renamed.c_str(), times, 0), 0);
    ASSERT_TRUE(media::appendToFile(rewritten, "x"));
    media::deleteFile(deleted);
    for (const std::string& file : {renamed, rewritten, deleted})
        EXPECT_FALSE(media::prefetchedImageReady(file)) << file;
    EXPECT_EQ(loadedColour(renamed), media::rgb(100, 100, 0));
    EXPECT_EQ(loadedColour(rewritten), media::rgb(0, 200, 0));
    EXPECT_FALSE(media::loadSprite(pageSprite + 1, deleted));
    EXPECT_FALSE(media::spriteExists(-2)) << "an outdated sprite is freed";
}

TEST_F(Prefetch, AtMostThreePicturesAndOnlyWhileWanted) {
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(write("p" + std::to_string(i) + ".jpg", media::rgb(i * 40, 0, 0)));
    media::prefetchImages(files);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(becomesReady(files[i])) << i;
    ASSERT_TRUE(eventually(media::prefetchWaiting));
    EXPECT_FALSE(media::prefetchedImageReady(files[3]));
    EXPECT_FALSE(media::prefetchedImageReady(files[4]));
    media::prefetchImages({files[4], files[0]});
    EXPECT_FALSE(media::prefetchedImageReady(files[1])) << "no longer wanted";
    ASSERT_TRUE(becomesReady(files[4]));
    EXPECT_TRUE(media::prefetchedImageReady(files[0]));
    media::stopPrefetch();
    EXPECT_FALSE(media::prefetchedImageReady(files[0]));
    media::prefetchImages({files[2]});
    EXPECT_TRUE(becomesReady(files[2])) << "wishes after a stop start the thread again";
}

// The most wanted picture is scaled between frames to the size the rule gives; the frame that shows it
// at that size makes no scaled copy and draws what a fresh load of the file draws, smooth or not.
TEST_F(Prefetch, MostWantedPictureIsScaledAheadAndDrawnAsAFreshLoadDrawsIt) {
    media::Picture stripes{300, 400, {}};
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 300; ++x)
            stripes.pixels.push_back(0xFF000000u | ((x / 7 % 2 != 0 ? 0xFFFFFFu : 0x2040A0u) ^ (y % 9u)));
    ASSERT_TRUE(media::encodePngFile(stripes, folder + "striped.png"));
    ASSERT_TRUE(media::encodePngFile(stripes, folder + "same.png"));
    const std::string file = folder + "striped.png";
    auto frame = [&](const std::string& shown, int& scaled) {
        const std::int64_t before = media::frameCounts().scaledInFrames;
        EXPECT_TRUE(media::loadSprite(pageSprite, shown));
        media::zoomSprite(pageSprite, 53, 71);
        media::displaySprite(pageSprite, 30, 4);
        present();
        scaled = static_cast<int>(media::frameCounts().scaledInFrames - before);
        return capturedFrame();
    };
    for (bool smooth : {false, true}) {
        media::setSpriteFiltering(smooth);
        int asked = 0;
        auto rule = [&](const std::string& name, int w, int h) {
            ++asked;
            return name == file && w == 300 && h == 400 ? media::DisplaySize{53, 71} : media::DisplaySize{};
        };
        media::prefetchImages({file}, rule);
        ASSERT_TRUE(becomesReady(file));
        media::prefetchImages({file}, rule);  // a hidden sprite
        media::prefetchImages({file}, rule);  // scaled to the rule's size
        media::prefetchImages({file}, rule);  // once for that size
        // Asked by the last two wishes, and by the one before when the decode was done before the
        // first wish had returned (a busy machine), which then already made the hidden sprite.
        EXPECT_TRUE(asked == 2 || asked == 3) << asked;
        int scaledAhead = -1, scaledFresh = -1;
        const auto fromAhead = frame(file, scaledAhead);
        const auto fresh = frame(folder + "same.png", scaledFresh);
        EXPECT_EQ(scaledAhead, 0) << smooth;
        EXPECT_EQ(scaledFresh, 1) << smooth;
        EXPECT_EQ(fromAhead, fresh) << smooth;
    }
}

TEST_F(Prefetch, DamagedFileIsNeverReadyAndStillFailsToLoad) {
    const std::string good = write("good.png", media::rgb(1, 2, 3));
    std::string bytes;
    ASSERT_TRUE(media::readWholeFile(good, bytes));
    ASSERT_TRUE(media::writeWholeFile(folder + "cut.png", bytes.substr(0, bytes.size() / 2)));
    media::prefetchImages({folder + "cut.png", good});
    ASSERT_TRUE(becomesReady(good));
    EXPECT_FALSE(media::prefetchedImageReady(folder + "cut.png"));
    EXPECT_FALSE(media::loadSprite(pageSprite, folder + "cut.png"));
}

}  // namespace
