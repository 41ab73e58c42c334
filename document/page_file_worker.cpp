// The page-file worker: every page's PNG made into its JPEG and thumbnail, pages shared among threads.
#include "document/page_file_worker.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "context/check.h"
#include "context/fitting.h"
#include "document/conversion.h"
#include "document/page_files.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace {

constexpr int jpegQuality = 9;  // 90 on the 0..100 scale

// What the worker needs, copied when it starts: opening another document cannot change it.
struct WorkerJob {
    std::string cacheFolder;
    int pageCount = 0;
    bool fromJpeg = false;
    int threads = 1;
    int cellWidth = 1, cellHeight = 1;
};

// The pages still to claim and those finished, shared by the worker's threads. A page is finished
// once it has its thumbnail or has been given up on.
struct PageClaims {
    std::atomic<int> nextToClaim;
    std::vector<std::atomic<bool>> finished;  // by page number
    std::atomic<bool> sheetRequested{false};
    PageClaims(int firstPage, int pageCount)
        : nextToClaim(firstPage), finished(static_cast<std::size_t>(pageCount > 0 ? pageCount + 1 : 1)) {}
};

// The thumbnail from the page's JPEG, decoded at a reduced scale first (much cheaper than in full).
bool thumbnailFromJpeg(const WorkerJob& job, int page) {
    const std::string jpeg = pageImageBase(job.cacheFolder, page) + ".jpg";
    return media::filePresent(jpeg) && media::loadImageScaled(page, jpeg, job.cellWidth, job.cellHeight) &&
           media::resizeImage(page, job.cellWidth, job.cellHeight);
}

// PNG -> JPEG and the thumbnail from one decode; the PNG goes only once its JPEG is written. False
// while the PNG is not there (or does not load).
bool convertPngPage(const WorkerJob& job, int page) {
    const std::string base = pageImageBase(job.cacheFolder, page);
    const std::string png = base + ".png";
    if (!media::filePresent(png)) return false;
    const PageConversion done =
        convertPagePng(png, base + ".jpg", jpegQuality, page, job.cellWidth, job.cellHeight);
    if (!done.pngRead) return false;
    // A page whose thumbnail fails is left out of the sheet rather than tried for ever.
    if (!done.thumbnailMade) media::freeImage(page);
    if (done.jpegWritten) media::deleteFile(png);
    return true;
}

bool preparePage(const WorkerJob& job, int page) {
    if (job.fromJpeg) return thumbnailFromJpeg(job, page);
    return convertPngPage(job, page);
}

// One thread's reading of the converters' ends: which pages' converters have ended so far.
struct EndedConverters {
    const media::NoticeBoard& board;
    std::vector<bool> ended;  // by page number
    std::size_t read = 0;

    EndedConverters(const media::NoticeBoard& notices, int pageCount)
        : board(notices), ended(static_cast<std::size_t>(pageCount > 0 ? pageCount + 1 : 1)) {}
    void take(const std::vector<media::NoticeBoard::Notice>& notices) {
        for (const media::NoticeBoard::Notice& notice : notices) {
            if (notice.key >= 1 && notice.key < static_cast<int>(ended.size())) ended[notice.key] = true;
        }
        read += notices.size();
    }
};

// Prepares the page once its file is there. A page whose converter has ended without leaving a file
// that loads never will: it is given up on (it then gets the old JPEG's picture if one is there, else
// none). Every converter writes its file before it ends, so a page seen ended before the try has had
// its chance. False when the worker was told to stop.
bool finishPage(const ConversionState& c, const WorkerJob& job, int page, EndedConverters& converters) {
    while (!c.workerStop) {
        converters.take(c.converterEnds.readFrom(converters.read));
        const bool ended = job.fromJpeg || converters.ended[page];
        if (preparePage(job, page)) return true;
        if (ended) {
            if (!thumbnailFromJpeg(job, page)) media::freeImage(page);
            return true;
        }
        converters.take(c.converterEnds.waitFrom(converters.read, c.workerStop));
    }
    return false;
}

// thumbnailLoadNext follows the first page not finished. Whichever thread moves it past the last
// page, exactly one, requests the sheet. Every thread tries after finishing a page, so the run of
// finished pages is always followed to its end.
void advanceLoadNext(ConversionState& c, const WorkerJob& job, PageClaims& claims) {
    int next = c.thumbnailLoadNext;
    while (next >= 1 && next <= job.pageCount && claims.finished[next]) {
        if (!c.thumbnailLoadNext.compare_exchange_weak(next, next + 1)) continue;
        if (next == job.pageCount) {
            claims.sheetRequested = true;
            c.sheetBuildRequested = true;
        }
        ++next;
    }
}

// One thread's share: pages claimed one at a time until none is left or the worker is stopped.
void preparePages(ConversionState& c, const WorkerJob& job, PageClaims& claims) {
    EndedConverters converters(c.converterEnds, job.pageCount);
    for (int page = claims.nextToClaim++; page <= job.pageCount; page = claims.nextToClaim++) {
        if (!finishPage(c, job, page, converters)) return;
        claims.finished[page] = true;
        advanceLoadNext(c, job, claims);
    }
}

// The worker's own thread works through pages beside its helpers and joins them. Touches only
// files, images, the atomic flags, the notices of ended converters and its output, which the main
// thread reads only after sheetBuildRequested.
void runPageFileWorker(ConversionState& c, const WorkerJob& job) {
    PageClaims claims(c.thumbnailLoadNext, job.pageCount);
    std::vector<std::unique_ptr<media::Thread>> helpers;
    for (int i = 1; i < job.threads; ++i) {
        helpers.push_back(std::make_unique<media::Thread>());
        helpers.back()->start([&c, &job, &claims] { preparePages(c, job, claims); });
    }
    preparePages(c, job, claims);
    helpers.clear();
    // A job without pages to prepare still ends in a sheet, as one whose pages all came.
    if (!c.workerStop && !claims.sheetRequested) c.sheetBuildRequested = true;
    c.thumbnailGenerationActive = false;
    c.thumbnailsFromJpeg = false;
    c.workerRunning = false;
}

}  // namespace

// The grid is chosen here, from the page's fit size, and handed over as the worker's output.
void startPageFileWorker(Viewer& v) {
    ConversionState& c = v.conversion;
    const ThumbnailGrid grid =
        chooseThumbnailGrid(v.document.pageCount, v.view.pageFitWidth, v.view.pageFitHeight);
    c.workerOutput = {grid.columns, grid.rows, grid.cellWidth, grid.cellHeight};
    WorkerJob job{
        v.document.documentCacheFolder, v.document.pageCount,
        c.thumbnailsFromJpeg,           c.pageFileThreads > 0 ? c.pageFileThreads : media::processorCount(),
        std::max(grid.cellWidth, 1),    std::max(grid.cellHeight, 1)};
    PAGEWELL_CHECK(!c.workerRunning && c.thumbnailThread == PageFileWorker::none,
                   "no page-file worker runs already");
    c.worker.join();  // a worker of this document never ran; one of an earlier one has ended
    c.thumbnailThread = PageFileWorker::started;
    c.workerStop = false;
    c.workerRunning = true;
    if (!c.worker.start([&c, job] { runPageFileWorker(c, job); })) c.workerRunning = false;
}
