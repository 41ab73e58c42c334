// The search: the panel's display and hover, typing the word, the worker, the hit list, picking a hit.
#include "text/search.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "context/helpers.h"
#include "context/palette.h"
#include "context/viewer.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/text/text.h"
#include "text/text_store.h"
#include "view/jumps.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace {

// A snippet fills at most this many display columns: 55 characters of most scripts, fewer wide ones.
constexpr std::size_t snippetColumns = 55;
constexpr int maxListedHits = 46;

// Folds text one character at a time, so that a match in the folded text can be traced back to the
// character of the original text it starts in (folding may change byte lengths: "ß" becomes "ss").
// ASCII is folded here; other characters go to the media layer once each and are remembered.
class CaseFolder {
public:
    // Appends the folding of the character of length bytes at pos; returns the bytes appended.
    std::size_t append(std::string& out, const std::string& s, std::size_t pos, std::size_t length) {
        const auto lead = static_cast<unsigned char>(s[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead);
            return 1;
        }
        const std::string& folded = foldedCharacter(s, pos, length);
        out += folded;
        return folded.size();
    }

    std::string fold(const std::string& s) {
        std::string out;
        out.reserve(s.size());
        for (std::size_t pos = 0; pos < s.size();) {
            const std::size_t length = media::decodeUtf8(s, pos).length;
            append(out, s, pos, length);
            pos += length;
        }
        return out;
    }

    // Byte offset of the original character whose folding holds byte foldedPos of fold(s).
    std::size_t originalOffset(const std::string& s, std::size_t foldedPos) {
        std::size_t foldedEnd = 0;
        std::string scratch;
        for (std::size_t pos = 0; pos < s.size();) {
            const std::size_t length = media::decodeUtf8(s, pos).length;
            scratch.clear();
            foldedEnd += append(scratch, s, pos, length);
            if (foldedEnd > foldedPos) return pos;
            pos += length;
        }
        return s.size();
    }

private:
    const std::string& foldedCharacter(const std::string& s, std::size_t pos, std::size_t length) {
        std::uint32_t key = 0;
        for (std::size_t i = 0; i < length; ++i) key = key << 8 | static_cast<unsigned char>(s[pos + i]);
        auto found = cache_.find(key);
        if (found == cache_.end()) found = cache_.emplace(key, media::caseFold(s.substr(pos, length))).first;
        return found->second;
    }

    std::unordered_map<std::uint32_t, std::string> cache_;
};

std::string snippetFrom(const std::string& text, std::size_t start) {
    const std::size_t end = advanceColumns(text, start, snippetColumns);
    return text.substr(start, end - start);
}

int panelX(const Viewer& v) {
    return innerWindowWidth(v) / 2 - media::spriteWidth(sprite::searchHeader) / 2;
}
int searchGoX(const Viewer& v) {
    return panelX(v) + nearest(media::spriteWidth(sprite::searchHeader) / 1.3);
}
int searchGoY(const Viewer& v) {
    return media::spriteHeight(sprite::toolbar) + 3 * v.layout.mediumFontSize;
}
int hitListX(const Viewer& v) {
    return innerWindowWidth(v) / 2 - media::spriteWidth(sprite::searchList) / 2;
}
int hitListTop() {
    return media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
}

// Runs on the worker thread: reads pageTexts and the word copied at the start, writes only its own
// result and, last, the finished marker.
void searchWorker(Viewer& v) {
    v.search.workerHits = searchPages(v.text.pageTexts, v.search.searchWordForWorker);
    v.search.searchWorkerState.store(SearchWorker::finished);
}

// Rows from 3f down, f apart; the 47th hit takes the notice row, later hits get no row (rowY 0).
void assignRows(std::vector<SearchHit>& hits, int f) {
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const int row = static_cast<int>(i);
        hits[i].rowY = row <= maxListedHits ? 3 * f + f * row : 0;
    }
}

void drawHitRows(const std::vector<SearchHit>& hits, int f) {
    media::setFont(font::base);
    for (std::size_t i = 0; i < hits.size() && i < maxListedHits; ++i) {
        media::drawText(f, hits[i].rowY, hits[i].snippet + "...:" + hits[i].pageLabel, palette::white);
    }
    if (hits.size() > maxListedHits) {
        media::drawText(f, 3 * f + maxListedHits * f,
                        "...displayed max 46 hits above. All hits marked in thumbnails.",
                        media::rgb(255, 255, 0));
    }
}

// The title names the word that was searched, which the panel may no longer show.
void drawHitList(const Viewer& v) {
    const int f = v.layout.largeFontSize;
    const int width = media::spriteOwnWidth(sprite::searchList);
    const auto& hits = v.search.searchHits;
    if (media::beginDrawing(sprite::searchList)) {
        media::fillBox(0, 0, width, media::spriteOwnHeight(sprite::searchList), palette::panelGrey);
        media::setDrawingMode(media::mode::transparent);
        media::setFont(font::large);
        const std::string title =
            std::to_string(hits.size()) + " hits for '" + v.search.searchWordForWorker + "'";
        media::drawText(f, f, title, palette::white);
        drawHitRows(hits, f);
        media::endDrawing();
    }
    const int rows = hits.size() > maxListedHits ? maxListedHits + 1 : static_cast<int>(hits.size());
    media::clipSprite(sprite::searchList, 0, 0, width, 3 * f + f * rows);
}

// The list's drawn height below its top: the title band and one row per listed hit (the notice row
// counts as the 47th).
int listedRowsBottom(const Viewer& v) {
    const int f = v.layout.largeFontSize;
    const auto hits = static_cast<int>(v.search.searchHits.size());
    return 3 * f + f * (hits > maxListedHits ? maxListedHits + 1 : hits);
}

}  // namespace

std::vector<SearchHit> searchPages(const std::vector<PageText>& pages, const std::string& word) {
    std::vector<SearchHit> hits;
    CaseFolder folder;
    const std::string foldedWord = folder.fold(word);
    if (foldedWord.empty()) return hits;
    for (const PageText& record : pages) {
        if (record.text.empty()) continue;
        const std::size_t at = folder.fold(record.text).find(foldedWord);
        if (at == std::string::npos) continue;
        const std::size_t start = folder.originalOffset(record.text, at);
        hits.push_back({snippetFrom(record.text, start), std::to_string(record.page), record.page, 0});
    }
    return hits;
}

void displaySearchPanel(Viewer& v) {
    if (!v.frame.searchPanelOpen) return;
    media::displaySprite(sprite::searchHeader, panelX(v), media::spriteHeight(sprite::toolbar));
    media::displaySprite(sprite::searchGo, searchGoX(v), searchGoY(v));
}

void displayHitList(Viewer& v) {
    if (!v.frame.searchPanelOpen || v.search.searchHits.empty()) return;
    media::displaySprite(sprite::searchList, hitListX(v), hitListTop());
}

// The row marker follows the pointer over the list's rows: the title band above them and the grey
// sprite's empty rest below them are not the list, so the page and the keyboard there keep their presses.
void displayHitCursor(Viewer& v) {
    FrameState& frame = v.frame;
    frame.pointerOverHitList = false;
    if (!frame.searchPanelOpen || frame.textViewOpen || v.search.searchHits.empty()) return;
    const int x = media::mouseX(), y = media::mouseY();
    const int top = hitListTop();
    if (!media::spritesOverlap(sprite::pointer, x, y, sprite::searchList, hitListX(v),
                               top - v.layout.baseFontSize / 2)) {
        return;
    }
    const int rowsStart = nearest(top + 2.5 * v.layout.largeFontSize);
    if (y - media::spriteHeight(sprite::pointer) / 2 <= rowsStart) return;
    if (y - top > listedRowsBottom(v)) return;
    frame.pointerOverHitList = true;
    v.search.pointerYInHitList = y - top;
    media::displayTransparentSprite(sprite::searchCursor, hitListX(v),
                                    y - media::spriteHeight(sprite::searchCursor) / 2, 100);
}

void searchButtonHover(Viewer& v) {
    FrameState& frame = v.frame;
    frame.pointerOverSearchButton = frame.searchPanelOpen && !frame.zoomDragging &&
                                    pointerOver(sprite::searchGo, searchGoX(v), searchGoY(v));
    // The button also searches for an empty word, which finds nothing.
    if (frame.frameEvent == media::WindowEvent::leftUp && frame.pointerOverSearchButton) startSearch(v);
}

void typeSearchWord(Viewer& v) {
    if (!v.frame.searchPanelOpen || !v.frame.searchInputActive) return;
    SearchState& search = v.search;
    search.searchWordAtFrameStart = search.searchWord;
    const bool hasWord = !search.searchWord.empty();
    if (hasWord && media::keyReleased(media::scan::backspace)) {
        search.searchWord = media::withoutLastCharacter(search.searchWord);
    } else if (hasWord && media::keyReleased(media::scan::enter)) {
        startSearch(v);
    } else if (hasWord && search.onScreenEnterPressed) {
        search.onScreenEnterPressed = false;
        startSearch(v);
    } else {
        const std::string typed = media::typedCharacter();
        if (media::firstCodePoint(typed) > 31) search.searchWord += typed;
    }
}

// The running state is set before the thread starts, so a worker that finishes at once is never
// overwritten; a search that is still running is not started again.
void startSearch(Viewer& v) {
    SearchState& search = v.search;
    if (search.searchWorkerState.load() == SearchWorker::running) return;
    search.worker.join();
    search.searchWordForWorker = search.searchWord;
    search.searchWorkerState.store(SearchWorker::running);
    if (!search.worker.start([&v] { searchWorker(v); })) search.searchWorkerState.store(SearchWorker::idle);
}

void renderHitList(Viewer& v) {
    SearchState& search = v.search;
    if (search.searchWorkerState.load() != SearchWorker::finished) return;
    search.worker.join();
    search.searchHits = std::move(search.workerHits);
    search.workerHits.clear();
    assignRows(search.searchHits, v.layout.largeFontSize);
    drawHitList(v);
    markHitsOnSheet(v);
    search.searchWorkerState.store(SearchWorker::idle);
}

void pickSearchHit(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.frameEvent != media::WindowEvent::leftUp || !frame.searchPanelOpen ||
        !frame.pointerOverHitList || frame.pointerOverSearchButton) {
        return;
    }
    const int y = v.search.pointerYInHitList;
    const int rowHeight = v.layout.largeFontSize;
    const SearchHit* picked = nullptr;
    // Neighbouring rows share their boundary; the later (lower) row wins it.
    for (const SearchHit& hit : v.search.searchHits) {
        if (hit.rowY <= y && y <= hit.rowY + rowHeight) picked = &hit;
    }
    if (picked == nullptr) return;
    rememberJump(v, v.view.currentPage);
    endGesturesForPick(frame);
    goToPage(v, picked->page);
}

void redrawSearchHeaderIfChanged(Viewer& v) {
    const FrameState& frame = v.frame;
    if (frame.searchPanelOpen && frame.searchInputActive &&
        v.search.searchWord != v.search.searchWordAtFrameStart) {
        drawSearchHeader(v);
    }
}

// A search still running would write into the hit list being emptied: it is waited for.
void resetSearch(Viewer& v) {
    v.search.worker.join();
    v.search.searchWorkerState = SearchWorker::idle;
    v.search.searchHits.clear();
    if (media::beginDrawing(sprite::searchList)) {
        media::fillBox(0, 0, media::spriteOwnWidth(sprite::searchList),
                       media::spriteOwnHeight(sprite::searchList), palette::panelGrey);
        media::endDrawing();
    }
}

void drawSearchHeader(Viewer& v) {
    int w = media::spriteOwnWidth(sprite::searchHeader);
    int h = media::spriteOwnHeight(sprite::searchHeader);
    int m = v.layout.mediumFontSize;
    int fieldHeight = nearest(h / 2.5);
    if (!media::beginDrawing(sprite::searchHeader)) return;
    media::fillBox(0, 0, w, h, palette::panelGrey);
    media::fillBox(m, 3 * m, nearest(w / 1.3), fieldHeight, palette::white);
    media::setFont(font::medium);
    media::drawText(m + v.layout.baseFontSize, 4 * m, v.search.searchWord, palette::black, palette::white);
    media::fillBox(nearest(w / 1.3), 3 * m, nearest(w / 4.95), fieldHeight, palette::buttonGreen);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, w, h, palette::black);
    media::fillBox(m, 3 * m, nearest(w / 1.05), fieldHeight, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    const std::string title = "Search (Results marked in Thumbnails)";
    media::drawText(w / 2 - media::textWidth(title) / 2, m, title, palette::white);
    media::endDrawing();
}
