// The thumbnail sheet file's trailer: written, read back, and refused when it is not sound.
#include <gtest/gtest.h>

#include <string>

#include "view/sheet.h"

namespace {

// Stands in for the PNG bytes: holds 0 bytes of its own, like a real PNG.
std::string pngLike() { return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + "\0\0\0\0IEND"; }

std::string withTrailer(const std::string& trailer) { return pngLike() + '\0' + trailer; }

TEST(SheetTrailer, WrittenTrailerReadsBack) {
    EXPECT_EQ(formatSheetTrailer(180, 255, 3, 5), "180|255|3|5");
    SheetTrailer trailer = parseSheetTrailer(withTrailer(formatSheetTrailer(180, 255, 3, 5)), 765, 1080);
    EXPECT_TRUE(trailer.valid);
    EXPECT_EQ(trailer.cellWidth, 180);
    EXPECT_EQ(trailer.cellHeight, 255);
    EXPECT_EQ(trailer.columns, 3);
    EXPECT_EQ(trailer.rows, 5);
}

TEST(SheetTrailer, CellAsLargeAsTheSheetIsAccepted) {
    // Two pages on a 1080 x 1920 display: cells of 540 x 764 in a 764 x 1080 sheet.
    EXPECT_TRUE(parseSheetTrailer(withTrailer("540|764|1|3"), 764, 1080).valid);
    EXPECT_TRUE(parseSheetTrailer(withTrailer("764|1080|1|1"), 764, 1080).valid);
}

TEST(SheetTrailer, GarbledOrMissingTrailerGivesNoGrid) {
    const char* bad[] = {"",          "180|255|3",    "180|255|3|5|7", "180|255|3|x",
                         "180||3|5",  " 180|255|3|5", "180|255|3|5\n", "+180|255|3|5",
                         "-180|255|3|5", "0|255|3|5",  "180|255|0|5",   "180|255|3|0",
                         "IEND\xae\x42\x60\x82", "99999999999|1|1|1"};
    for (const char* text : bad) {
        SheetTrailer trailer = parseSheetTrailer(withTrailer(text), 765, 1080);
        EXPECT_FALSE(trailer.valid) << text;
        EXPECT_EQ(trailer.columns * trailer.rows, 0) << text;
    }
}

TEST(SheetTrailer, PlainPngWithoutTrailerIsRefused) {
    // The last 0 byte of a plain PNG lies in the IEND chunk's length.
    EXPECT_FALSE(parseSheetTrailer(pngLike() + "\xae\x42\x60\x82", 765, 1080).valid);
    EXPECT_FALSE(parseSheetTrailer("", 765, 1080).valid);
    EXPECT_FALSE(parseSheetTrailer("180|255|3|5", 765, 1080).valid);  // no 0 byte at all
}

TEST(SheetTrailer, AbsurdValuesAreRefused) {
    EXPECT_FALSE(parseSheetTrailer(withTrailer("766|255|3|5"), 765, 1080).valid);
    EXPECT_FALSE(parseSheetTrailer(withTrailer("180|1081|3|5"), 765, 1080).valid);
    EXPECT_FALSE(parseSheetTrailer(withTrailer("1|1|100000|100000"), 765, 1080).valid);
    EXPECT_FALSE(parseSheetTrailer(withTrailer("180|255|3|5"), 0, 0).valid);
}

TEST(SheetTrailer, OnlyTheTextAfterTheLastZeroByteCounts) {
    std::string bytes = withTrailer("1|2|3|4") + '\0' + "180|255|3|5";
    SheetTrailer trailer = parseSheetTrailer(bytes, 765, 1080);
    EXPECT_TRUE(trailer.valid);
    EXPECT_EQ(trailer.cellWidth, 180);
}

}  // namespace
