// The tool bar's faces, tool tips, the welcome panel and the fixed message panels, drawn at start-up.
#pragma once

#include "context/viewer.h"

void drawToolTips(Viewer& v);
void drawWelcome(Viewer& v);  // the logo (119) and the welcome panel (6)
bool welcomeDrawn();
void drawMessagePanels(Viewer& v);       // page-not-ready (8), page counter (9); 12 is the sheet's
void drawToolbar(Viewer& v);             // faces, hover overlays, positions, the band
void drawInfoPlaceholder(Viewer& v);     // infoPanel (80) "Load a PDF first..."
void drawSearchPanelSprites(Viewer& v);  // 81..84
struct TextViewSize {
    int width;
    int height;
};
TextViewSize textViewSize(const Layout& layout);  // between the strips, below the tool bar
void drawTextView(const Layout& layout);          // textView (86) "Load a PDF first..."
// Shows a centred message panel in the information panel's place (the document cannot be read).
void showMessagePanel(Viewer& v, const std::string& text);
// A tool program that could not be started, said in the message panel by the frame after it.
void sayToolProblem(Viewer& v);
