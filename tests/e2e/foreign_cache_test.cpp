// Cache files the viewer did not write (damaged, huge, absurd) in a folder it then opens as cached:
// it keeps running, its work stays bounded, and a damaged piece is rebuilt or reported.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <tuple>

#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/e2e/e2e_fixture.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace {

namespace fs = std::filesystem;

constexpr int templatePages = 3;

// One converted three-page document whose cache folder each case copies and damages.
struct CacheTemplate {
    std::string documentPath, folder;  // the document and a complete cache folder of it
};

const CacheTemplate& cacheTemplate() {
    static const CacheTemplate made = [] {
        CacheTemplate t;
        const std::string documents = makeTemporaryFolder("fault-cache-template");
        t.documentPath = documents + "cached document.pdf";
        makeNumberedPdf(t.documentPath, templatePages);
        Harness harness(realClockOptions());
        harness.open(t.documentPath);
        harness.runUntil([&] { return conversionFinished(harness.v(), templatePages); }, 10000000, 5, 60.0);
        harness.runUntil([&] { return harness.v().sheet.sheetReady; }, 100000, 5, 10.0);
        harness.runUntil([&] { return !harness.v().text.pageTexts.empty(); }, 100000, 5, 20.0);
        t.folder = documents + "template/";
        fs::copy(harness.v().document.documentCacheFolder, t.folder);
        return t;
    }();
    return made;
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xff);
    return bytes;
}

long peakKilobytes() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct ForeignCacheTest : E2eTest {
    std::string path, folder;  // the document and the cache folder its opening will find

    static void SetUpTestSuite() { cacheTemplate(); }
    void SetUp() override {
        const CacheTemplate& t = cacheTemplate();
        ASSERT_FALSE(t.folder.empty());
        path = t.documentPath;
        folder = v().layout.cacheRoot + cacheFolderName(path, media::fileModificationTime(path)) + "/";
        fs::copy(t.folder, folder);
        ASSERT_TRUE(media::filePresent(folder + "page-000003.jpg"));
    }
    // Opens the document, whatever the cache holds, within the fixture's limit (a hang fails); the time
    // it took is said, never judged.
    void openTimed() {
        const auto start = std::chrono::steady_clock::now();
        harness.open(path);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "opening took %.2f s\n", took.count());
        harness.frames(10);
        EXPECT_FALSE(harness.ended());
    }
    // The document ends up whole again: every page converted, the sheet built, the text read.
    void expectRebuilt() {
        EXPECT_FALSE(v().document.documentIsCached);
        ASSERT_TRUE(convert(templatePages));
        EXPECT_EQ(std::pair(v().document.pageCount, v().sheet.sheetReady), std::pair(templatePages, true));
        harness.open(path);
        EXPECT_TRUE(v().document.documentIsCached);
    }
};

// Information files whose page count no document has: named, the count.
struct BadPageCount : ForeignCacheTest, ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

}  // namespace

// Without a page count the folder cannot show that every page is there: it is rebuilt.
TEST_F(ForeignCacheTest, BinaryInformationFileIsRebuilt) {
    writeFile(folder + "Information.ini", randomBytes(64 * 1024, 1));
    openTimed();
    expectRebuilt();
}

// A count beyond any document must not make the cache test look for billions of page files.
TEST_P(BadPageCount, IsRebuilt) {
    writeFile(folder + "Information.ini", std::string("Pages:          ") + GetParam().second +
                                              "\nPage size:      595.276 x 841.89 pts (A4)\n");
    openTimed();
    expectRebuilt();
}

INSTANTIATE_TEST_SUITE_P(Information, BadPageCount,
                         ::testing::Values(std::pair("Negative", "-5"), std::pair("Zero", "0"),
                                           std::pair("Absurd", "99999999999")),
                         [](const auto& info) { return std::string(info.param.first); });

TEST_F(ForeignCacheTest, AbsurdPageSizeKeepsTheCachedPages) {
    writeFile(folder + "Information.ini", "Pages:          3\nPage size:      1e30 x nan pts\n");
    openTimed();
    EXPECT_TRUE(v().document.documentIsCached && v().view.firstPageShown);
    EXPECT_TRUE(std::isfinite(v().document.renderDpi));
    harness.frames(20);
    EXPECT_FALSE(harness.ended());
}

// 50 MB of lines: read, measured and drawn in a bounded time, the pages still taken from the cache.
TEST_F(ForeignCacheTest, HugeInformationFileOpensInBoundedTime) {
    std::string text = "Pages:          3\nPage size:      595.276 x 841.89 pts (A4)\n";
    const std::string line = "Keywords:       " + std::string(100, 'k') + "\n";
    while (text.size() < 25u * 1024 * 1024) text += line;
    text += std::string(25u * 1024 * 1024, 'x') + "\n";  // and one line of 25 MB
    writeFile(folder + "Information.ini", text);
    const long before = peakKilobytes();
    openTimed();
    std::fprintf(stderr, "peak memory grew by %ld MB\n", (peakKilobytes() - before) / 1024);
    EXPECT_TRUE(v().document.documentIsCached);
    EXPECT_EQ(v().document.pageCount, templatePages);
    v().frame.infoPanelOpen = true;
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
}

TEST_F(ForeignCacheTest, BinaryTextFileIsReadWithoutHarm) {
    writeFile(folder + "TextualData.txt", randomBytes(4 * 1024 * 1024, 2));
    openTimed();
    EXPECT_TRUE(v().document.documentIsCached && !v().text.pageTexts.empty());
    for (const PageText& page : v().text.pageTexts) ASSERT_TRUE(media::isValidUtf8(page.text));
    v().frame.textViewOpen = true;
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
}

// 100 MB of text: one reading, in seconds, with memory a small multiple of the file.
TEST_F(ForeignCacheTest, HundredMegabyteTextFileIsReadInSeconds) {
    std::string text;
    text.reserve(100u * 1024 * 1024 + 4096);
    const std::string words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod\n";
    for (int page = 1; text.size() < 100u * 1024 * 1024; ++page) {
        for (int i = 0; i < 400; ++i) text += words;
        text += '\f';
    }
    writeFile(folder + "TextualData.txt", text);
    const std::size_t fileSize = text.size();
    text = std::string();
    const long before = peakKilobytes();
    openTimed();
    const long grewMegabytes = (peakKilobytes() - before) / 1024;
    std::fprintf(stderr, "peak memory grew by %ld MB for a %zu MB text\n", grewMegabytes, fileSize >> 20);
    EXPECT_LT(grewMegabytes, 6 * static_cast<long>(fileSize >> 20));
    EXPECT_GT(v().text.pageTexts.size(), 3u);
    EXPECT_GT(v().text.extractedWordCount, 10000000);
}

// A damaged sheet is made again from the page JPEGs, as a missing one is, and its pages can be
// picked from it.
TEST_F(ForeignCacheTest, DamagedThumbnailSheetsAreRebuilt) {
    const std::string sheet = readFile(folder + "thumb_sheet.png");
    const std::size_t zero = sheet.rfind('\0');
    ASSERT_NE(zero, std::string::npos);
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"truncated", sheet.substr(0, sheet.size() / 2)},
        {"not a PNG", randomBytes(sheet.size(), 3)},
        {"garbled trailer", sheet.substr(0, zero + 1) + "99999999|-3|x|" + std::string(1000, '9')},
        {"no trailer", sheet.substr(0, zero)}};
    for (const auto& [what, bytes] : damages) {
        SCOPED_TRACE(what);
        writeFile(folder + "thumb_sheet.png", bytes);
        openTimed();
        EXPECT_TRUE(v().document.documentIsCached);
        ASSERT_TRUE(harness.runUntil([&] { return v().sheet.sheetReady; }, 10000000, 5, 20.0));
        ASSERT_EQ(v().sheet.thumbnailCells.size(), static_cast<std::size_t>(templatePages));
        EXPECT_TRUE(parseSheetTrailer(readFile(folder + "thumb_sheet.png"),
                                      media::spriteOwnWidth(sprite::thumbnailSheet),
                                      media::spriteOwnHeight(sprite::thumbnailSheet))
                        .valid);
        const ThumbnailCell cell = v().sheet.thumbnailCells[1];
        v().frame.thumbnailMode = true;
        harness.moveTo(cell.screenX + cell.width / 2, cell.screenY + cell.height / 2);
        harness.frames(3);
        harness.press();
        harness.frames(2);
        harness.release();
        harness.frames(3);
        EXPECT_EQ(v().view.currentPage, 2);
    }
}

// A page JPEG cut short is never shown as a half page: the page is reported not ready.
TEST_F(ForeignCacheTest, TruncatedPageJpegIsNotShownAsWhole) {
    const std::string jpeg = readFile(folder + "page-000002.jpg");
    writeFile(folder + "page-000002.jpg", jpeg.substr(0, jpeg.size() / 3));
    openTimed();
    EXPECT_TRUE(v().view.firstPageShown);
    const int widthBefore = media::spriteOwnWidth(sprite::page);
    v().view.currentPage = 2;
    showPage(v());
    EXPECT_EQ(media::spriteOwnWidth(sprite::page), widthBefore);
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
}
