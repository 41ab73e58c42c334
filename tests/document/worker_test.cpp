// The page-file worker: PNG to JPEG and thumbnails, pages whose converter ended without them, stopping
// it. What the worker waits for is told by event order (the converters' end notices), never by time.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "context/fitting.h"
#include "context/viewer.h"
#include "document/conversion.h"
#include "document/tools.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "tests/support/polling.h"

namespace {

namespace fs = std::filesystem;

// The state thumbnailRequest leaves, 50 ms in the past so that the next tick starts the worker.
void requestThumbnails(Viewer& v) {
    v.conversion.thumbnailGenerationActive = true;
    v.conversion.thumbnailLoadNext = 1;
    v.conversion.lastConversionCheck = media::elapsedMilliseconds() - 100;
}

bool jpegsPresent(const Viewer& v, std::initializer_list<int> pages) {
    for (int page : pages)
        if (!media::filePresent(pageImageBase(v, page) + ".jpg")) return false;
    return true;
}

// A cache folder holding the PNG files of the given pages, as the converter leaves them.
struct WorkerTest : ::testing::Test {
    Viewer v;
    std::string folder = makeTemporaryFolder("worker");

    void SetUp() override {
        v.layout.programFolder = std::string(PAGEWELL_BUILD_DIR) + "/";
        setUpToolPaths(v);
        v.document.documentCacheFolder = folder;
        v.document.documentPath = folder + "source.pdf";
        v.document.pageCount = 3;
        v.document.renderDpi = 30.0f;
        v.view.pageFitWidth = 764.0f;
        v.view.pageFitHeight = 1080.0f;
        ASSERT_TRUE(makeNumberedPdf(v.document.documentPath, 3));
    }
    void convert(int page) {
        media::runProgram(v.tools.pdftopngPath,
                          pageConverterArguments(page, 30.0f, v.document.documentPath, folder),
                          {"", true, "", {}});
        ASSERT_TRUE(media::filePresent(pageImageBase(v, page) + ".png"));
    }
    // The tick that starts the worker, once the request is 50 ms old.
    void startWorker() {
        requestThumbnails(v);
        conversionTick(v);
        ASSERT_TRUE(v.conversion.workerRunning);
    }
    bool sheetRequested() {
        return eventually([&] { return v.conversion.sheetBuildRequested.load(); });
    }
};

// What the converter of page 2 left when it ended: nothing, or a file that does not load.
struct GivenUpPage : WorkerTest, ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(Left, GivenUpPage, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "AFileThatDoesNotLoad" : "NoFile"; });

}  // namespace

TEST_F(WorkerTest, EveryPngBecomesAJpegAndAThumbnailOfTheCellSize) {
    for (int page = 1; page <= 3; ++page) convert(page);
    startWorker();
    ASSERT_TRUE(sheetRequested());
    v.conversion.worker.join();
    const ThumbnailGrid grid = chooseThumbnailGrid(3, 764.0f, 1080.0f);
    PageFileOutput output;
    v.conversion.thumbnailGenerationActive = true;  // as while the worker's last thread still ends
    ASSERT_TRUE(takeSheetRequest(v, output));
    EXPECT_FALSE(v.conversion.thumbnailGenerationActive) << "the thumbnail wait ends with the sheet";
    EXPECT_EQ(output.columns, grid.columns);
    EXPECT_EQ(output.cellWidth, grid.cellWidth);
    EXPECT_FALSE(takeSheetRequest(v, output)) << "the request is taken once";
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(media::filePresent(pageImageBase(v, page) + ".jpg")) << page;
        EXPECT_FALSE(fs::exists(pageImageBase(v, page) + ".png")) << page;
        EXPECT_EQ(media::imageWidth(page), grid.cellWidth) << page;
        EXPECT_EQ(media::imageHeight(page), grid.cellHeight) << page;
    }
    EXPECT_FALSE(v.conversion.workerRunning);
    EXPECT_NE(v.conversion.thumbnailThread, PageFileWorker::none);
}

// The converter failed on page 2: the worker waits for the page until its converter's end is noticed,
// then gives it up and the rest goes on.
TEST_P(GivenUpPage, OnceItsConverterHasEndedAndTheRestGoesOn) {
    convert(1);
    convert(3);
    if (GetParam()) {
        ASSERT_TRUE(media::writeWholeFile(pageImageBase(v, 2) + ".png", "half a picture"));
    }
    media::freeImage(2);
    v.conversion.pageFileThreads = 2;
    v.conversion.converterEnds.post({1, 0});
    startWorker();
    ASSERT_TRUE(eventually([&] { return jpegsPresent(v, {1, 3}); }));
    EXPECT_FALSE(v.conversion.sheetBuildRequested) << "page 2's converter has not ended yet";
    EXPECT_EQ(v.conversion.thumbnailLoadNext, 2);
    v.conversion.converterEnds.post({2, 1});
    ASSERT_TRUE(sheetRequested());
    v.conversion.worker.join();
    EXPECT_TRUE(media::imageExists(1));
    EXPECT_FALSE(media::imageExists(2));
    EXPECT_TRUE(media::imageExists(3));
    EXPECT_EQ(v.conversion.thumbnailLoadNext, 4);
}

TEST_F(WorkerTest, StoppingAWaitingWorkerWakesAndEndsIt) {
    startWorker();
    stopPageFileWorker(v);
    EXPECT_FALSE(v.conversion.workerRunning);
    EXPECT_FALSE(v.conversion.sheetBuildRequested);
    EXPECT_FALSE(v.conversion.workerStop);
}

// Pages 2 and 3 are ready before page 1: they are made at once, yet the sheet waits for page 1.
TEST_F(WorkerTest, SheetWaitsForAnEarlierPageThatComesLast) {
    for (int page = 1; page <= 3; ++page) convert(page);
    const std::string first = pageImageBase(v, 1) + ".png";
    fs::rename(first, folder + "aside.png");
    v.conversion.pageFileThreads = 3;
    startWorker();
    // The threads finish pages 2 and 3 in either order.
    ASSERT_TRUE(eventually([&] { return jpegsPresent(v, {2, 3}); }));
    EXPECT_FALSE(v.conversion.sheetBuildRequested);
    EXPECT_EQ(v.conversion.thumbnailLoadNext, 1);
    fs::rename(folder + "aside.png", first);
    v.conversion.converterEnds.post({1, 0});  // its converter's end wakes the waiting thread
    ASSERT_TRUE(sheetRequested());
    v.conversion.worker.join();
    EXPECT_EQ(v.conversion.thumbnailLoadNext, 4);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(media::imageExists(page)) << page;
        EXPECT_FALSE(fs::exists(pageImageBase(v, page) + ".png")) << page;
    }
}

// Pages shared among threads give byte for byte the files and pixel for pixel the thumbnails of one
// thread doing them all, and the sheet is requested once.
TEST_F(WorkerTest, SeveralThreadsMakeWhatOneThreadMakes) {
    constexpr int pages = 12;
    v.document.pageCount = pages;
    ASSERT_TRUE(makeNumberedPdf(v.document.documentPath, pages));
    for (int page = 1; page <= pages; ++page) convert(page);
    const std::string copy = makeTemporaryFolder("worker-copy");
    for (const auto& entry : fs::directory_iterator(folder))
        fs::copy(entry.path(), copy + entry.path().filename().string());

    v.conversion.pageFileThreads = 1;
    startWorker();
    ASSERT_TRUE(sheetRequested());
    v.conversion.worker.join();
    std::vector<std::shared_ptr<const media::Picture>> alone;
    for (int page = 1; page <= pages; ++page) alone.push_back(media::imagePicture(page));

    Viewer shared;
    shared.layout = v.layout;
    shared.document.documentCacheFolder = copy;
    shared.document.pageCount = pages;
    shared.view.pageFitWidth = v.view.pageFitWidth;
    shared.view.pageFitHeight = v.view.pageFitHeight;
    shared.conversion.pageFileThreads = 4;
    requestThumbnails(shared);
    conversionTick(shared);
    int requests = 0;
    eventually([&] {
        if (shared.conversion.sheetBuildRequested.exchange(false)) ++requests;
        return requests > 0 && !shared.conversion.workerRunning;
    });
    shared.conversion.worker.join();
    requests += shared.conversion.sheetBuildRequested.exchange(false);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(shared.conversion.thumbnailLoadNext, pages + 1);
    for (int page = 1; page <= pages; ++page) {
        std::string one, many;
        ASSERT_TRUE(media::readWholeFile(pageImageBase(v, page) + ".jpg", one)) << page;
        ASSERT_TRUE(media::readWholeFile(pageImageBase(copy, page) + ".jpg", many)) << page;
        EXPECT_TRUE(one == many) << "page " << page << "'s JPEG differs";
        const auto picture = media::imagePicture(page);
        ASSERT_TRUE(picture && alone[page - 1]) << page;
        EXPECT_EQ(picture->pixels, alone[page - 1]->pixels) << page;
    }
}

TEST(ConversionTick, WithoutAPageCountNothingIsDividedByZero) {
    Viewer v;
    v.layout.screenWidth = 1080;
    v.document.pageCount = 0;
    v.conversion.conversionRunning = true;
    v.conversion.lastConversionCheck = media::elapsedMilliseconds() - 100;
    v.tools.pdftopngPath = "/nonexistent/pdftopng.exe";
    conversionTick(v);
    EXPECT_FALSE(v.conversion.conversionRunning);
    EXPECT_EQ(v.conversion.conversionProgress, 1080.0f);
    EXPECT_TRUE(v.conversion.thumbnailsWanted);
}
