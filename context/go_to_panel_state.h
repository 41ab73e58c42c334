// The Go-to-page panel: a page number typed on either keyboard.
#pragma once

#include <optional>
#include <string>

struct GoToPanelState {
    bool goToPanelOpen = false;
    std::string typedNumber;         // digits only
    std::optional<int> missingPage;  // the last number given named no page: the panel says so
    bool pointerOverGoButton = false, pointerOverCancelButton = false;
    // What the panel sprite shows, so that it is redrawn only when that changes.
    std::optional<std::string> drawnNumber;
    std::optional<int> drawnMissingPage;
};
