// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "about/about.h"

void prepareAboutTune(Viewer& v) { (void)v; }
void drawAboutSprites(Viewer& v) { (void)v; }
void aboutScreen(Viewer& v) { (void)v; }
