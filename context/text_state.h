// The extracted-text store, the text view's copy latch and the search.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "media/system/system.h"

struct PageText {
    std::string text;  // normalised, UTF-8
    int page = 0;
};

struct TextState {
    bool textExtractionPending = false;  // TextualData.txt is read once it is there
    std::int64_t textReadFromFrame = 0;  // not before this many frames are flipped (a cached text)
    std::vector<PageText> pageTexts;
    std::vector<std::vector<std::string>> textLines;  // [page 0..pageCount][line 0..textViewLastLine]
    long long extractedWordCount = 0;
    bool copyArmed = false;
};

struct SearchHit {
    std::string snippet;  // at most 55 display columns from the first match
    std::string pageLabel;
    int page = 0;
    int rowY = 0;
};

// Where the search worker stands: idle (or its last result drawn), running, or finished with a
// result the hit list has not drawn yet.
enum class SearchWorker { idle, running, finished };

struct SearchState {
    std::string searchWord;
    std::string searchWordAtFrameStart;
    std::string searchWordForWorker;    // the word as it stood when the search was started
    std::vector<SearchHit> searchHits;  // main thread only: the result drawn in the hit list
    std::vector<SearchHit> workerHits;  // the worker's result; the main thread takes it once finished
    int pointerYInHitList = 0;
    bool onScreenEnterPressed = false;
    std::atomic<SearchWorker> searchWorkerState{SearchWorker::idle};
    media::Thread worker;
};
