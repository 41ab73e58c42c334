// Page conversion: page image files, the converter starts with their order and 50 ms gate, the
// progress bar and the page-file worker's start and end.
#include "document/conversion.h"

#include <cstdio>

#include "context/check.h"
#include "context/fitting.h"
#include "context/helpers.h"
#include "context/viewer.h"
#include "document/page_file_worker.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/system/system.h"

namespace {

// Later starts are at least this far apart, and another program's converter is looked for in the
// process list at most this often.
constexpr int checkIntervalMilliseconds = 50;

void converterEnded(ConversionState& c, int status) {
    c.converterEnds.post({c.converterPage, status});
    c.converterProcess = 0;
    c.convertersEnded += 1;
}

// Page 1 until it shows, and a page asked for (End pressed before page 1 showed asks for one while
// the reader still waits on page 1): its converter also hands its pixels over.
bool readerWaitsOn(const Viewer& v, int page) {
    if (v.document.pageCount == 1) return false;
    return (page == 1 && !v.view.firstPageShown) || (page != 0 && page == v.view.awaitedPage);
}

// Our converter, followed by its process id: once it has ended, its page's file is complete or
// will never come.
void noticeConverterEnd(Viewer& v) {
    ConversionState& c = v.conversion;
    if (c.converterProcess == 0) return;
    const std::optional<int> status = media::takeExitStatus(c.converterProcess);
    if (!status) return;
    converterEnded(c, *status);
    // The page it shared stays for the reader who waits on it: taken whole, it spares decoding the file.
    if (v.tools.sharedPage == c.converterPage && !readerWaitsOn(v, c.converterPage))
        releaseSharedPage(v.tools);
}

void growProgressBar(Viewer& v) {
    ConversionState& c = v.conversion;
    const int pageCount = v.document.pageCount;
    c.progressBarRedrawn = false;
    // Without a page count the bar cannot be divided: it shows full.
    if (pageCount > 0) {
        c.conversionProgress += static_cast<float>(static_cast<double>(v.layout.screenWidth) / pageCount);
    } else {
        c.conversionProgress = static_cast<float>(v.layout.screenWidth);
    }
}

// The next page's converter starts, unless it runs already (page 1's, started ahead of the opening).
void launchNextConverter(Viewer& v, int runningConverter = 0) {
    ConversionState& c = v.conversion;
    const int page = c.pageQueue.next();
    growProgressBar(v);
    if (page > 0) {
        c.pageQueue.markStarted(page);
        c.converterPage = page;
        c.converterProcess =
            runningConverter != 0 ? runningConverter : startPageConverter(v, page, readerWaitsOn(v, page));
        // One that could not start has ended as far as its page is concerned.
        if (c.converterProcess == 0) converterEnded(c, -1);
    }
    if (c.pageQueue.allStarted()) {
        c.conversionRunning = false;
        c.thumbnailsWanted = v.document.pageCount != 1;
    }
}

// The next start, unless another program's converter runs; either way the check is counted. With no
// page left to start (no page count) the conversion ends without one.
void startUnlessAnotherRuns(Viewer& v, std::int64_t now) {
    v.conversion.lastConversionCheck = now;
    if (v.conversion.pageQueue.next() == 0 || !pageConverterRunning()) launchNextConverter(v);
}

}  // namespace

std::string pageImageBase(const std::string& cacheFolder, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "%06d", page);
    return cacheFolder + "page-" + number;
}

std::string pageImageBase(const Viewer& v, int page) {
    return pageImageBase(v.document.documentCacheFolder, page);
}

std::string findPageImage(const Viewer& v, int page) {
    const std::string base = pageImageBase(v, page);
    if (media::filePresent(base + ".jpg")) return base + ".jpg";
    if (media::filePresent(base + ".png")) return base + ".png";
    return {};
}

std::string pageImageFile(Viewer& v, int page) {
    ConversionState& c = v.conversion;
    std::string file = findPageImage(v, page);
    c.pageImageBase = pageImageBase(v, page);
    if (!file.empty()) c.pageImageExtension = file.substr(file.size() - 4);
    return file;
}

void startConversion(Viewer& v) {
    ConversionState& c = v.conversion;
    c.conversionProgress = 0.0f;
    stopOwnPageConverter(v);
    c.pageQueue.reset(v.document.pageCount);
    c.converterEnds.clear();  // no worker runs: opening stopped it
    c.conversionRunning = true;
    const int firstPageAhead = c.pageQueue.next() == 1 ? takeFirstPageAhead(v) : 0;
    if (firstPageAhead == 0) {
        startUnlessAnotherRuns(v, media::elapsedMilliseconds());
        return;
    }
    c.lastConversionCheck = media::elapsedMilliseconds();  // the opening's start: the gate follows
    launchNextConverter(v, firstPageAhead);
}

// The next start comes before this frame notices an end: a converter seen ending starts its successor
// in the next frame, once the frame that noticed it has shown the page it made, if that was waited on.
// A page asked for meanwhile is waited on instead: it starts in the frame that noticed the end.
void conversionTick(Viewer& v) {
    ConversionState& c = v.conversion;
    const std::int64_t now = media::elapsedMilliseconds();
    if (c.conversionRunning || c.thumbnailGenerationActive) {
        c.millisecondsSinceCheck = now - c.lastConversionCheck;
    }
    const bool gateOpen = c.millisecondsSinceCheck > checkIntervalMilliseconds;
    if (gateOpen && c.conversionRunning && c.converterProcess == 0) startUnlessAnotherRuns(v, now);
    noticeConverterEnd(v);
    if (gateOpen && c.conversionRunning && c.converterProcess == 0 && c.pageQueue.askedPageWaiting())
        startUnlessAnotherRuns(v, now);
    if (gateOpen && c.thumbnailGenerationActive && c.thumbnailThread == PageFileWorker::none) {
        startPageFileWorker(v);
    }
}

void askForPage(Viewer& v, int page) {
    if (v.conversion.conversionRunning) v.conversion.pageQueue.ask(page);
}

void progressBarStep(Viewer& v) {
    ConversionState& c = v.conversion;
    if (!c.conversionRunning || c.progressBarRedrawn) return;
    c.progressBarRedrawn = true;
    media::zoomSprite(sprite::progressBar, nearest(c.conversionProgress),
                      media::spriteHeight(sprite::progressBar));
}

void thumbnailRequest(Viewer& v) {
    ConversionState& c = v.conversion;
    if (!c.thumbnailsWanted || v.document.pageCount <= 1) return;
    c.thumbnailsWanted = false;
    c.thumbnailGenerationActive = true;
    c.thumbnailLoadNext = 1;
    c.lastConversionCheck = media::elapsedMilliseconds();
}

bool takeSheetRequest(Viewer& v, PageFileOutput& grid) {
    ConversionState& c = v.conversion;
    if (!c.sheetBuildRequested.exchange(false)) return false;
    grid = c.workerOutput;
    c.thumbnailGenerationActive = false;
    return true;
}

void finishSinglePageDocument(Viewer& v) {
    v.document.pageCount = 0;
}

void stopPageFileWorker(Viewer& v) {
    ConversionState& c = v.conversion;
    c.workerStop = true;
    c.converterEnds.wakeAll();
    c.worker.join();
    c.workerStop = false;
    c.workerRunning = false;
}
