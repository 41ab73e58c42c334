// The about screen: how it ends, Escape while it runs, the music lines and the embedded tune.
#include "about/about.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/app.h"
#include "app/frame_steps.h"
#include "context/assets.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

class AboutScreen : public ::testing::Test {
protected:
    void SetUp() override { h.frames(1); }  // takes the motion of start-up's pointer placement
    Viewer& v() { return h.v(); }
    // A small display keeps the full scroll (1.45 x 1.5 x the height in frames) quick.
    Harness h{{.desktopWidth = 360, .desktopHeight = 640}};
};
using AboutText = AboutScreen;

// True when any pixel of the about text between the two y values is lit.
bool textLitBetween(int top, int bottom) {
    return std::ranges::any_of(
        spritePixels(sprite::aboutText, 0, top, media::spriteWidth(sprite::aboutText), bottom - top),
        [](media::Colour colour) { return colour != 0; });
}

TEST_F(AboutScreen, ReleaseInTheFirstFrameEndsItAtOnce) {
    v().frame.hoveredButton = Button::about;
    v().frame.frameEvent = media::WindowEvent::leftUp;
    media::feedMouseButton(false, 1);
    handleToolbarRelease(v());  // the release on " ? " starts the about screen
    EXPECT_FLOAT_EQ(v().about.aboutScroll, -1.0f);
    EXPECT_EQ(v().frame.hoveredButton, Button::none);
    EXPECT_TRUE(v().frame.exitSuppressed);
    EXPECT_EQ(v().frame.frameEvent, media::WindowEvent::none);  // the release was the about screen's
    EXPECT_FALSE(media::tunePlaying(aboutTune));
}

TEST_F(AboutScreen, EndsByItselfOnceTheTextHasScrolledAway) {
    const int height = media::spriteHeight(sprite::aboutText);
    ASSERT_EQ(height, 960);  // nearest(1.5 x 640)
    aboutScreen(v());
    const float end = -1.45f * static_cast<float>(height);
    EXPECT_LT(v().about.aboutScroll, end);
    EXPECT_GE(v().about.aboutScroll, end - 1.0f);
    // A second run starts from the bottom again.
    media::feedMouseButton(false, 1);
    aboutScreen(v());
    EXPECT_FLOAT_EQ(v().about.aboutScroll, -1.0f);
}

// The about button's release starts it; Escape pressed while it runs ends neither it nor, in
// that frame or afterwards, the program.
TEST_F(AboutScreen, EscapeWhileItRunsIsIgnored) {
    const auto& layout = v().layout;
    h.moveTo(layout.aboutButtonX + media::spriteWidth(sprite::aboutButton) / 2,
             layout.mediumFontSize + media::spriteHeight(sprite::aboutButton) / 2);
    h.frames(2);
    ASSERT_EQ(v().frame.hoveredButton, Button::about);
    h.press();
    h.frames(1);
    h.release();      // the frame takes this one and starts the about screen,
    h.pressEscape();  // which sees Escape go down and up,
    h.press();        // a press that does not end it,
    h.release();      // and the release that does
    h.frames(1);
    EXPECT_FLOAT_EQ(v().about.aboutScroll, -2.0f);
    EXPECT_FALSE(h.ended());
    h.frames(3);
    EXPECT_FALSE(h.ended());
    h.pressEscape();  // Escape still works once the main loop runs again
    h.frames(1);
    EXPECT_TRUE(h.ended());
}

TEST_F(AboutText, MusicLinesOnlyWithSound) {
    const int m = v().layout.mediumFontSize;
    v().about.soundUnavailable = false;
    drawAboutSprites(v());
    EXPECT_TRUE(textLitBetween(0, 3 * m));           // "About the amazing" at the top
    EXPECT_TRUE(textLitBetween(11 * m, 14 * m));     // "Music:" and the credit line
    EXPECT_TRUE(textLitBetween(146 * m, 147 * m));   // the closing line
    EXPECT_FALSE(textLitBetween(143 * m, 145 * m));  // the gap after the last paragraph

    v().about.soundUnavailable = true;
    drawAboutSprites(v());
    EXPECT_FALSE(textLitBetween(11 * m, 17 * m));
    // Without sound the screen runs unchanged and plays nothing.
    media::feedMouseButton(true, 1);
    media::feedMouseButton(false, 1);
    aboutScreen(v());
    EXPECT_FLOAT_EQ(v().about.aboutScroll, -2.0f);
    EXPECT_FALSE(media::tunePlaying(aboutTune));
}

TEST_F(AboutText, FadesRunFromBlackToWhiteAndBack) {
    const int half = v().layout.screenHeight / 2;
    ASSERT_EQ(media::spriteHeight(sprite::aboutFadeLight), half);
    const std::vector<media::Colour> light = spritePixels(sprite::aboutFadeLight, 5, 0, 1, half),
                                     dark = spritePixels(sprite::aboutFadeDark, 5, 0, 1, half);
    ASSERT_EQ(light.size() + dark.size(), 2u * half);
    EXPECT_LT(media::red(light.front()), 5);
    EXPECT_GT(media::red(light.back()), 250);
    EXPECT_GT(media::red(dark.front()), 250);
    EXPECT_LT(media::red(dark.back()), 5);
}

TEST(AboutTune, IsAFourChannelModuleThatSounds) {
    int channels = 0;
    const std::vector<std::int16_t> samples =
        media::decodeTune(embeddedTuneData(), embeddedTuneSize(), 4000, &channels);
    EXPECT_EQ(channels, 4);
    ASSERT_FALSE(samples.empty());
    double energy = 0;
    for (std::int16_t sample : samples) energy += static_cast<double>(sample) * sample;
    EXPECT_GT(std::sqrt(energy / static_cast<double>(samples.size())), 500.0);
    EXPECT_LT(embeddedTuneSize(), 100000u);
}

}  // namespace
