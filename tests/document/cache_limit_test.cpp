// The cache kept under its limit: the folders of the documents opened longest ago go first and whole;
// the open document's, one being written and one shown by another viewer stay; nothing but the
// viewer's own folders is touched; and the limit comes from Pagewell.ini.
#include "document/cache_limit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/system/system.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t megabyte = 1024 * 1024;

// A cache folder holding a file of that many megabytes, last used that many hours ago.
std::string cacheFolder(const std::string& root, const std::string& name, int megabytes, int hoursAgo) {
    const std::string folder = root + name + "/";
    fs::create_directories(folder);
    std::ofstream(folder + "page-000001.jpg") << std::string(megabytes * megabyte, 'j');
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo);
    fs::last_write_time(folder + "page-000001.jpg", then);
    fs::last_write_time(folder, then);
    return folder;
}

}  // namespace

TEST(CacheLimit, FoldersUsedLongestAgoGoFirstUntilTheComingPagesFit) {
    const std::vector<CacheFolder> folders = {
        {"/c/recent/", 300, 50, false}, {"/c/oldest/", 200, 10, false}, {"/c/open/", 100, 1, true},
        {"/c/older/", 200, 20, false},  {"/c/busy/", 100, 5, true},
    };
    EXPECT_EQ(foldersToRemove(folders, 1000, 100), std::vector<std::string>{});
    EXPECT_EQ(foldersToRemove(folders, 1000, 101), std::vector<std::string>{"/c/oldest/"});
    EXPECT_EQ(foldersToRemove(folders, 600, 100), (std::vector<std::string>{"/c/oldest/", "/c/older/"}));
    // Past what any removal can give, every folder not in use goes, and those in use stay.
    EXPECT_EQ(foldersToRemove(folders, 10, 5000),
              (std::vector<std::string>{"/c/oldest/", "/c/older/", "/c/recent/"}));
}

TEST(CacheLimit, TheLimitIsTheSettingOrTwoGigabytesOrATenthOfTheFreeSpace) {
    EXPECT_EQ(defaultCacheLimit(100000 * megabyte), 2048 * megabyte);
    EXPECT_EQ(defaultCacheLimit(10000 * megabyte), 1000 * megabyte);
    EXPECT_EQ(defaultCacheLimit(100 * megabyte), 64 * megabyte);  // a nearly full disk still caches a little
    EXPECT_EQ(defaultCacheLimit(-1), 2048 * megabyte);            // unknown
    EXPECT_EQ(cacheLimitFromSetting("500", 7), 500 * megabyte);
    for (const char* unusable : {"", "0", "-5", "1e3", "12 MB", "99999999999"})
        EXPECT_EQ(cacheLimitFromSetting(unusable, 7), 7) << unusable;

    HarnessOptions options;
    std::string& text = options.configurationText;
    ASSERT_TRUE(media::readWholeFile(std::string(PAGEWELL_SOURCE_DIR) + "/Pagewell.ini", text));
    text.insert(text.find("[GLOBAL]\n") + 9, "CacheLimitMB=300\n");
    EXPECT_EQ(Harness(options).v().document.cacheLimitBytes, 300 * megabyte);
    Harness shipped;
    EXPECT_EQ(shipped.v().document.cacheLimitBytes,
              defaultCacheLimit(media::freeBytes(shipped.v().layout.cacheRoot)));
}

// Real folders: the oldest go whole until 3 MB of coming pages fit under 14 MB; the open document's
// folder, one another viewer holds and one written a moment ago stay however old; a folder not named
// as the viewer names its folders is never touched; a kept-page file says when a folder was last
// opened, whatever the folder's own time.
TEST(CacheLimit, AnOpeningRemovesWholeFoldersOfTheDocumentsOpenedLongestAgo) {
    const std::string root = makeTemporaryFolder("cache-limit");
    Viewer v;
    v.layout.cacheRoot = root;
    const std::string oldest = cacheFolder(root, "100_oldest.pdf", 5, 50);
    const std::string open = cacheFolder(root, "101_open.pdf", 2, 60);
    const std::string shownElsewhere = cacheFolder(root, "102_shown.pdf", 2, 70);
    const std::string written = cacheFolder(root, "103_written.pdf", 2, 80);
    const std::string older = cacheFolder(root, "104_older.pdf", 2, 40);
    const std::string recent = cacheFolder(root, "105_recent.pdf", 2, 1);
    const std::string compose = cacheFolder(root, "compose", 4, 90);
    const std::string readLately = cacheFolder(root, "106_read_lately.pdf", 2, 100);
    std::ofstream(readLately + "LastRead.txt") << "7\n";
    fs::last_write_time(readLately + "LastRead.txt",
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(readLately, fs::file_time_type::clock::now() - std::chrono::hours(100));
    std::ofstream(written + ".TextualData.txt.part") << "still coming";
    const int otherViewer = media::holdFolder(shownElsewhere);
    ASSERT_GE(otherViewer, 0);
    v.document.documentCacheFolder = open;
    holdOpenCacheFolder(v);
    v.document.cacheLimitBytes = 14 * megabyte;
    v.document.pageCount = 3 * megabyte / cacheBytesPerPage;

    keepCacheWithinLimit(v);
    for (const std::string& gone : {oldest, older}) EXPECT_FALSE(fs::exists(gone)) << gone;
    for (const std::string& kept : {open, shownElsewhere, written, recent, compose, readLately})
        EXPECT_TRUE(media::filePresent(kept + "page-000001.jpg")) << kept;
    media::releaseFolder(otherViewer);
    media::releaseFolder(v.document.cacheFolderHold);
}
