// Panels that take a short entry from either keyboard (a password, a page number), drawn like the
// search panel and touch-sized: a title, a white field with the panel's button beside it, and a
// message line with Cancel below.
#pragma once

#include <string>

#include "context/viewer.h"

// The panel's sprite and those of its two buttons.
struct EntryPanelSprites {
    int panel = 0, button = 0, cancel = 0;
};

// The panel's rows, in the panel sprite's own coordinates.
struct EntryPanelRows {
    int margin = 0;       // mediumFontSize, the search panel's unit
    int fieldHeight = 0;  // the field's and the buttons' height
    int buttonX = 0;      // left edge of the button and Cancel
    int fieldY = 0;       // the field and the button
    int cancelY = 0;      // the message line and Cancel
};
EntryPanelRows entryPanelRows(const Viewer& v, const EntryPanelSprites& sprites);

// The panel as wide as the search panel, with its button labelled buttonLabel and Cancel.
void createEntryPanel(const Viewer& v, const EntryPanelSprites& sprites, const std::string& buttonLabel);

struct EntryPanelText {
    std::string title;
    std::string field;  // shown as it is, from the field's left
    std::string message;
    bool warning = false;  // the message in yellow
};
void drawEntryPanel(const Viewer& v, const EntryPanelSprites& sprites, const EntryPanelText& text);

// Draw step: the panel over the page with its buttons, and the on-screen keyboard. Which button the
// pointer is over (none while a zoom drag goes on).
struct EntryPanelHover {
    bool button = false, cancel = false;
};
EntryPanelHover displayEntryPanel(Viewer& v, const EntryPanelSprites& sprites);
