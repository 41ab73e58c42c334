// The fit, the easing, whole-pixel rounding, the thumbnail grid choice and the sheet trailer.
#include "context/fitting.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "context/rounding.h"
#include "view/sheet.h"

namespace {

std::tuple<int, int, int, int> fields(const ThumbnailGrid& g) {
    return {g.columns, g.rows, g.cellWidth, g.cellHeight};
}

TEST(FitInto, MatchesTheSinglePrecisionTableAndEnlargesSmallPictures) {
    struct Example {
        int limit, width, height;
        float fitWidth, fitHeight;
    };
    const Example examples[] = {
        {1920, 1240, 1754, 1357.3546f, 1920.0f}, {1080, 1240, 1754, 763.51196f, 1080.0f},
        {1080, 1754, 1240, 1080.0f, 763.51196f}, {902, 1754, 1240, 902.0f, 637.67389f},
        {1080, 500, 600, 899.99994f, 1080.0f},   {1080, 600, 500, 1080.0f, 899.99994f},
        {1080, 1000, 2000, 540.0f, 1080.0f},
    };
    for (const Example& e : examples) {
        FitSize fit = fitInto(e.limit, e.width, e.height);
        EXPECT_EQ(std::pair(fit.width, fit.height), std::pair(e.fitWidth, e.fitHeight))
            << e.limit << " " << e.width << " " << e.height;
    }
    for (int side : {1, 333, 1754, 4000})
        for (int limit : {1, 255, 1920}) {
            FitSize fit = fitInto(limit, side, side);
            EXPECT_EQ(std::pair(nearest(fit.width), nearest(fit.height)), std::pair(limit, limit)) << side;
        }
}

TEST(FitInto, EmptyPictureGivesAnEmptySizeInsteadOfNotANumber) {
    for (FitSize fit : {fitInto(1080, 0, 100), fitInto(1080, 100, 0), fitInto(0, 100, 100)})
        EXPECT_EQ(std::pair(fit.width, fit.height), std::pair(0.0f, 0.0f));
}

TEST(EaseOutExpo, StartsAtTheBeginningEndsExactlyAndCoversMostOfTheWayEarly) {
    EXPECT_EQ(easeOutExpo(0.0f, 158.0f, 382.0f, 450.0f), 158.0f);
    EXPECT_EQ(easeOutExpo(450.0f, 158.0f, 382.0f, 450.0f), 540.0f);
    EXPECT_NEAR(easeOutExpo(100.0f, 0.0f, 1000.0f, 450.0f), 785.69f, 0.01f);
    EXPECT_NEAR(easeOutExpo(255.0f, 0.0f, 1000.0f, 450.0f), 980.31f, 0.01f);
    float late = easeOutExpo(900.0f, 0.0f, 1000.0f, 450.0f);  // no clamping past the duration
    EXPECT_LT(late, 1000.0f);
    EXPECT_GT(late, 999.99f);
}

TEST(Nearest, RoundsHalvesToEvenAndStaysDefinedOutOfRange) {
    const std::pair<double, int> cases[] = {
        {0.5, 0},   {2.5, 2},   {12.5, 12},        {17.5, 18},       {100.5, 100},      {-0.5, 0},
        {54.0, 54}, {-1.5, -2}, {std::nan(""), 0}, {1e300, INT_MAX}, {-1e300, INT_MIN},
    };
    for (auto [value, rounded] : cases) EXPECT_EQ(nearest(value), rounded) << value;
}

TEST(ChooseThumbnailGrid, WorkedExamplesOfTwoAndTenPages) {
    EXPECT_EQ(fields(chooseThumbnailGrid(10, 764.0f, 1080.0f)), std::tuple(3, 5, 255, 216));
    EXPECT_EQ(fields(chooseThumbnailGrid(2, 764.0f, 1080.0f)), std::tuple(1, 3, 764, 360));
}

TEST(ChooseThumbnailGrid, EveryPageGetsACellWhateverTheInput) {
    for (int pages = -1; pages <= 400; ++pages) {
        for (auto [a, b] :
             {std::pair{764.0f, 1080.0f}, {1080.0f, 764.0f}, {1080.0f, 1080.0f}, {0.0f, 0.0f}}) {
            ThumbnailGrid grid = chooseThumbnailGrid(pages, a, b);
            ASSERT_GE(grid.cellWidth, 1);
            ASSERT_GE(grid.cellHeight, 1);
            EXPECT_GE(grid.columns * grid.rows, std::max(pages, 1)) << pages << " " << a << "x" << b;
        }
    }
    ThumbnailGrid flat = chooseThumbnailGrid(5000, 1.0f, 1000000.0f);  // must not walk for ever
    EXPECT_GE(static_cast<long long>(flat.columns) * flat.rows, 5000);
}

std::string withTrailer(const std::string& trailer) {
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\0IEND", 16) + '\0' + trailer;
}

TEST(SheetTrailer, WrittenTrailerReadsBackAndOnlyTheTextAfterTheLastZeroCounts) {
    EXPECT_EQ(formatSheetTrailer(180, 255, 3, 5), "180|255|3|5");
    SheetTrailer trailer = parseSheetTrailer(withTrailer("1|2|3|4") + '\0' + "180|255|3|5", 765, 1080);
    EXPECT_TRUE(trailer.valid);
    EXPECT_EQ(std::tuple(trailer.cellWidth, trailer.cellHeight, trailer.columns, trailer.rows),
              std::tuple(180, 255, 3, 5));
    EXPECT_TRUE(parseSheetTrailer(withTrailer("540|764|1|3"), 764, 1080).valid);  // cells past the sheet
}

TEST(SheetTrailer, MissingGarbledOrAbsurdTrailerGivesNoGrid) {
    for (const char* text :
         {"", "180|255|3", "180|255|3|5|7", "180|x|3|5", "180||3|5", " 180|255|3|5", "180|255|3|5\n",
          "-180|255|3|5", "0|255|3|5", "180|255|3|0", "IEND\xae\x42\x60\x82", "99999999999|1|1|1",
          "766|255|3|5", "180|1081|3|5", "1|1|100000|100000"}) {
        SheetTrailer trailer = parseSheetTrailer(withTrailer(text), 765, 1080);
        EXPECT_FALSE(trailer.valid) << text;
        EXPECT_EQ(trailer.columns * trailer.rows, 0) << text;
    }
    EXPECT_FALSE(parseSheetTrailer("180|255|3|5", 765, 1080).valid);  // no 0 byte at all
}

}  // namespace
