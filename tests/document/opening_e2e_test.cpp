// Opening documents with the real tool programs: conversion, the page files, the cache and its test.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "document/conversion.h"
#include "document/document.h"
#include "media/media.h"
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

// Every page has its JPEG, no PNG is left and nothing runs in the background any more.
bool conversionFinished(Viewer& v, int pages) {
    const ConversionState& c = v.conversion;
    if (c.conversionRunning || c.workerRunning || c.thumbnailGenerationActive || c.thumbnailsWanted ||
        c.sheetBuildRequested)
        return false;
    for (int page = 1; page <= pages; ++page) {
        if (!media::filePresent(pageImageBase(v, page) + ".jpg")) return false;
    }
    return noPagePng(v.document.documentCacheFolder);
}

HarnessOptions withRealClock() {
    HarnessOptions options;
    options.realClock = true;
    return options;
}

std::string describe(Viewer& v) {
    const ConversionState& c = v.conversion;
    std::string text = "running " + std::to_string(c.conversionRunning) + ", worker " +
                       std::to_string(c.workerRunning) + ", generating " +
                       std::to_string(c.thumbnailGenerationActive) + ", wanted " +
                       std::to_string(c.thumbnailsWanted) + ", next page " +
                       std::to_string(c.nextPageToConvert) + ", load next " +
                       std::to_string(c.thumbnailLoadNext) + ", files:";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(v.document.documentCacheFolder, error)) {
        text += " " + entry.path().filename().string();
    }
    return text;
}

struct OpeningTest : ::testing::Test {
    Harness harness{withRealClock()};
    std::string documents = makeTemporaryFolder("documents");

    Viewer& v() { return harness.v(); }
    std::string numberedPdf(int pages, const std::string& name) {
        const std::string path = documents + name;
        EXPECT_TRUE(makeNumberedPdf(path, pages));
        return path;
    }
    void openAndConvert(const std::string& path, int pages) {
        harness.open(path);
        ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v(), pages); }, 1000000, 5, 30.0))
            << "conversion of " << pages << " pages did not finish: " << describe(v());
    }
    std::string cacheFile(const std::string& name) { return v().document.documentCacheFolder + name; }
};

}  // namespace

TEST_F(OpeningTest, OnePageDocumentIsFinishedWithoutWorkerOrSheet) {
    const std::string path = numberedPdf(1, "one page.pdf");
    openAndConvert(path, 1);
    harness.runUntil([&] { return v().conversion.firstPageShown == 1; }, 100000, 5, 10.0);
    EXPECT_EQ(v().conversion.firstPageShown, 1);
    EXPECT_EQ(v().document.pageCount, 0);  // the single-page finish
    EXPECT_EQ(v().conversion.thumbnailThread, 9999);
    EXPECT_FALSE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_TRUE(media::filePresent(cacheFile("Information.ini")));
    EXPECT_NE(v().document.documentCacheFolder.find("_one_page.pdf/"), std::string::npos);
}

TEST_F(OpeningTest, TwoPageDocumentGetsJpegsAndASheet) {
    const std::string path = numberedPdf(2, "two.pdf");
    openAndConvert(path, 2);
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_EQ(v().document.pageCountShown, 2);
    EXPECT_EQ(v().document.renderDpi, 120.0f);
    EXPECT_EQ(v().document.pageWidthText, "595.276");
    EXPECT_EQ(v().document.documentSizeText, std::to_string(fs::file_size(path)));
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    EXPECT_EQ(v().sheet.sheetReady, 1);
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_EQ(v().conversion.firstPageShown, 1);
}

namespace {
int lineHeight() {
    media::beginDrawing(sprite::infoPanel);
    media::setFont(font::base);
    const int height = media::textHeight("H");
    media::endDrawing();
    return height;
}
media::Colour panelPixel(int x, int y) {
    media::beginDrawing(sprite::infoPanel);
    const media::Colour colour = media::pixelColour(x, y);
    media::endDrawing();
    return colour;
}
}  // namespace

// The fresh panel has one font size of margin below the lines, the cached one two.
TEST_F(OpeningTest, InformationPanelIsSizedFromItsLines) {
    const std::string path = numberedPdf(2, "info.pdf");
    harness.open(path);
    const DocumentState& d = v().document;
    const int base = v().layout.baseFontSize;
    ASSERT_GT(d.infoLines.size(), 3u);
    EXPECT_EQ(d.infoPanelTextHeight, static_cast<int>(d.infoLines.size()) * lineHeight());
    EXPECT_GT(d.infoPanelTextWidth, 10);
    EXPECT_EQ(media::spriteWidth(sprite::infoPanel), d.infoPanelTextWidth + 3 * base);
    EXPECT_EQ(media::spriteHeight(sprite::infoPanel), d.infoPanelTextHeight + base);
    EXPECT_EQ(panelPixel(0, 0), media::rgb(0, 0, 0));
    EXPECT_EQ(panelPixel(2, 2), media::rgb(100, 100, 100));
    ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v(), 2); }, 1000000, 5, 30.0));
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    harness.open(path);
    ASSERT_EQ(v().document.documentIsCached, 1);
    EXPECT_EQ(media::spriteHeight(sprite::infoPanel), d.infoPanelTextHeight + 2 * base);
}

// The second opening finds Information.ini and every JPEG: nothing is converted again.
TEST_F(OpeningTest, TenPagesConvertedOnceThenOpenedFromTheCache) {
    const std::string path = numberedPdf(10, "ten.pdf");
    openAndConvert(path, 10);
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    const auto firstWrite = fs::last_write_time(cacheFile("page-000004.jpg"));
    harness.open(path);
    EXPECT_EQ(v().document.documentIsCached, 1);
    EXPECT_EQ(v().conversion.conversionRunning, 0);
    EXPECT_EQ(v().conversion.nextPageToConvert, 0);
    EXPECT_EQ(v().conversion.firstPageShown, 1);
    EXPECT_EQ(v().sheet.sheetReady, 1);  // loaded from thumb_sheet.png
    EXPECT_EQ(v().document.pageCount, 10);
    harness.frames(50);
    EXPECT_EQ(v().conversion.nextPageToConvert, 0);
    EXPECT_EQ(fs::last_write_time(cacheFile("page-000004.jpg")), firstWrite);
}

TEST_F(OpeningTest, IncompleteCacheIsEmptiedAndRebuilt) {
    const std::string path = numberedPdf(3, "three.pdf");
    openAndConvert(path, 3);
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    std::ofstream(cacheFile("stale.txt")) << "left over";
    fs::remove(cacheFile("page-000002.jpg"));
    harness.open(path);
    EXPECT_EQ(v().document.documentIsCached, 0);
    EXPECT_FALSE(fs::exists(cacheFile("stale.txt")));
    EXPECT_FALSE(fs::exists(cacheFile("thumb_sheet.png")));
    EXPECT_EQ(v().conversion.conversionRunning, 1);
    ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v(), 3); }, 1000000, 5, 30.0));
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
}

TEST_F(OpeningTest, CachedDocumentWithoutSheetRebuildsItFromTheJpegs) {
    const std::string path = numberedPdf(4, "four.pdf");
    openAndConvert(path, 4);
    harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 100000, 5, 5.0);
    fs::remove(cacheFile("thumb_sheet.png"));
    harness.open(path);
    EXPECT_EQ(v().document.documentIsCached, 1);
    EXPECT_EQ(v().sheet.sheetReady, 0);
    ASSERT_TRUE(harness.runUntil([&] { return v().sheet.sheetReady == 1; }, 1000000, 5, 10.0));
    EXPECT_TRUE(media::filePresent(cacheFile("thumb_sheet.png")));
    EXPECT_EQ(v().conversion.thumbnailsFromJpeg, 0);
    EXPECT_EQ(v().conversion.nextPageToConvert, 0);
}

// A file that is not a PDF changes nothing: the open document stays, no cache folder is made.
TEST_F(OpeningTest, TextFileNamedPdfChangesNothing) {
    const std::string path = numberedPdf(2, "real.pdf");
    openAndConvert(path, 2);
    const std::string fake = documents + "notes.pdf";
    std::ofstream(fake) << "just some notes\n";
    const std::string folderBefore = v().document.documentCacheFolder;
    harness.open(fake);
    EXPECT_EQ(v().document.documentPath, path);
    EXPECT_EQ(v().document.documentCacheFolder, folderBefore);
    EXPECT_EQ(v().document.pageCount, 2);
    for (const auto& entry : fs::directory_iterator(v().layout.cacheRoot)) {
        EXPECT_EQ(entry.path().filename().string().find("notes.pdf"), std::string::npos);
    }
}

TEST_F(OpeningTest, MissingAndEmptyFilesAreNotAccepted) {
    const std::string empty = documents + "empty.pdf";
    std::ofstream(empty).flush();
    harness.open(empty);
    harness.open(documents + "missing.pdf");
    harness.open("   ");
    EXPECT_EQ(v().document.documentPath, "");
    EXPECT_EQ(v().document.documentCacheFolder, "");
    EXPECT_EQ(v().frame.welcomeShown, 1);
}

TEST_F(OpeningTest, UnreadablePdfShowsTheMessageAndConvertsNothing) {
    const std::string path = documents + "damaged.pdf";
    std::ofstream(path) << "%PDF-1.4\nthis is not really a PDF document\n";
    harness.open(path);
    EXPECT_EQ(v().document.documentPath, path);
    EXPECT_EQ(v().document.pageCount, 0);
    EXPECT_EQ(v().document.pageCountShown, 1);
    EXPECT_EQ(v().document.documentUnreadable, 1);
    EXPECT_EQ(v().frame.messagePanelShown, 1);
    EXPECT_EQ(v().conversion.conversionRunning, 0);
    harness.frames(20);
    EXPECT_EQ(v().conversion.nextPageToConvert, 0);
    EXPECT_TRUE(noPagePng(v().document.documentCacheFolder));
}

// Names with spaces, quotes, "$" and backquotes reach the tools unchanged and run nothing.
TEST_F(OpeningTest, ShellCharactersInTheFileNameAreHarmless) {
    const std::string marker = documents + "ran";
    const std::string path = documents + "it's \"$(touch ran)\" `touch ran`.pdf";
    ASSERT_TRUE(makeNumberedPdf(path, 2));
    openAndConvert(path, 2);
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_FALSE(fs::exists(harness.programFolder() + "ran"));
}

TEST_F(OpeningTest, OpeningAnotherDocumentDuringConversionStartsAfresh) {
    const std::string first = numberedPdf(10, "first.pdf");
    const std::string second = numberedPdf(2, "second.pdf");
    harness.open(first);
    harness.runUntil([&] { return v().conversion.nextPageToConvert >= 4; }, 100000, 5, 10.0);
    harness.open(second);
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_EQ(v().conversion.nextPageToConvert, 1);
    ASSERT_TRUE(harness.runUntil([&] { return conversionFinished(v(), 2); }, 1000000, 5, 30.0));
    EXPECT_NE(v().document.documentCacheFolder.find("_second.pdf/"), std::string::npos);
}
