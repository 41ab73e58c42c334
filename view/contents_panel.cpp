// The contents panel: reading the outline, the tree's rows, drawing, scrolling and taps.
#include "view/contents_panel.h"

#include <algorithm>
#include <string>

#include "context/palette.h"
#include "document/outline.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "view/jumps.h"
#include "view/list_panels.h"
#include "view/outline_tree.h"
#include "view/page_view.h"

namespace {

constexpr int deepestIndent = 8;  // deeper levels are drawn at this one's indent

struct PanelButtons {
    Box back, close;
};

PanelButtons panelButtons(const Layout& layout, int width) {
    const int pad = listPadding(layout);
    const Box close = titleButton(layout, "Close", width - pad);
    return {titleButton(layout, "Back", close.x - pad), close};
}

int rowsShown(const Viewer& v) {
    return (listPanelBox(v).height - titleBandHeight(v.layout)) / listRowHeight(v.layout);
}

int largestScroll(const Viewer& v) {
    const int listHeight = static_cast<int>(v.contents.rows.size()) * listRowHeight(v.layout);
    return std::max(0, listHeight - (listPanelBox(v).height - titleBandHeight(v.layout)));
}

void clampScroll(Viewer& v) {
    v.contents.scrollY = std::clamp(v.contents.scrollY, 0, largestScroll(v));
}

// The fold mark's room at the row's indent: a square a finger can hit.
Box foldBox(const Layout& layout, const OutlineEntry& entry, int y) {
    const int indent = (std::min(entry.level, deepestIndent) - 1) * (3 * layout.largeFontSize / 2);
    return {listPadding(layout) + indent, y, listRowHeight(layout), listRowHeight(layout)};
}

void drawRow(const Viewer& v, int width, int entryIndex, int y) {
    const Layout& layout = v.layout;
    const OutlineEntry& entry = v.contents.entries[entryIndex];
    const int rowHeight = listRowHeight(layout), pad = listPadding(layout);
    media::setDrawingMode(media::mode::standard);
    if (entryIndex == v.contents.currentEntry) media::fillBox(0, y, width, rowHeight, listcolour::current);
    media::line(pad, y + rowHeight - 1, width - pad, y + rowHeight - 1, listcolour::rule);
    const Box fold = foldBox(layout, entry, y);
    if (hasChildren(v.contents.entries, entryIndex))
        drawFoldMark(fold, v.contents.expanded[entryIndex], listcolour::dim);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::medium);
    const int textY = y + rowHeight / 2 - media::textHeight("H") / 2;
    const std::string page = entry.page > 0 ? std::to_string(entry.page) : "";
    const int pageX = width - 2 * pad - media::textWidth(page);
    media::drawText(pageX, textY, page, listcolour::dim);
    const int titleX = fold.x + fold.width;
    media::drawText(titleX, textY, fittedText(entry.title, pageX - pad - titleX), palette::white);
}

void drawNotice(const Viewer& v, int width, int height, const std::string& text) {
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    media::drawText(width / 2 - media::textWidth(text) / 2, height / 2 - media::textHeight("H") / 2, text,
                    palette::white);
    (void)v;
}

void drawRows(const Viewer& v, int width, int height) {
    const ContentsState& contents = v.contents;
    const int rowHeight = listRowHeight(v.layout), top = titleBandHeight(v.layout);
    const int first = contents.scrollY / rowHeight;
    for (int r = first; r < static_cast<int>(contents.rows.size()); ++r) {
        const int y = top + r * rowHeight - contents.scrollY;
        if (y >= height) break;
        drawRow(v, width, contents.rows[r], y);
    }
}

// The rows first, the title band over them: a row scrolled half under the band is cut by it.
void drawPanel(const Viewer& v) {
    const Box box = listPanelBox(v);
    if (media::spriteOwnWidth(sprite::contentsPanel) != box.width ||
        media::spriteOwnHeight(sprite::contentsPanel) != box.height)
        media::createSprite(sprite::contentsPanel, box.width, box.height);
    if (!media::beginDrawing(sprite::contentsPanel)) return;
    media::fillBox(0, 0, box.width, box.height, listcolour::panel);
    if (v.contents.outlineRead == OutlineRead::reading) {
        drawNotice(v, box.width, box.height, "Reading the contents...");
    } else if (v.contents.entries.empty()) {
        drawNotice(v, box.width, box.height, "This document has no contents.");
    } else {
        drawRows(v, box.width, box.height);
    }
    drawTitleBand(v.layout, box.width, "Contents");
    const PanelButtons buttons = panelButtons(v.layout, box.width);
    drawListButton(buttons.back, "Back", canGoBack(v));
    drawListButton(buttons.close, "Close", true);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, box.width, box.height, palette::black);
    media::endDrawing();
}

// The current chapter a third of the way down, or as near as the list allows.
void scrollToCurrent(Viewer& v) {
    ContentsState& contents = v.contents;
    const auto at = std::find(contents.rows.begin(), contents.rows.end(), contents.currentEntry);
    const int row = at == contents.rows.end() ? 0 : static_cast<int>(at - contents.rows.begin());
    contents.scrollY = row * listRowHeight(v.layout) - rowsShown(v) * listRowHeight(v.layout) / 3;
    clampScroll(v);
}

void takeOutline(Viewer& v) {
    ContentsState& contents = v.contents;
    contents.entries = readOutline(v);
    contents.outlineRead = OutlineRead::read;
    contents.currentEntry = chapterOfPage(contents.entries, v.view.currentPage);
    contents.expanded = openingExpansion(contents.entries, contents.currentEntry, rowsShown(v));
    contents.rows = listedRows(contents.entries, contents.expanded);
    scrollToCurrent(v);
}

// The outline file is read once it is there; a reader that ended without writing it leaves none.
bool outlineWaitOver(const Viewer& v) {
    return outlinePresent(v) || !media::programRunning(v.contents.readerProcess);
}

// A row's page, as a jump: the panel closes once the page shows; a page not made yet keeps it open
// under the not-ready notice, as does the page-file worker, while which no page is turned to.
void goToRowPage(Viewer& v, const OutlineEntry& entry) {
    const int from = v.view.currentPage;
    if (v.conversion.workerRunning.load()) {
        v.view.pageNotReady = true;
        return;
    }
    if (entry.page != from && !showJumpTarget(v, entry.page)) return;
    rememberJump(v, from);
    closeContentsPanel(v);
}

void tapRow(Viewer& v, int x, int y) {
    ContentsState& contents = v.contents;
    const int rowHeight = listRowHeight(v.layout);
    const int row = (y - titleBandHeight(v.layout) + contents.scrollY) / rowHeight;
    if (row < 0 || row >= static_cast<int>(contents.rows.size())) return;
    const int index = contents.rows[row];
    const OutlineEntry& entry = contents.entries[index];
    const int rowTop = titleBandHeight(v.layout) + row * rowHeight - contents.scrollY;
    const bool onFold = x < foldBox(v.layout, entry, rowTop).x + rowHeight;
    if (hasChildren(contents.entries, index) && (onFold || entry.page < 1)) {
        contents.expanded[index] = !contents.expanded[index];
        contents.rows = listedRows(contents.entries, contents.expanded);
        clampScroll(v);
        drawPanel(v);
    } else if (entry.page >= 1) {
        goToRowPage(v, entry);
    }
}

void tapTitleBand(Viewer& v, int x, int y) {
    const PanelButtons buttons = panelButtons(v.layout, listPanelBox(v).width);
    if (buttons.close.contains(x, y)) closeContentsPanel(v);
    if (buttons.back.contains(x, y) && goBack(v)) closeContentsPanel(v);
}

}  // namespace

void resetContents(Viewer& v, int readerProcess) {
    v.frame.contentsPanelOpen = false;
    v.contents = ContentsState{};
    v.contents.readerProcess = readerProcess;
}

void readMissingOutline(Viewer& v) {
    if (!outlinePresent(v)) v.contents.readerProcess = startOutlineReader(v);
}

void openContentsPanel(Viewer& v) {
    FrameState& frame = v.frame;
    frame.infoPanelOpen = frame.searchPanelOpen = frame.textViewOpen = frame.thumbnailMode = false;
    frame.recentPanelOpen = false;
    frame.contentsPanelOpen = true;
    v.contents.pressed = false;
    if (v.contents.outlineRead == OutlineRead::read || outlineWaitOver(v)) {
        takeOutline(v);
    } else {
        v.contents.outlineRead = OutlineRead::reading;
    }
    drawPanel(v);
}

void closeContentsPanel(Viewer& v) {
    v.frame.contentsPanelOpen = false;
    v.contents.pressed = false;
}

void followContentsPanel(Viewer& v) {
    ContentsState& contents = v.contents;
    if (!v.frame.contentsPanelOpen) return;
    if (contents.outlineRead == OutlineRead::reading && outlineWaitOver(v)) {
        takeOutline(v);
        drawPanel(v);
    }
    if (!contents.pressed || !media::mouseButton(1)) return;
    const int motion = media::heldDeltaY();
    if (motion == 0) return;
    contents.dragged += std::abs(motion);
    const int before = contents.scrollY;
    contents.scrollY -= motion;
    clampScroll(v);
    if (contents.scrollY != before) drawPanel(v);
}

bool pressContentsPanel(Viewer& v, int x, int y) {
    const Box box = listPanelBox(v);
    if (!v.frame.contentsPanelOpen || !box.contains(x, y)) return false;
    v.contents.pressed = true;
    v.contents.dragged = 0;
    return true;
}

bool releaseContentsPanel(Viewer& v, int x, int y) {
    ContentsState& contents = v.contents;
    if (!v.frame.contentsPanelOpen || !contents.pressed) return false;
    contents.pressed = false;
    const Box box = listPanelBox(v);
    // Motion beyond a third of a row made a drag, not a tap.
    if (contents.dragged > listRowHeight(v.layout) / 3 || !box.contains(x, y)) return true;
    const int panelX = x - box.x, panelY = y - box.y;
    if (panelY < titleBandHeight(v.layout)) {
        tapTitleBand(v, panelX, panelY);
    } else if (contents.outlineRead == OutlineRead::read) {
        tapRow(v, panelX, panelY);
    }
    return true;
}

void scrollContentsPanel(Viewer& v, int rows) {
    if (!v.frame.contentsPanelOpen || rows == 0) return;
    const int before = v.contents.scrollY;
    v.contents.scrollY -= rows * listRowHeight(v.layout);
    clampScroll(v);
    if (v.contents.scrollY != before) drawPanel(v);
}

void displayContentsPanel(const Viewer& v) {
    if (!v.frame.contentsPanelOpen) return;
    const Box box = listPanelBox(v);
    media::displaySprite(sprite::contentsPanel, box.x, box.y);
}
