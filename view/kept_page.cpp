// The kept page: the opening's first page, the move to it once made, and LastRead.txt kept current.
#include "view/kept_page.h"

#include <algorithm>
#include <utility>

#include "document/conversion.h"
#include "document/reading_place.h"
#include "media/system/system.h"
#include "view/jumps.h"
#include "view/page_view.h"

namespace {

// A crash loses at most this much of the reader's moves.
constexpr std::int64_t placeWriteInterval = 1000;

// The page the reader is at, or on the way to.
int placePage(const Viewer& v) {
    return v.place.pageToReach > 0 ? v.place.pageToReach : v.view.currentPage;
}

// The opening's first write also clears away what a crash left of an earlier one.
void writePlace(Viewer& v) {
    PlaceState& place = v.place;
    const int page = placePage(v);
    const bool first = place.writtenPage == 0;
    place.writtenAt = media::elapsedMilliseconds();
    if (!writeReadingPlace(v.document.documentCacheFolder, {page, v.document.documentPath})) return;
    place.writtenPage = page;
    if (first) clearInterruptedPlaceWrites(v.document.documentCacheFolder);
}

}  // namespace

int choosePageToOpenAt(Viewer& v) {
    const int count = v.document.pageCountShown;
    const int requested = std::exchange(v.place.requestedPage, 0);
    int page = std::min(requested, count);
    if (requested <= 0) {
        const int kept = readReadingPlace(v.document.documentCacheFolder).page;
        page = kept >= 1 && kept <= count ? kept : 1;
    }
    if (v.document.documentIsCached) v.view.currentPage = page;
    return page;
}

// The file is written after the flip of the frame that shows the page, not before it.
void beginKeepingPlace(Viewer& v, int page) {
    if (v.document.documentUnreadable || v.document.documentCacheFolder.empty()) return;
    if (page != v.view.currentPage) moveToPageWhenMade(v, page);
    v.place.keeping = true;
    v.place.writtenPage = 0;
    v.place.writtenAt = media::elapsedMilliseconds() - placeWriteInterval;
}

void moveToPageWhenMade(Viewer& v, int page) {
    v.place.pageToReach = page;
    v.place.pageWhenAsked = v.view.currentPage;
}

bool reachPageWhenMade(Viewer& v) {
    PlaceState& place = v.place;
    const int page = place.pageToReach;
    if (page == 0) return false;
    if (v.view.currentPage != place.pageWhenAsked || page > v.document.pageCountShown) {
        place.pageToReach = 0;  // the reader moved on: the page is no longer wanted
        return false;
    }
    if (!v.view.firstPageShown || v.conversion.workerRunning.load()) return false;
    if (findPageImage(v, page).empty()) {
        askForPage(v, page);  // page 1 is on screen: the kept page is converted next
        return false;
    }
    place.pageToReach = 0;
    return showJumpTarget(v, page);
}

void keepPlaceWritten(Viewer& v) {
    const PlaceState& place = v.place;
    if (!place.keeping || placePage(v) == place.writtenPage) return;
    if (media::elapsedMilliseconds() - place.writtenAt < placeWriteInterval) return;
    writePlace(v);
}

void writePlaceNow(Viewer& v) {
    if (v.place.keeping && placePage(v) != v.place.writtenPage) writePlace(v);
}

void stopKeepingPlace(Viewer& v) {
    v.place.keeping = false;
    v.place.pageToReach = 0;
    v.place.writtenPage = 0;
}
