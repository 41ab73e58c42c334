// Start-up through the harness: window, folders, fonts, the tool-bar layout and the fixed sprites.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "app/panels.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/harness.h"
#include "text/search.h"

namespace {

std::pair<int, int> size(int sprite) {
    return {media::spriteWidth(sprite), media::spriteHeight(sprite)};
}

// One pixel of a sprite; white with no alpha when the sprite cannot be drawn on.
media::Colour pixelOf(int sprite, int x, int y) {
    if (!media::beginDrawing(sprite)) return 0xFFFFFFFFu;
    const media::Colour colour = media::pixelColour(x, y);
    media::endDrawing();
    return colour;
}

using Toolbar = StartedViewer;
using Panels = StartedViewer;
using TextView = StartedViewer;
using SearchHeader = StartedViewer;

}  // namespace

TEST(StartUp, PortraitDesktopGivesTheWholeDesktopAndItsFonts) {
    Harness h;
    ASSERT_TRUE(h.started());
    const Layout& layout = h.v().layout;
    EXPECT_EQ(std::pair(layout.screenWidth, layout.screenHeight), std::pair(1080, 1920));
    EXPECT_EQ(
        std::tuple(layout.baseFontSize, layout.mediumFontSize, layout.largeFontSize, layout.titleFontSize),
        std::tuple(10, 12, 18, 22));
    EXPECT_EQ(media::windowTitle(), "Pagewell v1.0 - 10 January 2016 by Tarnwick");
    EXPECT_EQ(media::spriteWidth(sprite::pointer), 16);
    EXPECT_EQ(size(sprite::backStrip), std::pair(19, 1920));
    EXPECT_EQ(media::spriteWidth(sprite::touchRing), 64);
    EXPECT_EQ(media::spriteHeight(sprite::progressBar), 8);
    EXPECT_EQ(media::spriteHeight(sprite::toolbarZone), 96);
    EXPECT_EQ(size(sprite::logo), std::pair(1080 / 5, 1920 / 5));
}

TEST(StartUp, FoldersAndInitialState) {
    Harness h;
    ASSERT_TRUE(h.started());
    const Viewer& v = h.v();
    EXPECT_EQ(v.layout.programFolder, h.programFolder());
    EXPECT_EQ(v.layout.cacheRoot, h.programFolder() + "cache/");
    EXPECT_TRUE(media::folderExists(v.layout.cacheRoot));
    EXPECT_EQ(v.conversion.thumbnailThread, PageFileWorker::none);
    EXPECT_EQ(v.view.currentPage, 1);
    EXPECT_EQ(v.document.pageCountShown, 1);
    EXPECT_TRUE(v.frame.welcomeShown);
    EXPECT_EQ(v.frame.pointerIntensity, 50);
    EXPECT_EQ(v.view.pageCounterText, "1/1");
    EXPECT_EQ(v.keyboard.activeKeyboardSprite, sprite::keyboardLower);
}

TEST(StartUp, LandscapeDesktopGivesACentredPortraitWindow) {
    Harness h({.desktopWidth = 1920, .desktopHeight = 1080});
    ASSERT_TRUE(h.started());
    const Layout& layout = h.v().layout;
    EXPECT_EQ(std::pair(layout.screenWidth, layout.screenHeight), std::pair(902, 1080));
    EXPECT_EQ(std::pair(layout.baseFontSize, layout.titleFontSize), std::pair(9, 19));
    EXPECT_EQ(layout.buttonGap, 7);  // from the desktop's width, not the display's
    EXPECT_EQ(media::spriteWidth(sprite::pointer), 15);
}

// The faces' widths come from label lengths and font sizes, so they hold whatever face the font is.
TEST_F(Toolbar, ButtonWidthsAndPositionsOnAPortraitDesktop) {
    const Layout& layout = h.v().layout;
    EXPECT_EQ(layout.buttonGap, 4);
    const std::tuple<int, int, int> buttons[] = {
        {sprite::openButton, 58, layout.openButtonX}, {sprite::thumbsButton, 44, layout.thumbsButtonX},
        {sprite::infoButton, 58, layout.infoButtonX}, {sprite::searchButton, 82, layout.searchButtonX},
        {sprite::textButton, 58, layout.textButtonX}, {sprite::aboutButton, 46, layout.aboutButtonX},
        {sprite::exitButton, 58, layout.exitButtonX}, {sprite::detachButton, 46, layout.detachButtonX}};
    const int expectedX[] = {10, 72, 120, 182, 268, 330, 380, 1024};
    for (int i = 0; i < 8; ++i) {
        const auto [face, width, x] = buttons[i];
        EXPECT_EQ(size(face), std::pair(width, 30)) << "button " << i;
        EXPECT_EQ(x, expectedX[i]) << "button " << i;
    }
    EXPECT_EQ(media::spriteWidth(sprite::thumbsButtonOff), 44);
    EXPECT_EQ(media::spriteWidth(sprite::searchButtonOff), 82);
    EXPECT_EQ(media::spriteWidth(sprite::textButtonOff), 58);
    EXPECT_EQ(media::spriteWidth(sprite::exitHover), 58);
    EXPECT_EQ(size(sprite::toolbar), std::pair(1080, 90));
}

TEST_F(Toolbar, BandAndFacesPixels) {
    EXPECT_EQ(pixelOf(sprite::toolbar, 500, 53), media::rgb(200, 200, 200));  // light part is 54 high
    EXPECT_EQ(pixelOf(sprite::toolbar, 500, 54), media::rgb(1, 1, 1));        // the line
    EXPECT_EQ(pixelOf(sprite::toolbar, 500, 89), media::rgb(100, 100, 100));
    EXPECT_EQ(pixelOf(sprite::openButton, 0, 0), media::rgb(0, 0, 0));  // the frame
    EXPECT_EQ(pixelOf(sprite::openButton, 2, 2), media::rgb(255, 255, 255));
    EXPECT_EQ(pixelOf(sprite::exitHover, 30, 15), media::rgb(0, 200, 0));
    EXPECT_EQ(pixelOf(sprite::searchButtonOff, 0, 0), media::rgb(255, 255, 255));  // greyed: no frame
}

TEST_F(Panels, SizesOfTheFixedPanels) {
    EXPECT_EQ(size(sprite::welcome), std::pair(660, 200));
    EXPECT_EQ(size(sprite::pageNotReady), std::pair(37 * 18, 45));
    EXPECT_EQ(size(sprite::pageCounter), std::pair(90, 20));
    EXPECT_EQ(size(sprite::infoPanel), std::pair(190, 20));
    EXPECT_EQ(size(sprite::searchHeader), std::pair(635, 88));  // 1080 / 1.7 = 635.3
    EXPECT_EQ(media::spriteHeight(sprite::searchList), 1920 - 90 - 88);
    EXPECT_EQ(media::spriteHeight(sprite::searchCursor), 20);
    EXPECT_EQ(size(sprite::searchGo), std::pair(128, 35));  // 635 / 4.95 = 128.3, 88 / 2.5 = 35.2
    EXPECT_EQ(size(sprite::textView), std::pair(1042, 1920 - 90 - 20));
    EXPECT_FALSE(media::spriteExists(sprite::textMeasure));
}

TEST_F(Panels, ToolTipsTakeFreeNumbersOfTheirOwn) {
    h.frames(1);  // the tips are made once the first frame is on screen
    const Layout& layout = h.v().layout;
    const int tips[] = {layout.tipOpenSprite,   layout.tipThumbsSprite, layout.tipInfoSprite,
                        layout.tipSearchSprite, layout.tipAboutSprite,  layout.tipExitSprite,
                        layout.tipDetachSprite, layout.tipTextSprite};
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(media::spriteExists(tips[i])) << "tip " << i;
        EXPECT_EQ(media::spriteWidth(tips[i]), 1080);
        EXPECT_EQ(media::spriteHeight(tips[i]), 22);
        for (int j = 0; j < i; ++j) EXPECT_NE(tips[i], tips[j]);
    }
}

// The text view's measure: lines fit with three medium units of margin; the last line index comes
// from the heights alone (2m + 1.2m i + base + m > 1810 first for i = 123).
TEST_F(TextView, MeasureFitsTheView) {
    const Layout& layout = h.v().layout;
    EXPECT_EQ(layout.textViewLastLine, 123);
    ASSERT_TRUE(media::beginDrawing(sprite::textView));
    media::setFont(font::base);
    std::string fits(layout.textLineChars - 1, 'A');
    EXPECT_LE(media::textWidth(fits) + 36, 1042);
    EXPECT_GT(media::textWidth(fits + "A") + 36, 1042);
    media::endDrawing();
    std::printf("textLineChars at 1080 wide: %d (font %s)\n", layout.textLineChars,
                media::fontFile(font::base).c_str());
}

TEST_F(SearchHeader, RedrawShowsTheWordInTheField) {
    EXPECT_EQ(pixelOf(sprite::searchHeader, 12 + 10 + 3, 48 + 8), media::rgb(255, 255, 255));  // empty field
    h.v().search.searchWord = "WWWW";
    drawSearchHeader(h.v());
    ASSERT_TRUE(media::beginDrawing(sprite::searchHeader));
    int dark = 0;
    for (int x = 22; x < 60; ++x)
        for (int y = 48; y < 64; ++y)
            if (media::red(media::pixelColour(x, y)) < 100) ++dark;
    EXPECT_EQ(media::pixelColour(634, 87), media::rgb(0, 0, 0));  // the outline
    media::endDrawing();
    EXPECT_GT(dark, 10);
}
