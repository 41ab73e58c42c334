// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "app/app.h"
#include "app/panels.h"

bool startUp(Viewer& v, const StartOptions& options) { (void)v; (void)options; return {}; }
bool runFrame(Viewer& v) { (void)v; return {}; }
void exitSequence(Viewer& v) { (void)v; }
int runPagewell(int argc, char** argv) { (void)argc; (void)argv; return {}; }
bool pointerOver(const Viewer& v, int target, int x, int y) { (void)v; (void)target; (void)x; (void)y; return {}; }
void drawToolTips(Viewer& v) { (void)v; }
void drawWelcomePanel(Viewer& v) { (void)v; }
void drawMessagePanels(Viewer& v) { (void)v; }
void drawToolbar(Viewer& v) { (void)v; }
void drawInfoPlaceholder(Viewer& v) { (void)v; }
void drawSearchPanelSprites(Viewer& v) { (void)v; }
void drawSearchHeader(Viewer& v) { (void)v; }
void drawPageCounter(Viewer& v) { (void)v; }
void showMessagePanel(Viewer& v, const std::string& text) { (void)v; (void)text; }
