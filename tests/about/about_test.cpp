// The about screen: how it ends, Escape while it runs, the music lines and the embedded tune.
#include "about/about.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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

// A small display keeps the full scroll (1.45 x 1.5 x the height in frames) quick.
HarnessOptions smallDisplay() {
    HarnessOptions options;
    options.desktopWidth = 360;
    options.desktopHeight = 640;
    return options;
}

struct AboutViewer {
    Harness h{smallDisplay()};
    AboutViewer() { h.frames(1); }  // takes the motion of start-up's pointer placement
    Viewer& v() { return h.v(); }
};

// True when any pixel of the about text between the two y values is lit.
bool textLitBetween(int top, int bottom) {
    media::beginDrawing(sprite::aboutText);
    bool lit = false;
    for (int y = top; y < bottom && !lit; ++y)
        for (int x = 0; x < media::spriteWidth(sprite::aboutText) && !lit; ++x)
            lit = media::pixelColour(x, y) != 0;
    media::endDrawing();
    return lit;
}

TEST(AboutScreen, ReleaseInTheFirstFrameEndsItAtOnce) {
    AboutViewer a;
    a.v().frame.hoveredButton = Button::about;
    a.v().frame.frameEvent = media::WindowEvent::leftUp;
    media::feedMouseButton(false, 1);
    handleToolbarRelease(a.v());  // the release on " ? " starts the about screen
    EXPECT_FLOAT_EQ(a.v().about.aboutScroll, -1.0f);
    EXPECT_EQ(a.v().frame.hoveredButton, Button::none);
    EXPECT_TRUE(a.v().frame.exitSuppressed);
    EXPECT_EQ(a.v().frame.frameEvent, media::WindowEvent::none);  // the release was the about screen's
    EXPECT_FALSE(media::tunePlaying(aboutTune));
}

TEST(AboutScreen, EndsByItselfOnceTheTextHasScrolledAway) {
    AboutViewer a;
    const int height = media::spriteHeight(sprite::aboutText);
    ASSERT_EQ(height, 960);  // nearest(1.5 x 640)
    aboutScreen(a.v());
    const float end = -1.45f * static_cast<float>(height);
    EXPECT_LT(a.v().about.aboutScroll, end);
    EXPECT_GE(a.v().about.aboutScroll, end - 1.0f);
    // A second run starts from the bottom again.
    media::feedMouseButton(false, 1);
    aboutScreen(a.v());
    EXPECT_FLOAT_EQ(a.v().about.aboutScroll, -1.0f);
}

// The about button's release starts it; Escape pressed while it runs ends neither it nor, in
// that frame or afterwards, the program.
TEST(AboutScreen, EscapeWhileItRunsIsIgnored) {
    AboutViewer a;
    const auto& layout = a.v().layout;
    a.h.moveTo(layout.aboutButtonX + media::spriteWidth(sprite::aboutButton) / 2,
               layout.mediumFontSize + media::spriteHeight(sprite::aboutButton) / 2);
    a.h.frames(2);
    ASSERT_EQ(a.v().frame.hoveredButton, Button::about);
    a.h.press();
    a.h.frames(1);
    a.h.release();      // the frame takes this one and starts the about screen,
    a.h.pressEscape();  // which sees Escape go down and up,
    a.h.press();        // a press that does not end it,
    a.h.release();      // and the release that does
    a.h.frames(1);
    EXPECT_FLOAT_EQ(a.v().about.aboutScroll, -2.0f);
    EXPECT_FALSE(a.h.ended());
    a.h.frames(3);
    EXPECT_FALSE(a.h.ended());
    a.h.pressEscape();  // Escape still works once the main loop runs again
    a.h.frames(1);
    EXPECT_TRUE(a.h.ended());
}

TEST(AboutText, MusicLinesOnlyWithSound) {
    AboutViewer a;
    const int m = a.v().layout.mediumFontSize;
    a.v().about.soundUnavailable = false;
    drawAboutSprites(a.v());
    EXPECT_TRUE(textLitBetween(0, 3 * m));           // "About the amazing" at the top
    EXPECT_TRUE(textLitBetween(11 * m, 14 * m));     // "Music:" and the credit line
    EXPECT_TRUE(textLitBetween(146 * m, 147 * m));   // the closing line
    EXPECT_FALSE(textLitBetween(143 * m, 145 * m));  // the gap after the last paragraph

    a.v().about.soundUnavailable = true;
    drawAboutSprites(a.v());
    EXPECT_FALSE(textLitBetween(11 * m, 17 * m));
    // Without sound the screen runs unchanged and plays nothing.
    media::feedMouseButton(true, 1);
    media::feedMouseButton(false, 1);
    aboutScreen(a.v());
    EXPECT_FLOAT_EQ(a.v().about.aboutScroll, -2.0f);
    EXPECT_FALSE(media::tunePlaying(aboutTune));
}

TEST(AboutText, FadesRunFromBlackToWhiteAndBack) {
    AboutViewer a;
    const int half = a.v().layout.screenHeight / 2;
    ASSERT_EQ(media::spriteHeight(sprite::aboutFadeLight), half);
    media::beginDrawing(sprite::aboutFadeLight);
    EXPECT_LT(media::red(media::pixelColour(5, 0)), 5);
    EXPECT_GT(media::red(media::pixelColour(5, half - 1)), 250);
    media::endDrawing();
    media::beginDrawing(sprite::aboutFadeDark);
    EXPECT_GT(media::red(media::pixelColour(5, 0)), 250);
    EXPECT_LT(media::red(media::pixelColour(5, half - 1)), 5);
    media::endDrawing();
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
