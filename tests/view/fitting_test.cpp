// The fit, the easing, whole-pixel rounding and the thumbnail grid choice.
#include <gtest/gtest.h>

#include <cmath>

#include "view/fitting.h"

namespace {

struct FitExample {
    int limit, width, height;
    float fitWidth, fitHeight;
};

TEST(FitInto, MatchesTheSinglePrecisionTable) {
    const FitExample examples[] = {
        {1920, 1240, 1754, 1357.3546f, 1920.0f}, {1080, 1240, 1754, 763.51196f, 1080.0f},
        {1080, 1754, 1240, 1080.0f, 763.51196f}, {902, 1754, 1240, 902.0f, 637.67389f},
        {1080, 500, 600, 899.99994f, 1080.0f},   {1080, 600, 500, 1080.0f, 899.99994f},
        {1080, 1000, 2000, 540.0f, 1080.0f},
    };
    for (const FitExample& e : examples) {
        FitSize fit = fitInto(e.limit, e.width, e.height);
        EXPECT_EQ(fit.width, e.fitWidth) << e.limit << " " << e.width << " " << e.height;
        EXPECT_EQ(fit.height, e.fitHeight) << e.limit << " " << e.width << " " << e.height;
    }
}

TEST(FitInto, SquarePictureRoundsToTheLimitOnBothSides) {
    for (int side : {1, 7, 333, 1754, 4000}) {
        for (int limit : {1, 255, 1080, 1920}) {
            FitSize fit = fitInto(limit, side, side);
            EXPECT_EQ(nearest(fit.width), limit);
            EXPECT_EQ(nearest(fit.height), limit);
        }
    }
}

TEST(FitInto, SmallPictureIsEnlargedAndLargerSideEqualsLimit) {
    FitSize fit = fitInto(1080, 50, 60);
    EXPECT_EQ(fit.height, 1080.0f);
    EXPECT_NEAR(fit.width, 900.0f, 0.001f);
    fit = fitInto(255, 764, 1080);
    EXPECT_EQ(fit.height, 255.0f);
    EXPECT_EQ(nearest(fit.width), 180);
}

TEST(FitInto, EmptyPictureGivesAnEmptySizeInsteadOfNotANumber) {
    for (FitSize fit : {fitInto(1080, 0, 100), fitInto(1080, 100, 0), fitInto(1080, 0, 0),
                        fitInto(0, 100, 100), fitInto(1080, -5, 100)}) {
        EXPECT_EQ(fit.width, 0.0f);
        EXPECT_EQ(fit.height, 0.0f);
    }
}

TEST(EaseOutExpo, EndsExactlyAndStartsAtTheBeginning) {
    EXPECT_EQ(easeOutExpo(450.0f, 158.0f, 382.0f, 450.0f), 540.0f);
    EXPECT_EQ(easeOutExpo(0.0f, 158.0f, 382.0f, 450.0f), 158.0f);
    EXPECT_EQ(easeOutExpo(0.0f, 10.0f, -300.0f, 450.0f), 10.0f);
}

TEST(EaseOutExpo, CoversMostOfTheWayEarly) {
    EXPECT_NEAR(easeOutExpo(100.0f, 0.0f, 1000.0f, 450.0f), 785.69f, 0.01f);
    EXPECT_NEAR(easeOutExpo(255.0f, 0.0f, 1000.0f, 450.0f), 980.31f, 0.01f);
    // No clamping past the duration: it keeps approaching the end from below.
    float late = easeOutExpo(900.0f, 0.0f, 1000.0f, 450.0f);
    EXPECT_LT(late, 1000.0f);
    EXPECT_GT(late, 999.99f);
}

TEST(Nearest, RoundsHalvesToEven) {
    EXPECT_EQ(nearest(0.5), 0);
    EXPECT_EQ(nearest(1.5), 2);
    EXPECT_EQ(nearest(2.5), 2);
    EXPECT_EQ(nearest(-0.5), 0);
    EXPECT_EQ(nearest(-1.5), -2);
    EXPECT_EQ(nearest(763.51196), 764);
    EXPECT_EQ(nearest(12.5), 12);
    EXPECT_EQ(nearest(17.5), 18);
}

TEST(Nearest, OutOfRangeAndNotANumberStayDefined) {
    EXPECT_EQ(nearest(std::nan("")), 0);
    EXPECT_EQ(nearest(1e300), INT_MAX);
    EXPECT_EQ(nearest(-1e300), INT_MIN);
}

TEST(ChooseThumbnailGrid, TenPortraitPagesGiveThreeByFive) {
    ThumbnailGrid grid = chooseThumbnailGrid(10, 764.0f, 1080.0f);
    EXPECT_EQ(grid.columns, 3);
    EXPECT_EQ(grid.rows, 5);
    EXPECT_EQ(grid.cellWidth, 255);
    EXPECT_EQ(grid.cellHeight, 216);
}

TEST(ChooseThumbnailGrid, TwoPortraitPagesGiveOneByThree) {
    ThumbnailGrid grid = chooseThumbnailGrid(2, 764.0f, 1080.0f);
    EXPECT_EQ(grid.columns, 1);
    EXPECT_EQ(grid.rows, 3);
    EXPECT_EQ(grid.cellWidth, 764);
    EXPECT_EQ(grid.cellHeight, 360);
}

TEST(ChooseThumbnailGrid, EveryPageHasACell) {
    for (int pages = 1; pages <= 400; ++pages) {
        for (auto [a, b] : {std::pair{764.0f, 1080.0f}, {1080.0f, 764.0f}, {902.0f, 638.0f},
                            {1080.0f, 1080.0f}, {300.0f, 1920.0f}}) {
            ThumbnailGrid grid = chooseThumbnailGrid(pages, a, b);
            ASSERT_GE(grid.columns, 1);
            ASSERT_GE(grid.rows, 1);
            EXPECT_GE(grid.columns * grid.rows, pages) << pages << " " << a << "x" << b;
            EXPECT_GE(grid.cellWidth * grid.columns, a);
            EXPECT_GE(grid.cellHeight * grid.rows, b);
        }
    }
}

TEST(ChooseThumbnailGrid, NoPagesOrEmptyFitStillGivesAtLeastOneCell) {
    for (ThumbnailGrid grid : {chooseThumbnailGrid(0, 764.0f, 1080.0f),
                               chooseThumbnailGrid(-3, 764.0f, 1080.0f),
                               chooseThumbnailGrid(10, 0.0f, 0.0f),
                               chooseThumbnailGrid(10, 0.0f, 1080.0f)}) {
        EXPECT_GE(grid.columns, 1);
        EXPECT_GE(grid.rows, 1);
        EXPECT_GE(grid.cellWidth, 1);
        EXPECT_GE(grid.cellHeight, 1);
    }
}

TEST(ChooseThumbnailGrid, VeryFlatPagesDoNotHang) {
    ThumbnailGrid grid = chooseThumbnailGrid(5000, 1.0f, 1000000.0f);
    EXPECT_GE(static_cast<long long>(grid.columns) * grid.rows, 5000);
}

}  // namespace
