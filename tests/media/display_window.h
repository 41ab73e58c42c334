// A hidden window with the sprite display on SDL's dummy driver, fresh for each test, and helpers
// to read back the presented frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

class DisplayWindow : public ::testing::Test {
protected:
    static constexpr int width = 120;
    static constexpr int height = 80;

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_RENDER_DRIVER", "software", 0);
        ASSERT_TRUE(media::startDisplay());
        ASSERT_TRUE(media::openWindow(width, height, "Display test", media::WindowFlags{}));
        ASSERT_TRUE(media::openDisplay(width, height));
        media::useTestClock(true);
        media::captureFrames(true);
        media::resetInput();
    }
    void TearDown() override {
        media::captureFrames(false);
        media::useTestClock(false);
        media::stopDisplay();
    }
    // Presents what has been drawn and clears the back buffer for the next frame.
    void present() {
        media::flipDisplay();
        media::clearDisplay(media::rgb(0, 0, 0));
    }
    // Every pixel of the last presented frame, row by row.
    static std::vector<media::Colour> capturedFrame() {
        std::vector<media::Colour> pixels;
        for (int i = 0; i < width * height; ++i) pixels.push_back(media::capturedPixel(i % width, i / width));
        return pixels;
    }
};

// On the sprite being drawn: detail at every scale, a gradient from back to front crossed by stripes
// two pixels wide, one every `every` pixels.
inline void drawStripedGradient(int width, int height, media::Colour back, media::Colour front,
                                media::Colour stripe, int every) {
    media::setBackColour(back);
    media::setFrontColour(front);
    media::setDrawingMode(media::mode::gradient);
    media::fillBox(0, 0, width, height);
    media::setDrawingMode(media::mode::standard);
    for (int x = 0; x < width; x += every) media::fillBox(x, 0, 2, height, stripe);
}
