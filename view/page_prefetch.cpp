// The pages next to the current one, decoded ahead so that a strip press shows its page in its frame.
#include "view/page_prefetch.h"

#include <algorithm>

#include "document/conversion.h"
#include "media/display/display.h"
#include "view/page_view.h"
#include "view/sheet_loading.h"

namespace {

// The file a turn to page would load, as the page view's lookup finds it.
void addPage(const Viewer& v, int page, std::vector<std::string>& files) {
    if (page < 1 || page > v.document.pageCountShown) return;
    std::string file = findPageImage(v, page);
    if (!file.empty() && std::find(files.begin(), files.end(), file) == files.end())
        files.push_back(std::move(file));
}

}  // namespace

std::vector<std::string> neighbourPageFiles(const Viewer& v) {
    std::vector<std::string> files;
    std::string sheet = pendingSheetFile(v);
    if (!sheet.empty()) files.push_back(std::move(sheet));
    if (v.document.documentCacheFolder.empty() || v.conversion.workerRunning) return files;
    // The page waited on (page 1 of an opening, or one asked for while not ready), once its converter
    // has written it (a page file appears whole, under its name only when complete), is decoded
    // before the frame that shows it.
    if (v.view.awaitedPage != 0) addPage(v, v.view.awaitedPage, files);
    if (!v.view.firstPageShown) return files;
    if (!media::spriteExists(sprite::page)) return files;
    const int page = v.view.currentPage;
    const bool backFirst = v.frame.backStripHovered && !v.frame.forwardStripHovered;
    addPage(v, backFirst ? page - 1 : page + 1, files);
    addPage(v, backFirst ? page + 1 : page - 1, files);
    return files;
}

void prefetchNeighbourPages(const Viewer& v) {
    const std::string sheet = pendingSheetFile(v);
    const Layout layout = v.layout;
    media::prefetchImages(
        neighbourPageFiles(v), [sheet, layout](const std::string& file, int width, int height) {
            return file == sheet ? media::DisplaySize{} : fittedPageSize(layout, width, height);
        });
}
