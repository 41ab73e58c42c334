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
    bool documentIsCached = false;
    int pageCount = 0;       // pages to convert, extract and thumbnail
    int pageCountShown = 1;  // the page counter's total and the flip bound
    std::vector<std::string> infoLines;
    int infoPanelTextWidth = 10;  // measured width the information panel grows from
    int infoPanelTextHeight = 0;
    bool documentUnreadable = false;  // the information program gave no page count: message shown
    // The document is locked by a password: its cache folder and files are readable by the user
    // alone, and the tools get documentPassword, kept for this opening only and never written.
    bool documentNeedsPassword = false;
    int informationStatus = 0;  // the information program's exit status at this opening
    std::string documentPassword;
    // From the "Page size:" line.
    std::string pageWidthText = "0", pageHeightText = "0";
    float pageWidthPoints = 0.0f, pageHeightPoints = 0.0f;
    float renderDpi = 0.0f;
    float fallbackDpi = 600.0f;
    bool textExtractionPending = false;  // the text store reads TextualData.txt once it is there
    std::int64_t textReadFromFrame =
        0;  // the opening: a cached text waits until this many frames are flipped
};

// Tool programs (fixed at start-up).
struct ToolState {
    std::string toolFolder;  // programFolder + "includes/bin64/"
    std::string pdftopngPath, pdfinfoPath, pdftotextPath;
    std::vector<std::string> startProblems;  // the opening's tools that could not be started, and why
    int startProblemSaid = 0;                // the message panel has been given the first
};

// Whether this document's page-file worker has been started.
enum class PageFileWorker { none, started };

// Page conversion and the page-file worker. Flags shared with the worker are atomic; each has one
// writer at a time.
struct ConversionState {
    bool conversionRunning = false;  // converter starts are still due
    int nextPageToConvert = 0;
    int converterProcess = 0;         // the last page converter this viewer started
    float conversionProgress = 0.0f;  // progress bar width in pixels
    bool progressBarRedrawn = false;  // cleared at each converter start; the loop re-zooms the bar once
    std::int64_t lastConversionCheck = 0;
    std::int64_t millisecondsSinceCheck = 0;
    bool firstPageShown = false;
    int lastSeenConvertPage = 0;
    std::string pageImageBase;       // the page looked up last, without extension
    std::string pageImageExtension;  // ".png" or ".jpg" chosen by the last lookup

    bool thumbnailsWanted = false;
    std::atomic<bool> thumbnailGenerationActive{false};
    PageFileWorker thumbnailThread = PageFileWorker::none;  // whether one started for this document
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> workerStop{false};  // opening another document asks the worker to stop
    std::atomic<bool> thumbnailsFromJpeg{false};
    std::atomic<int> thumbnailLoadNext{0};
    std::atomic<bool> sheetBuildRequested{false};
    // Whether a page converter runs, polled by the main thread (the 50 ms gate) while the worker
    // runs, so that the worker can give up on a page whose file will never come.
    std::atomic<bool> converterRunning{true};
    std::int64_t lastConverterPoll = 0;
    int pageFileThreads = 0;  // threads sharing the worker's pages; 0: one a processor core
    media::Thread worker;
};
