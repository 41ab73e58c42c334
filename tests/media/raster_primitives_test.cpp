// The rasteriser through the drawing operations on a sprite: exact pixels of boxes, rounded boxes,
// lines, circles, flood fills, gradients and alpha blending. No window needed.
#include <gtest/gtest.h>

#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

using namespace media;

namespace {

constexpr Colour black = rgb(0, 0, 0);
constexpr Colour white = rgb(255, 255, 255);
constexpr Colour outlineColour = rgb(2, 2, 2);
constexpr Colour fillColour = rgb(200, 200, 200);

struct Spot {
    int x, y;
    Colour colour;
};

// Each spot of the drawing target holds its colour.
void expectPixels(std::initializer_list<Spot> spots) {
    for (const Spot& s : spots) EXPECT_EQ(pixelColour(s.x, s.y), s.colour) << "at " << s.x << ", " << s.y;
}

class Raster : public ::testing::Test {
protected:
    static constexpr int sprite = 5;
    void open(int width, int height) {
        ASSERT_TRUE(createSprite(sprite, width, height));
        ASSERT_TRUE(beginDrawing(sprite));
    }
    void TearDown() override {
        endDrawing();
        freeSprite(sprite);
    }
};

TEST_F(Raster, FloodFillStopsAtTheBorderColourAndLeavesOutsideAlone) {
    open(40, 30);
    setDrawingMode(mode::outlined);
    fillBox(5, 5, 20, 10, outlineColour);
    floodFill(10, 10, fillColour, outlineColour);
    expectPixels({{6, 6, fillColour},
                  {23, 13, fillColour},
                  {5, 5, outlineColour},
                  {24, 10, outlineColour},
                  {4, 10, black},
                  {30, 20, black}});
}

TEST_F(Raster, FloodFillDoesNotLeakThroughADiagonalWall) {
    open(20, 20);
    line(0, 19, 19, 0, outlineColour);  // each step diagonal: open to an 8-connected fill only
    floodFill(0, 0, fillColour, outlineColour);
    expectPixels({{0, 0, fillColour}, {9, 9, fillColour}, {19, 19, black}, {11, 10, black}});
}

TEST_F(Raster, FloodFillComparesColoursExactlySoANearlyMatchingPixelIsAGap) {
    open(20, 10);
    setDrawingMode(mode::outlined);
    fillBox(0, 0, 10, 10, outlineColour);
    fillBox(9, 5, 1, 1, rgb(2, 2, 3));
    floodFill(4, 4, fillColour, outlineColour);
    EXPECT_EQ(pixelColour(15, 5), fillColour);
}

TEST_F(Raster, FloodFillFromABorderPixelOrOutsideChangesNothing) {
    open(10, 10);
    line(0, 5, 9, 5, outlineColour);
    floodFill(3, 5, fillColour, outlineColour);
    floodFill(-1, 50, fillColour, outlineColour);
    expectPixels({{3, 4, black}, {3, 5, outlineColour}});
}

TEST_F(Raster, RoundBoxOutlineHasTheOutlineColourOnFirstAndLastColumnsOfMiddleRows) {
    open(80, 40);
    setDrawingMode(mode::outlined);
    roundBox(10, 5, 60, 30, 5, 5, outlineColour);
    for (int y = 5 + 5; y < 5 + 30 - 5; ++y) {
        EXPECT_EQ(pixelColour(10, y), outlineColour) << "row " << y;
        EXPECT_EQ(pixelColour(69, y), outlineColour) << "row " << y;
        EXPECT_EQ(pixelColour(11, y), black) << "row " << y;
        EXPECT_EQ(pixelColour(68, y), black) << "row " << y;
    }
    expectPixels({{40, 5, outlineColour}, {40, 34, outlineColour}});
    EXPECT_EQ(pixelColour(10, 5), black);  // the corner is rounded off
}

TEST_F(Raster, RoundBoxOutlineIsClosedAgainstAFillFromInsideItsCorner) {
    open(60, 40);
    setDrawingMode(mode::outlined);
    roundBox(3, 3, 50, 30, 5, 5, outlineColour);
    floodFill(3 + 2, 3 + 2, fillColour, outlineColour);
    EXPECT_EQ(pixelColour(28, 18), fillColour);
    for (int x = 0; x < 60; ++x) {
        EXPECT_NE(pixelColour(x, 0), fillColour);
        EXPECT_NE(pixelColour(x, 39), fillColour);
    }
    expectPixels({{3, 3, black}, {52, 32, black}});
}

TEST_F(Raster, FilledRoundBoxLeavesItsCornersAndFillsItsMiddle) {
    open(40, 40);
    roundBox(0, 0, 40, 40, 8, 8, fillColour);
    expectPixels({{0, 0, black}, {39, 39, black}, {0, 20, fillColour}, {20, 0, fillColour}});
}

TEST_F(Raster, OutlinedBoxIsAOnePixelFrame) {
    open(20, 20);
    setDrawingMode(mode::outlined);
    fillBox(2, 3, 10, 8, white);
    expectPixels({{2, 3, white}, {11, 10, white}, {3, 4, black}, {12, 10, black}, {11, 11, black}});
}

TEST_F(Raster, LinesIncludeBothEndPointsInEveryDirection) {
    open(50, 50);
    const int ends[][4] = {
        {1, 1, 40, 9}, {40, 45, 3, 20}, {10, 2, 12, 48}, {30, 30, 30, 30}, {5, 40, 45, 40}};
    for (const auto& e : ends) {
        fillBox(0, 0, 50, 50, black);
        line(e[0], e[1], e[2], e[3], white);
        expectPixels({{e[0], e[1], white}, {e[2], e[3], white}});
    }
}

TEST_F(Raster, SteepLineHasExactlyOnePixelPerRow) {
    open(20, 40);
    line(2, 0, 9, 39, white);
    for (int y = 0; y < 40; ++y) {
        int count = 0;
        for (int x = 0; x < 20; ++x) count += pixelColour(x, y) == white;
        EXPECT_EQ(count, 1) << "row " << y;
    }
}

TEST_F(Raster, CirclesAreSymmetricAboutTheirCentre) {
    open(41, 41);
    for (int outlined = 0; outlined < 2; ++outlined) {
        fillBox(0, 0, 41, 41, black);
        setDrawingMode(outlined ? mode::outlined : mode::standard);
        circle(20, 20, 13, white);
        for (int dy = -20; dy <= 20; ++dy) {
            for (int dx = -20; dx <= 20; ++dx) {
                Colour here = pixelColour(20 + dx, 20 + dy);
                ASSERT_EQ(here, pixelColour(20 - dx, 20 + dy));
                ASSERT_EQ(here, pixelColour(20 + dx, 20 - dy));
                ASSERT_EQ(here, pixelColour(20 + dy, 20 + dx));
            }
        }
        expectPixels({{33, 20, white}, {34, 20, black}, {20, 20, outlined ? black : white}});
    }
}

TEST_F(Raster, GradientRunsFromBackColourAtTheStartToFrontColourAtTheEnd) {
    open(10, 101);
    setBackColour(rgb(170, 255, 170));
    setFrontColour(rgb(0, 34, 0));
    setDrawingMode(mode::gradient);
    linearGradient(0, 0, 0, 100);
    fillBox(0, 0, 10, 101);
    expectPixels({{5, 0, rgb(170, 255, 170)}, {5, 100, rgb(0, 34, 0)}, {5, 50, rgb(85, 145, 85)}});
}

TEST_F(Raster, GradientWithoutALineRunsFromTheShapesTopToItsBottom) {
    open(20, 20);
    setBackColour(white);
    setFrontColour(rgb(0, 0, 0));
    setDrawingMode(mode::gradient);
    roundBox(0, 4, 20, 11, 5, 5);
    expectPixels({{10, 4, white}, {10, 14, black}, {10, 3, black}});
}

TEST_F(Raster, AlphaBlendModeMixesOverWhatIsThereAndModesCombine) {
    open(20, 20);
    fillBox(0, 0, 20, 20, white);
    setDrawingMode(mode::alphaBlend);
    fillBox(0, 0, 10, 10, rgba(0, 0, 0, 128));
    expectPixels({{5, 5, rgb(127, 127, 127)}, {15, 15, white}});
    setDrawingMode(mode::alphaBlend | mode::outlined);
    fillBox(10, 10, 10, 10, rgba(255, 0, 0, 255));
    expectPixels({{10, 10, rgb(255, 0, 0)}, {15, 15, white}});
}

TEST_F(Raster, WithoutAlphaBlendModeTheFourthByteIsIgnored) {
    open(4, 4);
    fillBox(0, 0, 4, 4, rgba(10, 20, 30, 150));
    EXPECT_EQ(pixelColour(1, 1), rgb(10, 20, 30));
}

TEST_F(Raster, DrawingIsClippedToTheTargetAndPixelsOutsideReadAsMinusOne) {
    open(10, 10);
    fillBox(-5, -5, 100, 100, white);
    circle(0, 0, 30, white);
    line(-50, 5, 50, 5, fillColour);
    setDrawingMode(mode::outlined);
    roundBox(-20, -20, 60, 60, 10, 10, white);
    expectPixels({{0, 0, white}, {9, 5, fillColour}, {10, 0, 0xFFFFFFFFu}, {0, -1, 0xFFFFFFFFu}});
}

TEST_F(Raster, FarOffCoordinatesNeitherOverflowNorTakeLong) {
    open(10, 10);
    const int far = 2'000'000'000;
    line(-far, -far, far, far, white);
    fillBox(far, far, far, far, fillColour);
    fillBox(-far, 2, far, 3, fillColour);
    roundBox(-far, -far, far, far, far, far, fillColour);
    circle(far, far, far, fillColour);
    setDrawingMode(mode::outlined);
    fillBox(-far, -far, far, far, fillColour);
    expectPixels({{0, 0, white}, {9, 9, white}, {0, 3, black}});
}

TEST_F(Raster, OpeningATargetResetsColoursAndMode) {
    open(10, 10);
    setFrontColour(rgb(255, 0, 0));
    setBackColour(rgb(0, 255, 0));
    setDrawingMode(mode::outlined);
    endDrawing();
    ASSERT_TRUE(beginDrawing(sprite));
    fillBox(0, 0, 10, 10);
    EXPECT_EQ(pixelColour(5, 5), white);
}

TEST_F(Raster, DrawingWithoutAnOpenTargetDoesNothing) {
    open(10, 10);
    endDrawing();
    fillBox(0, 0, 10, 10, white);
    EXPECT_EQ(pixelColour(0, 0), 0xFFFFFFFFu);
    ASSERT_TRUE(beginDrawing(sprite));
    EXPECT_EQ(pixelColour(0, 0), black);
    EXPECT_FALSE(beginDrawing(12345));
}

}  // namespace
