// The cache folder's name, the page image files and the readings of Information.ini.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <fstream>

#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/information.h"
#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// The UTC instant whose local time is the given wall-clock time.
std::time_t localInstant(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void setModificationTime(const std::string& path, std::time_t when) {
    utimbuf times{when, when};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

struct CacheFixture : ::testing::Test {
    Viewer v;
    std::string folder = v.document.documentCacheFolder = makeTemporaryFolder("pagefiles");
};

}  // namespace

TEST(CacheFolderName, TimeThenFileNameWithSpacesReplaced) {
    EXPECT_EQ(cacheFolderName("/home/u/My Manual.pdf", 1452427200), "1452427200_My_Manual.pdf");
    EXPECT_EQ(cacheFolderName("/home/u/My_Manual.pdf", 1452427200), "1452427200_My_Manual.pdf");
    EXPECT_EQ(cacheFolderName("C:\\docs\\a  b.PDF", -1), "-1_a__b.PDF");
    EXPECT_EQ(cacheFolderName("/x/y/it's $(a).pdf", 0), "0_it's_$(a).pdf");
    EXPECT_EQ(cacheFolderName("plain.pdf", 5), "5_plain.pdf");
}

TEST(CacheFolderName, ModificationTimeIsLocalTimeCountedAsUtcWithinTheRange) {
    const std::string folder = makeTemporaryFolder("cachename");
    const std::string path = folder + "My Manual.pdf";
    writeFile(path, "%PDF-1.4\n");
    setModificationTime(path, localInstant(2016, 1, 10, 12, 0, 0));
    EXPECT_EQ(cacheFolderName(path, media::fileModificationTime(path)), "1452427200_My_Manual.pdf");
    setModificationTime(path, localInstant(2038, 1, 19, 3, 14, 7));
    EXPECT_EQ(media::fileModificationTime(path), 2147483647);
    setModificationTime(path, localInstant(2040, 6, 1, 12, 0, 0));
    EXPECT_EQ(media::fileModificationTime(path), -1);
    setModificationTime(path, localInstant(1969, 6, 1, 12, 0, 0));
    EXPECT_EQ(media::fileModificationTime(path), -1);
    EXPECT_EQ(media::fileModificationTime(folder + "missing.pdf"), 0);
}

TEST_F(CacheFixture, PageImageFileJpegWinsAndEmptyFilesDoNotCount) {
    EXPECT_EQ(pageImageBase(v, 123), folder + "page-000123");
    EXPECT_EQ(pageImageFile(v, 1), "");
    writeFile(folder + "page-000001.png", "");
    EXPECT_EQ(pageImageFile(v, 1), "");
    writeFile(folder + "page-000001.png", "png");
    EXPECT_EQ(pageImageFile(v, 1), folder + "page-000001.png");
    EXPECT_EQ(v.conversion.pageImageExtension, ".png");
    writeFile(folder + "page-000001.jpg", "");
    EXPECT_EQ(pageImageFile(v, 1), folder + "page-000001.png");
    writeFile(folder + "page-000001.jpg", "jpg");
    EXPECT_EQ(pageImageFile(v, 1), folder + "page-000001.jpg");
    EXPECT_EQ(v.conversion.pageImageBase, folder + "page-000001");
}

TEST_F(CacheFixture, CachedReadingTrimsLinesSoAnIndentedPagesLineCounts) {
    writeFile(folder + "Information.ini", "Title:  Caf\xe9  \n   Pages:   4  \nPage size: 612 x 792 pts\n");
    readCachedInformation(v);
    EXPECT_EQ(v.document.pageCount, 4);
    EXPECT_EQ(v.document.pageCountShown, 4);
    ASSERT_EQ(v.document.infoLines.size(), 3u);
    EXPECT_EQ(v.document.infoLines[0], "Title:  Caf\xc3\xa9");  // shown as UTF-8
    EXPECT_EQ(v.document.infoLines[1], "Pages:   4");
}

TEST_F(CacheFixture, PageDataReadingIgnoresAnIndentedPagesLineAndTakesTheLast) {
    writeFile(folder + "Information.ini",
              " Pages: 9\r\nPages: 2\r\nPage size: 612 x 792 pts\r\nPages: 3\r\n"
              "Page size:      595.276 x 841.89 pts (A4)\r\n");
    v.document.pageCount = 0;
    readPageData(v);
    EXPECT_EQ(v.document.pageCount, 3);
    EXPECT_EQ(v.document.pageCountShown, 3);
    EXPECT_EQ(v.document.pageWidthText, "595.276");
    EXPECT_EQ(v.document.pageHeightText, "841.89");
    EXPECT_EQ(v.document.renderDpi, 120.0f);
}
