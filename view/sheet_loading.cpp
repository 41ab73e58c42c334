// A cached document's saved thumbnail sheet, decoded off the frame's path after the opening.
#include "view/sheet_loading.h"

#include "media/media.h"
#include "view/sheet.h"

namespace {

std::string savedSheetFile(const Viewer& v) {
    return v.document.documentCacheFolder + "thumb_sheet.png";
}

void makeSheetAgain(Viewer& v) {
    v.sheet.sheetReady = 0;
    v.conversion.thumbnailsFromJpeg = 1;
    v.conversion.thumbnailsWanted = 1;
}

}  // namespace

void requestSavedSheet(Viewer& v) {
    v.sheet.sheetReady = 0;
    if (!media::filePresent(savedSheetFile(v))) {
        makeSheetAgain(v);
        return;
    }
    v.sheet.sheetLoadPending = 1;
}

std::string pendingSheetFile(const Viewer& v) {
    return v.sheet.sheetLoadPending ? savedSheetFile(v) : std::string();
}

void loadDecodedSheet(Viewer& v) {
    if (!v.sheet.sheetLoadPending) return;
    const std::string file = savedSheetFile(v);
    if (!media::prefetchedImageReady(file) && !media::prefetchFailed(file)) return;
    v.sheet.sheetLoadPending = 0;
    if (!loadThumbnailSheet(v) || v.sheet.thumbnailCells.empty()) makeSheetAgain(v);
}
