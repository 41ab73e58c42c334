// The open document, its cache folder, its information and the page conversion and page-file worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "context/numbers.h"
#include "context/page_queue.h"
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
    // The most the cache may take (Pagewell.ini, or the default at start); 0: not limited.
    std::int64_t cacheLimitBytes = 0;
    int cacheFolderHold = -1;        // the open document's cache folder, held against removal
    bool cacheDiskFullSaid = false;  // this opening has said that the cache's disk is full
    std::int64_t lastCacheDiskCheck = 0;
};

// Tool programs (fixed at start-up).
struct ToolState {
    std::string toolFolder;  // programFolder + "includes/bin64/"
    std::string pdftopngPath, pdfinfoPath, pdftotextPath;
    int textExtractorProcess = 0;  // the text extractor this viewer started last; exit stops it
    // The information program started ahead for a document named on the command line, and where its
    // output waits until the opening takes it.
    std::string aheadDocument, aheadOutput;
    int aheadProcess = 0;
    // Page 1's converter started ahead for that document, into its cache folder, at the resolution
    // most pages get (aheadDpi): the opening takes it as page 1's start when that is the document's.
    int aheadConverterProcess = 0;
    float aheadDpi = 0.0f;
    std::string aheadFolder;
    // The converter of the page the reader waits on (sharedPage) also puts the page into this memory,
    // ahead of its file; one such converter at a time.
    media::SharedMemory sharedPixels;
    int sharedPage = 0;
    // A document being converted starts its text extractor and outline reader once page 1 is on
    // screen (or its converter has ended without it): page 1 has the processor to itself.
    bool waitingForFirstPage = false;
    std::vector<std::string> startProblems;  // the opening's tools that could not be started, and why
    int startProblemSaid = 0;                // the message panel has been given the first
};

// Whether this document's page-file worker has been started.
enum class PageFileWorker { none, started };

// What the page-file worker hands to the main thread: written by the worker before it sets
// sheetBuildRequested, read by the main thread only once it has seen that flag.
struct PageFileOutput {
    int columns = 0, rows = 0;          // the thumbnail grid
    int cellWidth = 0, cellHeight = 0;  // one thumbnail's size
};

// Page conversion and the page-file worker. Flags shared with the worker are atomic; each has one
// writer at a time.
struct ConversionState {
    bool conversionRunning = false;  // converter starts are still due
    PageQueue pageQueue;             // which page each start is for: asked-for pages first, each once
    int converterProcess = 0;        // our page converter while it runs, else 0
    int converterPage = 0;           // the page it converts
    int convertersEnded = 0;         // how many of our converters have been seen ending
    // Each ended converter's page and exit status, for the page-file worker, which learns from it
    // that a page's file will not come; emptied when a conversion starts.
    media::NoticeBoard converterEnds;
    float conversionProgress = 0.0f;       // progress bar width in pixels
    bool progressBarRedrawn = false;       // cleared at each converter start; the loop re-zooms the bar once
    std::int64_t lastConversionCheck = 0;  // the last start, check for another program's converter,
                                           // or thumbnail request
    std::int64_t millisecondsSinceCheck = 0;
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
    PageFileOutput workerOutput;
    int pageFileThreads = 0;  // threads sharing the worker's pages; 0: one a processor core
    media::Thread worker;
};
