// The pure start-up rules: portrait display size, font sizes, pointer side, folders, title.
#include "app/startup_rules.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

std::pair<int, int> sides(DisplaySize size) {
    return {size.width, size.height};
}

std::tuple<int, int, int, int> sizes(FontSizes f) {
    return {f.base, f.medium, f.large, f.title};
}

}  // namespace

TEST(PortraitDisplaySize, PortraitAndSquareDesktopsAreUsedWhole) {
    EXPECT_EQ(sides(portraitDisplaySize(1080, 1920)), std::pair(1080, 1920));
    EXPECT_EQ(sides(portraitDisplaySize(1200, 1200)), std::pair(1200, 1200));
}

TEST(PortraitDisplaySize, LandscapeDesktopsGetAPortraitWindowAsHighAsTheDesktop) {
    EXPECT_EQ(sides(portraitDisplaySize(1920, 1080)), std::pair(902, 1080));
    EXPECT_EQ(sides(portraitDisplaySize(1366, 768)), std::pair(590, 768));
    DisplaySize wide = portraitDisplaySize(3840, 1080);  // very wide: still narrower than high
    EXPECT_LT(wide.width, wide.height);
}

TEST(FontSizes, HalvesRoundToEven) {
    // u = 10: 12.5 -> 12, 17.5 -> 18, 22.5 -> 22
    EXPECT_EQ(sizes(fontSizesFor(1080)), std::tuple(10, 12, 18, 22));
    EXPECT_EQ(sizes(fontSizesFor(902)), std::tuple(9, 11, 15, 19));  // the width divides as a real number
}

TEST(FontSizes, NarrowDisplaysKeepTheTwoSmallFontsAtSixOrMore) {
    FontSizes narrow = fontSizesFor(480);
    EXPECT_EQ(narrow.base, 6);
    EXPECT_GE(narrow.medium, 6);
    FontSizes tiny = fontSizesFor(100);
    EXPECT_EQ(std::pair(tiny.base, tiny.medium), std::pair(6, 6));
    EXPECT_LT(tiny.large, 6);  // the bold fonts have no lower bound
}

TEST(PointerSide, SinglePrecisionProductRoundedUp) {
    EXPECT_EQ(pointerSide(10), 16);  // not 17
    EXPECT_EQ(pointerSide(9), 15);
    EXPECT_EQ(pointerSide(6), 10);
}

TEST(CacheParentFolder, TemporaryFoldersFallBackToTheCurrentFolder) {
    EXPECT_EQ(cacheParentFolder("/opt/pagewell/", "/tmp/", "/home/ann/"), "/opt/pagewell/");
    EXPECT_EQ(cacheParentFolder("/home/ann/Temp/pagewell/", "/tmp/", "/home/ann/"), "/home/ann/");
    EXPECT_EQ(cacheParentFolder("/home/ann/TEMP/", "/tmp/", "/work"), "/work/");
    EXPECT_EQ(cacheParentFolder("/tmp/unpacked/", "/tmp/", "/home/ann/"), "/home/ann/");
    EXPECT_EQ(cacheParentFolder("/var/scratch/x/", "/var/scratch", "/home/ann/"), "/home/ann/");
    // Only a folder named temp counts, not a name that starts with it.
    EXPECT_EQ(cacheParentFolder("/home/ann/temperature/", "/tmp/", "/x/"), "/home/ann/temperature/");
    EXPECT_EQ(cacheParentFolder("/tmpfiles/pagewell/", "/tmp/", "/x/"), "/tmpfiles/pagewell/");
}

TEST(UserCacheRoot, XdgFirstThenHomeAndNeverARelativePath) {
    EXPECT_EQ(userCacheRoot("/home/ann/.xdg-cache", "/home/ann"), "/home/ann/.xdg-cache/pagewell/");
    EXPECT_EQ(userCacheRoot(nullptr, "/home/ann"), "/home/ann/.cache/pagewell/");
    EXPECT_EQ(userCacheRoot("relative/cache", "/home/ann/"), "/home/ann/.cache/pagewell/");
    EXPECT_EQ(userCacheRoot(nullptr, nullptr), "");
    EXPECT_EQ(userCacheRoot("", ""), "");
}

TEST(WindowTitle, IdentityTextsJoinedByBlanks) {
    EXPECT_EQ(windowTitleFrom("Pagewell", "v1.0 - 10 January 2016", "by Tarnwick"),
              "Pagewell v1.0 - 10 January 2016 by Tarnwick");
}
