// Fonts and text: the face fontconfig gives for a missing face, widths as sums of advances, the text
// cell of the standard mode, the transparent mode, and text drawn straight onto the back buffer.
#include <gtest/gtest.h>

#include <string>

#include "display_window.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

using namespace media;

namespace {

constexpr Colour grey = rgb(100, 100, 100);
constexpr Colour green = rgb(0, 160, 0);

class Text : public DisplayWindow {
protected:
    void SetUp() override {
        DisplayWindow::SetUp();
        ASSERT_TRUE(loadFont(0, "Lucida Console", 12, false));
        ASSERT_TRUE(createSprite(20, 200, 40));
        ASSERT_TRUE(beginDrawing(20));
        setFont(0);
    }
    void TearDown() override {
        endDrawing();
        DisplayWindow::TearDown();
    }
};

TEST_F(Text, MissingFaceFallsBackToTheMonospaceFaceNotAProportionalOne) {
    if (fontFile(0).find("Lucida") != std::string::npos) GTEST_SKIP() << "the named face is installed";
    EXPECT_NE(fontFile(0).find("Mono"), std::string::npos) << fontFile(0);
    EXPECT_EQ(textWidth("iiii"), textWidth("WWWW"));
}

TEST_F(Text, WidthIsCharactersTimesAdvanceForTheMonospaceFace) {
    int advance = textWidth("A");
    ASSERT_GT(advance, 0);
    EXPECT_EQ(textWidth("Load a PDF first..."), 19 * advance);
    EXPECT_EQ(textWidth("\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6"), 5 * advance);  // broken bars
    EXPECT_EQ(textWidth(""), 0);
    EXPECT_EQ(textHeight("pH"), textHeight("x"));
    EXPECT_GT(textHeight("pH"), 12);
}

TEST_F(Text, BrokenUtf8IsMeasuredAndDrawnWithoutHarm) {
    std::string broken = "A\xC3";
    EXPECT_GE(textWidth(broken), textWidth("A"));
    drawText(0, 0, broken, rgb(255, 255, 255));
    drawText(0, 0, std::string("\xF0\x28\x8C\x28", 4), rgb(255, 255, 255));
}

TEST_F(Text, StandardModeFillsTheTextCellWithTheBackColour) {
    drawText(3, 4, "    ", rgb(255, 255, 255), green);
    int cellWidth = textWidth("    "), cellHeight = textHeight("    ");
    EXPECT_EQ(pixelColour(3, 4), green);
    EXPECT_EQ(pixelColour(3 + cellWidth - 1, 4 + cellHeight - 1), green);
    EXPECT_EQ(pixelColour(3 + cellWidth, 4), rgb(0, 0, 0));
    EXPECT_EQ(pixelColour(3, 4 + cellHeight), rgb(0, 0, 0));
}

TEST_F(Text, TextWithoutABackColourTakesTheCurrentOne) {
    setBackColour(green);
    drawText(0, 0, "  ", rgb(255, 255, 255));
    EXPECT_EQ(pixelColour(1, 1), green);
}

TEST_F(Text, TransparentModeDrawsGlyphsOverWhatIsThere) {
    fillBox(0, 0, 200, 40, grey);
    setDrawingMode(mode::transparent);
    drawText(0, 0, "H", rgb(255, 255, 255), green);
    int whiteish = 0, greenish = 0;
    for (int y = 0; y < textHeight("H"); ++y) {
        for (int x = 0; x < textWidth("H"); ++x) {
            whiteish += pixelColour(x, y) == rgb(255, 255, 255);
            greenish += media::green(pixelColour(x, y)) == 160;
        }
    }
    EXPECT_GT(whiteish, 5);
    EXPECT_EQ(greenish, 0);
    EXPECT_EQ(pixelColour(0, 0), grey);
}

TEST_F(Text, DefaultFontServesFontsNeverLoadedAndEveryTargetStartsWithIt) {
    setFont(-1);
    int defaultWidth = textWidth("AAAA");
    EXPECT_GT(defaultWidth, 0);
    setFont(42);
    EXPECT_EQ(textWidth("AAAA"), defaultWidth);
    setFont(0);
    ASSERT_TRUE(loadFont(3, "Lucida Console", 30, true));
    setFont(3);
    EXPECT_GT(textWidth("AAAA"), defaultWidth);
    ASSERT_TRUE(beginDrawing(20));
    EXPECT_EQ(textWidth("AAAA"), defaultWidth);
}

TEST_F(Text, TextOnTheBackBufferShowsInThePresentedFrame) {
    endDrawing();
    clearDisplay(grey);
    ASSERT_TRUE(beginDrawingDisplay());
    setFont(0);
    drawText(10, 10, "  ", rgb(255, 255, 255), green);
    setDrawingMode(mode::transparent);
    drawText(50, 10, "  ", rgb(255, 255, 255), green);
    endDrawing();
    present();
    EXPECT_EQ(capturedPixel(11, 11), green);
    EXPECT_EQ(capturedPixel(51, 11), grey);
}

TEST_F(Text, TextIsVisibleOnASpriteShownTransparent) {
    drawText(0, 0, "HHHH", rgb(255, 255, 255));  // black cell: left out when shown
    endDrawing();
    clearDisplay(grey);
    displayTransparentSprite(20, 0, 0, 255);
    present();
    int white = 0;
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 20; ++y) white += capturedPixel(x, y) == rgb(255, 255, 255);
    EXPECT_GT(white, 10);
    EXPECT_EQ(capturedPixel(0, 0), grey);
}

}  // namespace
