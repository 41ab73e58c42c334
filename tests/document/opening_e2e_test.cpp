// Opening documents with the real tool programs: conversion, the page files, the cache and its test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

namespace {

namespace fs = std::filesystem;

bool noPagePng(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("page-") && entry.path().extension() == ".png") return false;
    }
    return true;
}

media::Colour infoPanelPixel(int x, int y) {
    media::beginDrawing(sprite::infoPanel);
    const media::Colour colour = media::pixelColour(x, y);
    media::endDrawing();
    return colour;
}

struct OpeningTest : ::testing::Test {
    Harness harness{{.realClock = true}};
    std::string documents = makeTemporaryFolder("documents");

    Viewer& v() { return harness.v(); }
    std::string numberedPdf(int pages, const std::string& name) {
        const std::string path = documents + name;
        EXPECT_TRUE(makeNumberedPdf(path, pages));
        return path;
    }
    void convert(int pages) {
        ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v(), pages); }, 1000000, 5, 60.0))
            << "conversion of " << pages << " pages did not finish";
        if (pages > 1) harness.runUntil([&] { return v().sheet.sheetReady; }, 100000, 5, 5.0);
    }
    void openAndConvert(const std::string& path, int pages) {
        harness.open(path);
        convert(pages);
    }
    std::string cacheFile(const std::string& name) { return v().document.documentCacheFolder + name; }
};

}  // namespace

TEST_F(OpeningTest, OnePageDocumentIsFinishedWithoutWorkerOrSheet) {
    openAndConvert(numberedPdf(1, "one page.pdf"), 1);
    harness.runUntil([&] { return v().view.firstPageShown; }, 100000, 5, 10.0);
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_EQ(v().document.pageCount, 0);  // the single-page finish
    EXPECT_EQ(v().conversion.thumbnailThread, PageFileWorker::none);
    EXPECT_FALSE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_TRUE(media::filePresent(cacheFile("Information.ini")));
    EXPECT_NE(v().document.documentCacheFolder.find("_one_page.pdf/"), std::string::npos);
}

// The information panel has one font size of margin below its lines when fresh, two when cached.
TEST_F(OpeningTest, TwoPageDocumentGetsJpegsASheetAndAnInformationPanel) {
    const std::string path = numberedPdf(2, "two.pdf");
    harness.open(path);
    const DocumentState& d = v().document;
    const int base = v().layout.baseFontSize;
    EXPECT_EQ(d.pageCount, 2);
    EXPECT_EQ(d.renderDpi, 120.0f);
    EXPECT_EQ(d.pageWidthText, "595.276");
    EXPECT_EQ(d.documentSizeText, std::to_string(fs::file_size(path)));
    ASSERT_GT(d.infoLines.size(), 3u);
    EXPECT_GT(d.infoPanelTextWidth, 10);
    EXPECT_EQ(media::spriteWidth(sprite::infoPanel), d.infoPanelTextWidth + 3 * base);
    EXPECT_EQ(media::spriteHeight(sprite::infoPanel), d.infoPanelTextHeight + base);
    EXPECT_EQ(infoPanelPixel(0, 0), media::rgb(0, 0, 0));
    EXPECT_EQ(infoPanelPixel(2, 2), media::rgb(100, 100, 100));
    convert(2);
    EXPECT_TRUE(v().sheet.sheetReady);
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_TRUE(v().view.firstPageShown);
    harness.open(path);
    ASSERT_TRUE(d.documentIsCached);
    EXPECT_EQ(media::spriteHeight(sprite::infoPanel), d.infoPanelTextHeight + 2 * base);
}

// The second opening finds Information.ini and every JPEG: nothing is converted again.
TEST_F(OpeningTest, TenPagesConvertedOnceThenOpenedFromTheCache) {
    const std::string path = numberedPdf(10, "ten.pdf");
    openAndConvert(path, 10);
    const auto firstWrite = fs::last_write_time(cacheFile("page-000004.jpg"));
    harness.open(path);
    EXPECT_TRUE(v().document.documentIsCached);
    EXPECT_FALSE(v().conversion.conversionRunning);
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_EQ(v().document.pageCount, 10);
    // thumb_sheet.png is decoded beside the frames and loaded by one of them, never made again.
    EXPECT_FALSE(v().sheet.sheetReady);
    ASSERT_TRUE(harness.runUntil([&] { return v().sheet.sheetReady; }, 2000));
    EXPECT_FALSE(v().sheet.sheetJustBuilt);
    EXPECT_FALSE(v().conversion.thumbnailsWanted);
    harness.frames(50);
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
    EXPECT_EQ(fs::last_write_time(cacheFile("page-000004.jpg")), firstWrite);
}

TEST_F(OpeningTest, IncompleteCacheIsEmptiedAndRebuilt) {
    const std::string path = numberedPdf(3, "three.pdf");
    openAndConvert(path, 3);
    std::ofstream(cacheFile("stale.txt")) << "left over";
    fs::remove(cacheFile("page-000002.jpg"));
    harness.open(path);
    EXPECT_FALSE(v().document.documentIsCached);
    EXPECT_FALSE(fs::exists(cacheFile("stale.txt")));
    EXPECT_FALSE(fs::exists(cacheFile("thumb_sheet.png")));
    EXPECT_TRUE(v().conversion.conversionRunning);
    convert(3);
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
}

TEST_F(OpeningTest, CachedDocumentWithoutSheetRebuildsItFromTheJpegs) {
    const std::string path = numberedPdf(4, "four.pdf");
    openAndConvert(path, 4);
    fs::remove(cacheFile("thumb_sheet.png"));
    harness.open(path);
    EXPECT_TRUE(v().document.documentIsCached);
    EXPECT_FALSE(v().sheet.sheetReady);
    ASSERT_TRUE(harness.runUntil([&] { return v().sheet.sheetReady; }, 1000000, 5, 10.0));
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_FALSE(v().conversion.thumbnailsFromJpeg);
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
}

// A file that is not a PDF, or is missing or empty, changes nothing: the open document stays.
TEST_F(OpeningTest, TextFileNamedPdfChangesNothing) {
    const std::string path = numberedPdf(2, "real.pdf");
    openAndConvert(path, 2);
    const std::string fake = documents + "notes.pdf";
    std::ofstream(fake) << "just some notes\n";
    std::ofstream(documents + "empty.pdf").flush();
    const std::string folderBefore = v().document.documentCacheFolder;
    harness.open(fake);
    harness.open(documents + "empty.pdf");
    harness.open(documents + "missing.pdf");
    harness.open("   ");
    EXPECT_EQ(v().document.documentPath, path);
    EXPECT_EQ(v().document.documentCacheFolder, folderBefore);
    EXPECT_EQ(v().document.pageCount, 2);
    for (const auto& entry : fs::directory_iterator(v().layout.cacheRoot))
        EXPECT_EQ(entry.path().filename().string().find("notes.pdf"), std::string::npos);
}

TEST_F(OpeningTest, UnreadablePdfShowsTheMessageAndConvertsNothing) {
    openAndConvert(numberedPdf(1, "readable.pdf"), 1);
    harness.runUntil([&] { return media::spriteExists(sprite::page); }, 100000, 5, 5.0);
    const std::string path = documents + "damaged.pdf";
    std::ofstream(path) << "%PDF-1.4\nthis is not really a PDF document\n";
    harness.open(path);
    EXPECT_EQ(v().document.documentPath, path);
    EXPECT_EQ(v().document.pageCount, 0);
    EXPECT_EQ(v().document.pageCountShown, 1);
    EXPECT_TRUE(v().document.documentUnreadable);
    EXPECT_TRUE(v().frame.messagePanelShown);
    EXPECT_FALSE(media::spriteExists(sprite::page));  // the previous document's page is gone
    EXPECT_FALSE(v().conversion.conversionRunning);
    harness.frames(20);
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
    EXPECT_TRUE(noPagePng(v().document.documentCacheFolder));
}

// The first document's page-file worker is stopped before the second one's state is set up.
TEST_F(OpeningTest, OpeningAnotherDocumentWhileThumbnailsAreMadeStartsAfresh) {
    const std::string first = numberedPdf(10, "first.pdf");
    const std::string second = numberedPdf(2, "second.pdf");
    harness.open(first);
    ASSERT_TRUE(
        harness.runUntil([&] { return v().conversion.thumbnailGenerationActive.load(); }, 1000000, 5, 60.0));
    harness.open(second);
    EXPECT_FALSE(v().conversion.workerRunning);
    EXPECT_FALSE(v().conversion.thumbnailGenerationActive);
    EXPECT_EQ(v().conversion.thumbnailThread, PageFileWorker::none);
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_LE(v().conversion.pageQueue.startCount(), 1);  // page 1 at most, of this document
    EXPECT_EQ(v().conversion.pageQueue.pageCount(), 2);
    convert(2);
    EXPECT_NE(v().document.documentCacheFolder.find("_second.pdf/"), std::string::npos);
}
