// The recent documents' list: finding them, drawing the rows, placing the list, opening a tapped one.
#include "app/recent_list.h"

#include <algorithm>
#include <string>

#include "app/app.h"
#include "context/palette.h"
#include "document/recent.h"
#include "media/display/display.h"
#include "media/text/text.h"
#include "view/list_panels.h"

namespace {

bool onWelcome(const Viewer& v) {
    return v.frame.welcomeShown && !v.frame.recentPanelOpen;
}

// On the welcome screen the list stands below the logo, as many rows as fit above the page counter.
int welcomeRows(const Viewer& v) {
    const Layout& layout = v.layout;
    const int top = layout.screenHeight / 2 + media::spriteHeight(sprite::logo) + listPadding(layout);
    const int room = layout.screenHeight - media::spriteHeight(sprite::pageCounter) - top;
    const int fit = (room - titleBandHeight(layout)) / listRowHeight(layout);
    return std::clamp(fit, 0, static_cast<int>(v.recent.documents.size()));
}

Box listBox(const Viewer& v) {
    if (!onWelcome(v)) return listPanelBox(v);
    const Layout& layout = v.layout;
    const int width = listPanelBox(v).width;
    const int height = titleBandHeight(layout) + welcomeRows(v) * listRowHeight(layout);
    const int top = layout.screenHeight / 2 + media::spriteHeight(sprite::logo) + listPadding(layout);
    return {layout.screenWidth / 2 - width / 2, top, width, height};
}

Box closeButton(const Viewer& v, int width) {
    return titleButton(v.layout, "Close", width - listPadding(v.layout));
}

std::string pagesText(const RecentDocument& document) {
    const std::string page = "page " + std::to_string(document.keptPage > 0 ? document.keptPage : 1);
    return document.pageCount > 0 ? page + " of " + std::to_string(document.pageCount) : page;
}

void drawRow(const Viewer& v, int width, const RecentDocument& document, int y) {
    const Layout& layout = v.layout;
    const int rowHeight = listRowHeight(layout), pad = listPadding(layout);
    media::setDrawingMode(media::mode::standard);
    media::line(pad, y + rowHeight - 1, width - pad, y + rowHeight - 1, listcolour::rule);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::medium);
    const std::string pages = pagesText(document);
    const int pagesX = width - 2 * pad - media::textWidth(pages);
    media::drawText(pagesX, y + rowHeight / 2 - media::textHeight("H") / 2, pages, listcolour::dim);
    media::setFont(font::large);
    const std::string name = fittedText(documentFileName(document.path), pagesX - 4 * pad);
    media::drawText(2 * pad, y + rowHeight / 2 - media::textHeight("H") / 2, name, palette::white);
}

void drawList(const Viewer& v) {
    const Box box = listBox(v);
    if (box.width <= 0 || box.height <= 0) return;
    media::createSprite(sprite::recentList, box.width, box.height);
    if (!media::beginDrawing(sprite::recentList)) return;
    media::fillBox(0, 0, box.width, box.height, listcolour::panel);
    const auto& documents = v.recent.documents;
    const int rows = onWelcome(v) ? welcomeRows(v) : static_cast<int>(documents.size());
    for (int row = 0; row < rows; ++row)
        drawRow(v, box.width, documents[row], titleBandHeight(v.layout) + row * listRowHeight(v.layout));
    if (documents.empty()) {
        media::setFont(font::large);
        const std::string notice = "No document has been read yet.";
        media::drawText(box.width / 2 - media::textWidth(notice) / 2, box.height / 2, notice, palette::white);
    }
    drawTitleBand(v.layout, box.width, "Recent documents");
    if (!onWelcome(v)) drawListButton(closeButton(v, box.width), "Close", true);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, box.width, box.height, palette::black);
    media::endDrawing();
}

void findDocuments(Viewer& v) {
    v.recent.documents = findRecentDocuments(v.layout.cacheRoot, recentDocumentsListed);
    v.recent.pressed = false;
}

bool listShown(const Viewer& v) {
    if (v.frame.recentPanelOpen) return true;
    return onWelcome(v) && v.recent.listed && welcomeRows(v) > 0;
}

}  // namespace

void listRecentForWelcome(Viewer& v) {
    if (!v.frame.welcomeShown || v.recent.listed || !media::spriteExists(sprite::logo)) return;
    findDocuments(v);
    v.recent.listed = true;
    if (welcomeRows(v) > 0) drawList(v);
}

void openRecentPanel(Viewer& v) {
    FrameState& frame = v.frame;
    frame.infoPanelOpen = frame.searchPanelOpen = frame.textViewOpen = frame.thumbnailMode = false;
    frame.contentsPanelOpen = false;
    frame.recentPanelOpen = true;
    findDocuments(v);
    drawList(v);
}

// The one sprite holds the list as last drawn, on the welcome screen or as the panel: a list shown
// in the other place is drawn again first.
void displayRecentList(Viewer& v) {
    if (!listShown(v)) return;
    const Box box = listBox(v);
    if (media::spriteOwnWidth(sprite::recentList) != box.width ||
        media::spriteOwnHeight(sprite::recentList) != box.height)
        drawList(v);
    media::displaySprite(sprite::recentList, box.x, box.y);
}

bool pressRecentList(Viewer& v, int x, int y) {
    if (!listShown(v) || !listBox(v).contains(x, y)) return false;
    v.recent.pressed = true;
    return true;
}

bool releaseRecentList(Viewer& v, int x, int y) {
    if (!listShown(v) || !v.recent.pressed) return false;
    v.recent.pressed = false;
    const Box box = listBox(v);
    if (!box.contains(x, y)) return true;
    const int listX = x - box.x, listY = y - box.y;
    if (v.frame.recentPanelOpen && closeButton(v, box.width).contains(listX, listY)) {
        v.frame.recentPanelOpen = false;
        return true;
    }
    const int row = (listY - titleBandHeight(v.layout)) / listRowHeight(v.layout);
    if (listY < titleBandHeight(v.layout) || row >= static_cast<int>(v.recent.documents.size())) return true;
    v.frame.recentPanelOpen = false;
    const std::string path = v.recent.documents[row].path;  // the opening forgets the list
    openNamedDocument(v, path);
    return true;
}
