// A cached document's saved thumbnail sheet, decoded off the frame's path after the opening.
#include "view/sheet_loading.h"

#include "document/document.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "view/sheet.h"

namespace {

void makeSheetAgain(Viewer& v) {
    v.sheet.sheetReady = false;
    requestThumbnailsFromJpeg(v);
}

}  // namespace

void requestSavedSheet(Viewer& v) {
    v.sheet.sheetReady = false;
    if (!media::filePresent(sheetFile(v))) {
        makeSheetAgain(v);
        return;
    }
    v.sheet.sheetLoadPending = true;
}

std::string pendingSheetFile(const Viewer& v) {
    return v.sheet.sheetLoadPending ? sheetFile(v) : std::string();
}

void loadDecodedSheet(Viewer& v) {
    if (!v.sheet.sheetLoadPending) return;
    const std::string file = sheetFile(v);
    if (!media::prefetchedImageReady(file) && !media::prefetchFailed(file)) return;
    v.sheet.sheetLoadPending = false;
    if (!loadThumbnailSheet(v) || v.sheet.thumbnailCells.empty()) makeSheetAgain(v);
}
