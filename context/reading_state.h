// Where the reader is: the page kept in the cache folder, the way back after a jump, the document's
// contents and the documents read lately.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The kept page and the jumps (view/reading_place.cpp, view/jumps.cpp).
struct PlaceState {
    int requestedPage = 0;       // asked for on the command line for the next opening; 0 none
    int pageToReach = 0;         // the kept page, shown once its image is made; 0 none
    int pageWhenAsked = 0;       // the page shown when that wish was made: a reader who moves cancels it
    bool keeping = false;        // the open document's page is kept (from the end of its opening on)
    int writtenPage = 0;         // the page LastRead.txt holds for it; 0: not written at this opening yet
    std::int64_t writtenAt = 0;  // when it was last written (the frame clock)
    std::vector<int> backStack;  // pages left by jumps, the latest last
};

// One entry of the document's outline, as the information program lists it.
struct OutlineEntry {
    int level = 1;  // 1 the top
    int page = 0;   // 0: the entry leads nowhere in this document
    std::string title;
};

// What the contents panel knows and shows (view/contents_panel.cpp).
enum class OutlineRead { notYet, reading, read };
struct ContentsState {
    OutlineRead outlineRead = OutlineRead::notYet;
    int readerProcess = 0;  // the information program writing a missing outline file; 0 none
    std::vector<OutlineEntry> entries;
    std::vector<bool> expanded;   // by entry: its children are listed
    std::vector<int> rows;        // the entries listed, top to bottom
    int currentEntry = -1;        // the chapter of the page shown when the panel opened
    int scrollY = 0;              // pixels of the list above the panel's first row
    bool pressed = false;         // a press on the list is held
    int pressY = 0, dragged = 0;  // where it went down; how far it has moved the list since
};

// A document read lately, as its cache folder tells it (document/recent.cpp).
struct RecentDocument {
    std::string path;         // the document's full path
    std::string cacheFolder;  // ends with "/"
    int pageCount = 0;
    int keptPage = 0;
    std::int64_t lastRead = 0;  // LastRead.txt's modification time, nanoseconds
};

// The recent documents as the welcome screen and the recent panel list them (app/recent_list.cpp).
struct RecentState {
    std::vector<RecentDocument> documents;
    bool listed = false;   // found and drawn for the welcome screen
    bool pressed = false;  // a press went down on a row or a button of the list
};

// The buttons beside other panels, as last drawn: -1 not yet, 0 greyed, 1 enabled
// (app/reading_steps.cpp).
struct ReadingButtons {
    int infoButtonsDrawn = -1;  // Contents and Recent documents under the information panel
    int hitListBackDrawn = -1;  // Back in the hit list's title band
};
