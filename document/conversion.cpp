// Page conversion: page image files, the 50 ms tick, the progress bar and the page-file worker.
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

constexpr int checkIntervalMilliseconds = 50;

// The converter check the worker's give-up rule relies on, at most every 50 ms.
void pollConverterForWorker(ConversionState& c, std::int64_t now) {
    if (!c.thumbnailGenerationActive || now - c.lastConverterPoll <= checkIntervalMilliseconds) return;
    c.converterRunning = pageConverterRunning();
    c.lastConverterPoll = now;
}

void launchNextConverter(Viewer& v) {
    ConversionState& c = v.conversion;
    const int pageCount = v.document.pageCount;
    c.progressBarRedrawn = false;
    // Without a page count the bar cannot be divided: it shows full.
    if (pageCount > 0) {
        c.conversionProgress += static_cast<float>(static_cast<double>(v.layout.screenWidth) / pageCount);
    } else {
        c.conversionProgress = static_cast<float>(v.layout.screenWidth);
    }
    startPageConverter(v, c.nextPageToConvert);
    c.nextPageToConvert += 1;
    if (c.nextPageToConvert > pageCount) {
        c.conversionRunning = false;
        c.thumbnailsWanted = pageCount != 1;
    }
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
    c.nextPageToConvert = 1;
    c.conversionRunning = true;
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
        c.thumbnailThread == PageFileWorker::none) {
        startPageFileWorker(v);
    }
    pollConverterForWorker(c, now);
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

void stopPageFileWorker(Viewer& v) {
    ConversionState& c = v.conversion;
    c.workerStop = true;
    c.worker.join();
    c.workerStop = false;
    c.workerRunning = false;
}
