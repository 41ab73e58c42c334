// The page-file worker: PNG to JPEG and thumbnails, pages that never come, stopping it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "context/fitting.h"
#include "context/viewer.h"
#include "document/conversion.h"
#include "document/tools.h"
#include "media/media.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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
        media::RunOptions options;
        options.wait = true;
        media::runProgram(v.tools.pdftopngPath,
                          pageConverterArguments(page, 30.0f, v.document.documentPath, folder), options);
        ASSERT_TRUE(media::filePresent(pageImageBase(v, page) + ".png"));
    }
    // The state thumbnailRequest leaves, 50 ms in the past so that the next tick starts the worker.
    void thumbnailRequest() {
        v.conversion.thumbnailGenerationActive = 1;
        v.conversion.thumbnailLoadNext = 1;
        v.conversion.lastConversionCheck = media::elapsedMilliseconds() - 100;
    }
    bool tickUntilSheetRequested(double maxSeconds) {
        const auto start = Clock::now();
        while (!v.conversion.sheetBuildRequested && secondsSince(start) < maxSeconds) {
            conversionTick(v);
            media::sleepMilliseconds(10);
        }
        return v.conversion.sheetBuildRequested == 1;
    }
};

}  // namespace

TEST_F(WorkerTest, EveryPngBecomesAJpegAndAThumbnailOfTheCellSize) {
    for (int page = 1; page <= 3; ++page) convert(page);
    thumbnailRequest();
    ASSERT_TRUE(tickUntilSheetRequested(10.0));
    v.conversion.worker.join();
    const ThumbnailGrid grid = chooseThumbnailGrid(3, 764.0f, 1080.0f);
    EXPECT_EQ(v.sheet.sheetColumns, grid.columns);
    EXPECT_EQ(v.sheet.thumbnailWidth, grid.cellWidth);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(media::filePresent(pageImageBase(v, page) + ".jpg")) << page;
        EXPECT_FALSE(fs::exists(pageImageBase(v, page) + ".png")) << page;
        EXPECT_EQ(media::imageWidth(page), grid.cellWidth) << page;
        EXPECT_EQ(media::imageHeight(page), grid.cellHeight) << page;
    }
    EXPECT_EQ(v.conversion.workerRunning, 0);
    EXPECT_EQ(v.conversion.thumbnailGenerationActive, 0);
    EXPECT_NE(v.conversion.thumbnailThread, 9999);
}

// The converter failed on page 2: once no converter runs, the page is given up and the rest goes on.
TEST_F(WorkerTest, PageWhoseImageNeverComesIsSkippedAfterAGracePeriod) {
    convert(1);
    convert(3);
    media::freeImage(2);
    thumbnailRequest();
    const auto start = Clock::now();
    ASSERT_TRUE(tickUntilSheetRequested(15.0));
    EXPECT_GE(secondsSince(start), 1.9);
    v.conversion.worker.join();
    EXPECT_TRUE(media::imageExists(1));
    EXPECT_FALSE(media::imageExists(2));
    EXPECT_TRUE(media::imageExists(3));
    EXPECT_TRUE(media::filePresent(pageImageBase(v, 3) + ".jpg"));
}

TEST_F(WorkerTest, StoppingAWaitingWorkerReturnsAtOnce) {
    thumbnailRequest();
    conversionTick(v);
    ASSERT_EQ(v.conversion.workerRunning, 1);
    const auto start = Clock::now();
    stopPageFileWorker(v);
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_EQ(v.conversion.workerRunning, 0);
    EXPECT_EQ(v.conversion.sheetBuildRequested, 0);
    EXPECT_EQ(v.conversion.workerStop, 0);
}

TEST(ConversionTick, WithoutAPageCountNothingIsDividedByZero) {
    Viewer v;
    v.layout.screenWidth = 1080;
    v.document.pageCount = 0;
    v.conversion.conversionRunning = 1;
    v.conversion.nextPageToConvert = 1;
    v.conversion.lastConversionCheck = media::elapsedMilliseconds() - 100;
    v.tools.pdftopngPath = "/nonexistent/pdftopng.exe";
    conversionTick(v);
    EXPECT_EQ(v.conversion.conversionRunning, 0);
    EXPECT_EQ(v.conversion.conversionProgress, 1080.0f);
    EXPECT_EQ(v.conversion.thumbnailsWanted, 1);
}
