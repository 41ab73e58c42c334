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
    EXPECT_EQ(pixelColour(6, 6), fillColour);
    EXPECT_EQ(pixelColour(23, 13), fillColour);
    EXPECT_EQ(pixelColour(5, 5), outlineColour);
    EXPECT_EQ(pixelColour(24, 10), outlineColour);
    EXPECT_EQ(pixelColour(4, 10), black);
    EXPECT_EQ(pixelColour(30, 20), black);
}

TEST_F(Raster, FloodFillDoesNotLeakThroughADiagonalWall) {
    open(20, 20);
    line(0, 19, 19, 0, outlineColour);  // each step diagonal: open to an 8-connected fill only
    floodFill(0, 0, fillColour, outlineColour);
    EXPECT_EQ(pixelColour(0, 0), fillColour);
    EXPECT_EQ(pixelColour(9, 9), fillColour);
    EXPECT_EQ(pixelColour(19, 19), black);
    EXPECT_EQ(pixelColour(11, 10), black);
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
    EXPECT_EQ(pixelColour(3, 4), black);
    EXPECT_EQ(pixelColour(3, 5), outlineColour);
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
    EXPECT_EQ(pixelColour(40, 5), outlineColour);
    EXPECT_EQ(pixelColour(40, 34), outlineColour);
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
    EXPECT_EQ(pixelColour(3, 3), black);
    EXPECT_EQ(pixelColour(52, 32), black);
}

TEST_F(Raster, FilledRoundBoxLeavesItsCornersAndFillsItsMiddle) {
    open(40, 40);
    roundBox(0, 0, 40, 40, 8, 8, fillColour);
    EXPECT_EQ(pixelColour(0, 0), black);
    EXPECT_EQ(pixelColour(39, 39), black);
    EXPECT_EQ(pixelColour(0, 20), fillColour);
    EXPECT_EQ(pixelColour(20, 0), fillColour);
}

TEST_F(Raster, OutlinedBoxIsAOnePixelFrame) {
    open(20, 20);
    setDrawingMode(mode::outlined);
    fillBox(2, 3, 10, 8, white);
    EXPECT_EQ(pixelColour(2, 3), white);
    EXPECT_EQ(pixelColour(11, 10), white);
    EXPECT_EQ(pixelColour(3, 4), black);
    EXPECT_EQ(pixelColour(12, 10), black);
    EXPECT_EQ(pixelColour(11, 11), black);
}

TEST_F(Raster, LinesIncludeBothEndPointsInEveryDirection) {
    open(50, 50);
    const int ends[][4] = {
        {1, 1, 40, 9}, {40, 45, 3, 20}, {10, 2, 12, 48}, {30, 30, 30, 30}, {5, 40, 45, 40}};
    for (const auto& e : ends) {
        fillBox(0, 0, 50, 50, black);
        line(e[0], e[1], e[2], e[3], white);
        EXPECT_EQ(pixelColour(e[0], e[1]), white);
        EXPECT_EQ(pixelColour(e[2], e[3]), white);
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
        EXPECT_EQ(pixelColour(33, 20), white);
        EXPECT_EQ(pixelColour(34, 20), black);
        EXPECT_EQ(pixelColour(20, 20), outlined ? black : white);
    }
}

TEST_F(Raster, GradientRunsFromBackColourAtTheStartToFrontColourAtTheEnd) {
    open(10, 101);
    setBackColour(rgb(170, 255, 170));
    setFrontColour(rgb(0, 34, 0));
    setDrawingMode(mode::gradient);
    linearGradient(0, 0, 0, 100);
    fillBox(0, 0, 10, 101);
    EXPECT_EQ(pixelColour(5, 0), rgb(170, 255, 170));
    EXPECT_EQ(pixelColour(5, 100), rgb(0, 34, 0));
    EXPECT_EQ(pixelColour(5, 50), rgb(85, 145, 85));
}

TEST_F(Raster, GradientWithoutALineRunsFromTheShapesTopToItsBottom) {
    open(20, 20);
    setBackColour(white);
    setFrontColour(rgb(0, 0, 0));
    setDrawingMode(mode::gradient);
    roundBox(0, 4, 20, 11, 5, 5);
    EXPECT_EQ(pixelColour(10, 4), white);
    EXPECT_EQ(pixelColour(10, 14), black);
    EXPECT_EQ(pixelColour(10, 3), black);
}

TEST_F(Raster, AlphaBlendModeMixesOverWhatIsThereAndModesCombine) {
    open(20, 20);
    fillBox(0, 0, 20, 20, white);
    setDrawingMode(mode::alphaBlend);
    fillBox(0, 0, 10, 10, rgba(0, 0, 0, 128));
    EXPECT_EQ(pixelColour(5, 5), rgb(127, 127, 127));
    EXPECT_EQ(pixelColour(15, 15), white);
    setDrawingMode(mode::alphaBlend | mode::outlined);
    fillBox(10, 10, 10, 10, rgba(255, 0, 0, 255));
    EXPECT_EQ(pixelColour(10, 10), rgb(255, 0, 0));
    EXPECT_EQ(pixelColour(15, 15), white);
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
    EXPECT_EQ(pixelColour(0, 0), white);
    EXPECT_EQ(pixelColour(9, 5), fillColour);
    EXPECT_EQ(pixelColour(10, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pixelColour(0, -1), 0xFFFFFFFFu);
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
    EXPECT_EQ(pixelColour(0, 0), white);
    EXPECT_EQ(pixelColour(9, 9), white);
    EXPECT_EQ(pixelColour(0, 3), black);
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
