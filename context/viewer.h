// The viewer context: every module's state gathered in one object, so that each test starts fresh.
#pragma once

#include <string>

#include "context/about_state.h"
#include "context/document_state.h"
#include "context/frame_state.h"
#include "context/go_to_panel_state.h"
#include "context/keyboard_state.h"
#include "context/layout.h"
#include "context/numbers.h"
#include "context/password_state.h"
#include "context/reading_state.h"
#include "context/sharp_layer_state.h"
#include "context/text_state.h"
#include "context/view_state.h"
#include "media/system/system.h"

struct Viewer {
    Layout layout;
    FrameState frame;
    DocumentState document;
    ToolState tools;
    ConversionState conversion;
    PageViewState view;
    SharpLayerState sharp;
    SheetState sheet;
    TextState text;
    SearchState search;
    KeyboardState keyboard;
    AboutState about;
    PasswordState password;
    PlaceState place;
    ContentsState contents;
    RecentState recent;
    ReadingButtons readingButtons;
    GoToPanelState goToPanel;

    Viewer() = default;
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    // Workers use the state above; they are stopped and joined before any of it goes.
    ~Viewer() {
        conversion.workerStop = true;
        conversion.converterEnds.wakeAll();
        conversion.worker.join();
        search.worker.join();
        media::keepNewFilesPrivate(false);  // a locked document's private files end with it
    }
};

// How the viewer is started; tests fill it, the program takes the defaults.
struct StartOptions {
    std::string programFolder;   // empty: the executable's folder, its cache with the temporary-folder rule
    std::string documentToOpen;  // a PDF named on the command line
    int pageToOpen = 0;          // the page asked for it (--page); 0: the kept page
    int desktopWidth = 0, desktopHeight = 0;  // 0: the real desktop
};
