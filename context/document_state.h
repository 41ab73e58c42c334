// The open document, its cache folder, its information and the page conversion and page-file worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "context/numbers.h"
#include "media/system/system.h"

struct DocumentState {
    std::string documentPath;         // full path of the open PDF; empty before the first
    std::string documentSizeText;     // the PDF's size in bytes, decimal
    std::string documentCacheFolder;  // ends with "/"
    int documentIsCached = 0;
    int pageCount = 0;       // pages to convert, extract and thumbnail
    int pageCountShown = 1;  // the page counter's total and the flip bound
    std::vector<std::string> infoLines;
    int infoPanelTextWidth = 10;  // measured width the information panel grows from
    int infoPanelTextHeight = 0;
    int documentUnreadable = 0;  // the information program gave no page count: message shown
    // The document is locked by a password: its cache folder and files are readable by the user
    // alone, and the tools get documentPassword, kept for this opening only and never written.
    int documentNeedsPassword = 0;
    int informationStatus = 0;  // the information program's exit status at this opening
    std::string documentPassword;
    // From the "Page size:" line.
    std::string pageWidthText = "0", pageHeightText = "0";
    float pageWidthPoints = 0.0f, pageHeightPoints = 0.0f;
    float renderDpi = 0.0f;
    float fallbackDpi = 600.0f;
    int textExtractionPending = 0;  // the text store reads TextualData.txt once it is there
    // The most the cache may take (Pagewell.ini, or the default at start); 0: not limited.
    std::int64_t cacheLimitBytes = 0;
    int cacheFolderHold = -1;   // the open document's cache folder, held against removal
    int cacheDiskFullSaid = 0;  // this opening has said that the cache's disk is full
    std::int64_t lastCacheDiskCheck = 0;
    std::int64_t textReadFromFrame =
        0;  // the opening: a cached text waits until this many frames are flipped
};

// Tool programs (fixed at start-up).
struct ToolState {
    int toolBitness = 64;
    std::string toolFolder;  // programFolder + "includes/bin64/"
    std::string pdftopngPath, pdfinfoPath, pdftotextPath;
};

// Page conversion and the page-file worker. Flags shared with the worker are atomic; each has one
// writer at a time.
struct ConversionState {
    int conversionRunning = 0;  // converter starts are still due
    int nextPageToConvert = 0;
    int converterProcess = 0;         // the last page converter this viewer started
    float conversionProgress = 0.0f;  // progress bar width in pixels
    int progressBarRedrawn = 0;       // 0 after each converter start; the loop re-zooms the bar once
    std::int64_t lastConversionCheck = 0;
    std::int64_t millisecondsSinceCheck = 0;
    int firstPageShown = 0;
    int lastSeenConvertPage = 0;
    std::string pageImageBase;       // the page looked up last, without extension
    std::string pageImageExtension;  // ".png" or ".jpg" chosen by the last lookup

    int thumbnailsWanted = 0;
    std::atomic<int> thumbnailGenerationActive{0};
    int thumbnailThread = none;  // no worker started for this document
    std::atomic<int> workerRunning{0};
    std::atomic<int> workerStop{0};  // opening another document asks the worker to stop
    std::atomic<int> thumbnailsFromJpeg{0};
    std::atomic<int> thumbnailLoadNext{0};
    std::atomic<int> sheetBuildRequested{0};
    // Whether a page converter runs, polled by the main thread (the 50 ms gate) while the worker
    // runs, so that the worker can give up on a page whose file will never come.
    std::atomic<int> converterRunning{1};
    std::int64_t lastConverterPoll = 0;
    int pageFileThreads = 0;  // threads sharing the worker's pages; 0: one a processor core
    media::Thread worker;
};
