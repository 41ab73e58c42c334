// Start-up through the harness: window, folders, fonts, the tool-bar layout and the fixed sprites.
#include <gtest/gtest.h>

#include "app/panels.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/harness.h"
#include "text/search.h"

namespace {

struct ButtonGeometry {
    int face;
    int width;
    int x;
};

}  // namespace

TEST(StartUp, PortraitDesktopGivesTheWholeDesktopAndItsFonts) {
    Harness h;
    ASSERT_TRUE(h.started());
    const Layout& layout = h.v().layout;
    EXPECT_EQ(layout.screenWidth, 1080);
    EXPECT_EQ(layout.screenHeight, 1920);
    EXPECT_EQ(layout.baseFontSize, 10);
    EXPECT_EQ(layout.mediumFontSize, 12);
    EXPECT_EQ(layout.largeFontSize, 18);
    EXPECT_EQ(layout.titleFontSize, 22);
    EXPECT_EQ(media::windowTitle(), "Pagewell v1.0 - 10 January 2016 by Tarnwick");
    EXPECT_EQ(media::spriteWidth(sprite::pointer), 16);
    EXPECT_EQ(media::spriteWidth(sprite::backStrip), 19);
    EXPECT_EQ(media::spriteHeight(sprite::backStrip), 1920);
    EXPECT_EQ(media::spriteWidth(sprite::touchRing), 64);
    EXPECT_EQ(media::spriteHeight(sprite::progressBar), 8);
    EXPECT_EQ(media::spriteHeight(sprite::toolbarZone), 96);
    EXPECT_EQ(media::spriteWidth(sprite::logo), 216);   // 1080 / 5
    EXPECT_EQ(media::spriteHeight(sprite::logo), 384);  // 1920 / 5
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
    HarnessOptions options;
    options.desktopWidth = 1920;
    options.desktopHeight = 1080;
    Harness h(options);
    ASSERT_TRUE(h.started());
    const Layout& layout = h.v().layout;
    EXPECT_EQ(layout.screenWidth, 902);
    EXPECT_EQ(layout.screenHeight, 1080);
    EXPECT_EQ(layout.baseFontSize, 9);
    EXPECT_EQ(layout.titleFontSize, 19);
    EXPECT_EQ(layout.buttonGap, 7);  // from the desktop's width, not the display's
    EXPECT_EQ(media::spriteWidth(sprite::pointer), 15);
}

// The faces' widths come from label lengths and font sizes, so they hold whatever face the font is.
TEST(Toolbar, ButtonWidthsAndPositionsOnAPortraitDesktop) {
    Harness h;
    ASSERT_TRUE(h.started());
    const Layout& layout = h.v().layout;
    EXPECT_EQ(layout.buttonGap, 4);
    const ButtonGeometry buttons[] = {
        {sprite::openButton, 58, layout.openButtonX}, {sprite::thumbsButton, 44, layout.thumbsButtonX},
        {sprite::infoButton, 58, layout.infoButtonX}, {sprite::searchButton, 82, layout.searchButtonX},
        {sprite::textButton, 58, layout.textButtonX}, {sprite::aboutButton, 46, layout.aboutButtonX},
        {sprite::exitButton, 58, layout.exitButtonX}, {sprite::detachButton, 46, layout.detachButtonX}};
    const int expectedX[] = {10, 72, 120, 182, 268, 330, 380, 1024};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(media::spriteWidth(buttons[i].face), buttons[i].width) << "button " << i;
        EXPECT_EQ(media::spriteHeight(buttons[i].face), 30) << "button " << i;
        EXPECT_EQ(buttons[i].x, expectedX[i]) << "button " << i;
    }
    EXPECT_EQ(media::spriteWidth(sprite::thumbsButtonOff), 44);
    EXPECT_EQ(media::spriteWidth(sprite::searchButtonOff), 82);
    EXPECT_EQ(media::spriteWidth(sprite::textButtonOff), 58);
    EXPECT_EQ(media::spriteWidth(sprite::exitHover), 58);
    EXPECT_EQ(media::spriteWidth(sprite::toolbar), 1080);
    EXPECT_EQ(media::spriteHeight(sprite::toolbar), 90);
}

TEST(Toolbar, BandAndFacesPixels) {
    Harness h;
    ASSERT_TRUE(h.started());
    ASSERT_TRUE(media::beginDrawing(sprite::toolbar));
    EXPECT_EQ(media::pixelColour(500, 53), media::rgb(200, 200, 200));  // light part is 54 high
    EXPECT_EQ(media::pixelColour(500, 54), media::rgb(1, 1, 1));        // the line
    EXPECT_EQ(media::pixelColour(500, 89), media::rgb(100, 100, 100));
    media::endDrawing();
    ASSERT_TRUE(media::beginDrawing(sprite::openButton));
    EXPECT_EQ(media::pixelColour(0, 0), media::rgb(0, 0, 0));  // the frame
    EXPECT_EQ(media::pixelColour(2, 2), media::rgb(255, 255, 255));
    media::endDrawing();
    ASSERT_TRUE(media::beginDrawing(sprite::exitHover));
    EXPECT_EQ(media::pixelColour(30, 15), media::rgb(0, 200, 0));
    media::endDrawing();
    ASSERT_TRUE(media::beginDrawing(sprite::searchButtonOff));
    EXPECT_EQ(media::pixelColour(0, 0), media::rgb(255, 255, 255));  // greyed faces have no frame
    media::endDrawing();
}

TEST(Panels, SizesOfTheFixedPanels) {
    Harness h;
    ASSERT_TRUE(h.started());
    EXPECT_EQ(media::spriteWidth(sprite::welcome), 660);
    EXPECT_EQ(media::spriteHeight(sprite::welcome), 200);
    EXPECT_EQ(media::spriteWidth(sprite::pageNotReady), 37 * 18);
    EXPECT_EQ(media::spriteHeight(sprite::pageNotReady), 45);
    EXPECT_EQ(media::spriteWidth(sprite::pageCounter), 90);
    EXPECT_EQ(media::spriteHeight(sprite::pageCounter), 20);
    EXPECT_EQ(media::spriteWidth(sprite::infoPanel), 190);
    EXPECT_EQ(media::spriteHeight(sprite::infoPanel), 20);
    EXPECT_EQ(media::spriteWidth(sprite::searchHeader), 635);  // 1080 / 1.7 = 635.3
    EXPECT_EQ(media::spriteHeight(sprite::searchHeader), 88);
    EXPECT_EQ(media::spriteHeight(sprite::searchList), 1920 - 90 - 88);
    EXPECT_EQ(media::spriteHeight(sprite::searchCursor), 20);
    EXPECT_EQ(media::spriteWidth(sprite::searchGo), 128);  // 635 / 4.95 = 128.3
    EXPECT_EQ(media::spriteHeight(sprite::searchGo), 35);  // 88 / 2.5 = 35.2
    EXPECT_EQ(media::spriteWidth(sprite::textView), 1042);
    EXPECT_EQ(media::spriteHeight(sprite::textView), 1920 - 90 - 20);
    EXPECT_FALSE(media::spriteExists(sprite::textMeasure));
}

TEST(Panels, ToolTipsTakeFreeNumbersOfTheirOwn) {
    Harness h;
    ASSERT_TRUE(h.started());
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
TEST(TextView, MeasureFitsTheView) {
    Harness h;
    ASSERT_TRUE(h.started());
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

TEST(SearchHeader, RedrawShowsTheWordInTheField) {
    Harness h;
    ASSERT_TRUE(h.started());
    ASSERT_TRUE(media::beginDrawing(sprite::searchHeader));
    media::Colour emptyField = media::pixelColour(12 + 10 + 3, 48 + 8);
    media::endDrawing();
    EXPECT_EQ(emptyField, media::rgb(255, 255, 255));
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
