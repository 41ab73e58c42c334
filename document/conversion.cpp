// Page conversion: page image files, the 50 ms tick, the progress bar and the page-file worker.
#include "document/conversion.h"

#include <chrono>
#include <cstdio>

#include "context/check.h"
#include "context/fitting.h"
#include "context/helpers.h"
#include "context/viewer.h"
#include "document/tools.h"
#include "media/media.h"

namespace {

constexpr int checkIntervalMilliseconds = 50;
constexpr int scratchImage = 999999;     // never a page number
constexpr int jpegQuality = 9;           // 90 on the 0..100 scale
constexpr int idlePassMilliseconds = 5;  // a pass that found nothing waits, so the converter runs
// A page whose file has not come this long after the last converter ended never will.
constexpr std::chrono::milliseconds missingPageGrace{2000};

// What the worker needs, copied when it starts: opening another document cannot change it.
struct WorkerJob {
    std::string cacheFolder;
    int pageCount = 0;
    float pageFitWidth = 0.0f, pageFitHeight = 0.0f;
    bool fromJpeg = false;
    int cellWidth = 1, cellHeight = 1;
};

using Clock = std::chrono::steady_clock;

std::string imageBase(const std::string& cacheFolder, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "%06d", page);
    return cacheFolder + "page-" + number;
}

// The thumbnail from the page's JPEG, decoded at a reduced scale first (much cheaper than in full).
bool thumbnailFromJpeg(const WorkerJob& job, int page) {
    const std::string jpeg = imageBase(job.cacheFolder, page) + ".jpg";
    return media::filePresent(jpeg) && media::loadImageScaled(page, jpeg, job.cellWidth, job.cellHeight) &&
           media::resizeImage(page, job.cellWidth, job.cellHeight);
}

bool thumbnailFromPng(const WorkerJob& job, int page, const std::string& png) {
    return media::loadImage(page, png) && media::resizeImage(page, job.cellWidth, job.cellHeight);
}

// PNG -> JPEG and the thumbnail; the PNG goes only once its JPEG is written. False while the PNG
// is not there (or does not load).
bool convertPngPage(const WorkerJob& job, int page) {
    const std::string base = imageBase(job.cacheFolder, page);
    const std::string png = base + ".png";
    if (!media::filePresent(png) || !media::loadImage(scratchImage, png)) return false;
    const bool saved = media::saveImageJpeg(scratchImage, base + ".jpg", jpegQuality);
    media::freeImage(scratchImage);
    const bool thumbnail = (saved && thumbnailFromJpeg(job, page)) || thumbnailFromPng(job, page, png);
    // A page whose thumbnail fails is left out of the sheet rather than tried for ever.
    if (!thumbnail) media::freeImage(page);
    if (saved) media::deleteFile(png);
    return true;
}

bool preparePage(const WorkerJob& job, int page) {
    if (job.fromJpeg) return thumbnailFromJpeg(job, page);
    return convertPngPage(job, page);
}

// Since when no converter has been seen running while the worker waited; "never" while one runs.
struct IdleTimer {
    bool idle = false;
    Clock::time_point since{};
    void reset() { idle = false; }
};

// True once no converter has run for the whole grace period while the page was missing.
bool pageGivenUp(const ConversionState& c, IdleTimer& timer) {
    if (c.converterRunning) {
        timer.reset();
        return false;
    }
    if (!timer.idle) {
        timer.idle = true;
        timer.since = Clock::now();
    }
    return Clock::now() - timer.since >= missingPageGrace;
}

void finishPage(ConversionState& c, const WorkerJob& job, int page) {
    c.thumbnailLoadNext = page + 1;
    if (page >= job.pageCount) c.sheetBuildRequested = 1;
}

// A page given up on gets the old JPEG's picture if one is there, else none.
void skipPage(ConversionState& c, const WorkerJob& job, int page) {
    if (!thumbnailFromJpeg(job, page)) media::freeImage(page);
    finishPage(c, job, page);
}

void chooseGrid(Viewer& v, WorkerJob& job) {
    const ThumbnailGrid grid = chooseThumbnailGrid(job.pageCount, job.pageFitWidth, job.pageFitHeight);
    v.sheet.sheetColumns = grid.columns;
    v.sheet.sheetRows = grid.rows;
    v.sheet.thumbnailWidth = grid.cellWidth;
    v.sheet.thumbnailHeight = grid.cellHeight;
    job.cellWidth = grid.cellWidth > 0 ? grid.cellWidth : 1;
    job.cellHeight = grid.cellHeight > 0 ? grid.cellHeight : 1;
}

// The page-file worker. Touches only files, images, the atomic flags and the grid values, which
// the main thread reads only after sheetBuildRequested.
void runPageFileWorker(Viewer& v, WorkerJob job) {
    ConversionState& c = v.conversion;
    c.workerRunning = 1;
    chooseGrid(v, job);
    IdleTimer idleSince;
    while (!c.sheetBuildRequested && !c.workerStop) {
        const int page = c.thumbnailLoadNext;
        if (preparePage(job, page)) {
            finishPage(c, job, page);
            idleSince.reset();
        } else if (pageGivenUp(c, idleSince)) {
            skipPage(c, job, page);
        } else {
            media::sleepMilliseconds(idlePassMilliseconds);
        }
    }
    c.thumbnailGenerationActive = 0;
    c.thumbnailsFromJpeg = 0;
    c.workerRunning = 0;
}

void startPageFileWorker(Viewer& v) {
    ConversionState& c = v.conversion;
    WorkerJob job{v.document.documentCacheFolder, v.document.pageCount, v.view.pageFitWidth,
                  v.view.pageFitHeight, c.thumbnailsFromJpeg != 0};
    PAGEWELL_CHECK(c.workerRunning == 0 && c.thumbnailThread == none, "no page-file worker runs already");
    c.worker.join();  // a worker of this document never ran; one of an earlier one has ended
    c.thumbnailThread = 1;
    c.workerStop = 0;
    c.converterRunning = pageConverterRunning() ? 1 : 0;
    c.lastConverterPoll = media::elapsedMilliseconds();
    c.workerRunning = 1;
    if (!c.worker.start([&v, job] { runPageFileWorker(v, job); })) c.workerRunning = 0;
}

// The converter check the worker's give-up rule relies on, at most every 50 ms.
void pollConverterForWorker(ConversionState& c, std::int64_t now) {
    if (!c.thumbnailGenerationActive || now - c.lastConverterPoll <= checkIntervalMilliseconds) return;
    c.converterRunning = pageConverterRunning() ? 1 : 0;
    c.lastConverterPoll = now;
}

void launchNextConverter(Viewer& v) {
    ConversionState& c = v.conversion;
    const int pageCount = v.document.pageCount;
    c.progressBarRedrawn = 0;
    // Without a page count the bar cannot be divided: it shows full.
    if (pageCount > 0) {
        c.conversionProgress += static_cast<float>(static_cast<double>(v.layout.screenWidth) / pageCount);
    } else {
        c.conversionProgress = static_cast<float>(v.layout.screenWidth);
    }
    startPageConverter(v, c.nextPageToConvert);
    c.nextPageToConvert += 1;
    if (c.nextPageToConvert > pageCount) {
        c.conversionRunning = 0;
        c.thumbnailsWanted = pageCount != 1 ? 1 : 0;
    }
}

}  // namespace

std::string pageImageBase(const Viewer& v, int page) {
    return imageBase(v.document.documentCacheFolder, page);
}

std::string pageImageFile(Viewer& v, int page) {
    ConversionState& c = v.conversion;
    c.pageImageBase = pageImageBase(v, page);
    if (media::filePresent(c.pageImageBase + ".png")) c.pageImageExtension = ".png";
    if (media::filePresent(c.pageImageBase + ".jpg")) c.pageImageExtension = ".jpg";
    const std::string file = c.pageImageBase + c.pageImageExtension;
    if (c.pageImageExtension.empty() || !media::filePresent(file)) return {};
    return file;
}

void startConversion(Viewer& v) {
    ConversionState& c = v.conversion;
    c.conversionProgress = 0.0f;
    stopOwnPageConverter(v);
    c.nextPageToConvert = 1;
    c.conversionRunning = 1;
    c.lastConversionCheck = media::elapsedMilliseconds();
}

void conversionTick(Viewer& v) {
    ConversionState& c = v.conversion;
    const std::int64_t now = media::elapsedMilliseconds();
    if (c.conversionRunning || c.thumbnailGenerationActive) {
        c.millisecondsSinceCheck = now - c.lastConversionCheck;
    }
    if (c.millisecondsSinceCheck > checkIntervalMilliseconds && c.conversionRunning) {
        if (!pageConverterRunning()) launchNextConverter(v);
        c.lastConversionCheck = now;
    }
    if (c.millisecondsSinceCheck > checkIntervalMilliseconds && c.thumbnailGenerationActive &&
        c.thumbnailThread == none) {
        startPageFileWorker(v);
    }
    pollConverterForWorker(c, now);
}

void progressBarStep(Viewer& v) {
    ConversionState& c = v.conversion;
    if (!c.conversionRunning || c.progressBarRedrawn) return;
    c.progressBarRedrawn = 1;
    media::zoomSprite(sprite::progressBar, nearest(c.conversionProgress),
                      media::spriteHeight(sprite::progressBar));
}

void thumbnailRequest(Viewer& v) {
    ConversionState& c = v.conversion;
    if (!c.thumbnailsWanted || v.document.pageCount <= 1) return;
    c.thumbnailsWanted = 0;
    c.thumbnailGenerationActive = 1;
    c.thumbnailLoadNext = 1;
    c.lastConversionCheck = media::elapsedMilliseconds();
}

void stopPageFileWorker(Viewer& v) {
    ConversionState& c = v.conversion;
    c.workerStop = 1;
    c.worker.join();
    c.workerStop = 0;
    c.workerRunning = 0;
}
