// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "text/search.h"
#include "text/text_store.h"
#include "text/text_view.h"

std::vector<SearchHit> searchPages(const std::vector<PageText>& pages, const std::string& word) { (void)pages; (void)word; return {}; }
void displaySearchPanel(Viewer& v) { (void)v; }
void displayHitList(Viewer& v) { (void)v; }
void displayHitCursor(Viewer& v) { (void)v; }
void searchButtonHover(Viewer& v) { (void)v; }
void typeSearchWord(Viewer& v) { (void)v; }
void startSearch(Viewer& v) { (void)v; }
void renderHitList(Viewer& v) { (void)v; }
void pickSearchHit(Viewer& v) { (void)v; }
void redrawSearchHeaderIfChanged(Viewer& v) { (void)v; }
std::vector<PageText> splitPages(const std::string& fileBytes) { (void)fileBytes; return {}; }
std::string normalisePageText(const std::string& text) { (void)text; return {}; }
long long countBlanks(const std::string& text) { (void)text; return {}; }
std::vector<std::string> cutDisplayLines(const std::string& text, int lineChars, int maxLines) { (void)text; (void)lineChars; (void)maxLines; return {}; }
void loadExtractedText(Viewer& v) { (void)v; }
void showTextView(Viewer& v) { (void)v; }
void checkCopyKeys(Viewer& v) { (void)v; }
