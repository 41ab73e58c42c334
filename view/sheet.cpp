// The thumbnail sheet: notice, build, saved file with its trailer, cells, thumbnail mode and its
// keyboard highlight, hit marks.
#include "view/sheet.h"

#include <algorithm>
#include <string>
#include <vector>

#include "context/check.h"
#include "context/fitting.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "view/jumps.h"
#include "view/page_view.h"

namespace {

constexpr const char* sheetFileName = "thumb_sheet.png";
constexpr const char* waitText = "Please wait...Generating Thumbnail Sheet";
constexpr long long mostCells = 1000000;

// A decimal field of the trailer: digits only, positive, within the int range.
int trailerField(const std::string& text) {
    if (text.empty() || text.size() > 9) return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string> splitAtBars(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    fields.push_back(text.substr(start));
    return fields;
}

// The fit chain: each thumbnail is fitted from the previous one's size, the first from the page view.
void fitNextThumbnail(SheetState& sheet, int limit) {
    FitSize fit = fitInto(limit, nearest(sheet.thumbFitWidth), nearest(sheet.thumbFitHeight));
    if (fit.width <= 0.0f || fit.height <= 0.0f) return;
    sheet.thumbFitWidth = fit.width;
    sheet.thumbFitHeight = fit.height;
    sheet.thumbnailWidth = nearest(fit.width);
    sheet.thumbnailHeight = nearest(fit.height);
}

void drawEndLine(int sheetWidth, int y) {
    media::line(0, y, sheetWidth - 1, y, palette::white);
}

// Draws page p's thumbnail at (x, y) and frees its image. A page whose image never came keeps the
// size of the others (every prepared image has the grid's cell width) and leaves its cell empty.
void drawThumbnail(SheetState& sheet, int page, int preparedWidth, int x, int y) {
    bool present = media::imageExists(page);
    fitNextThumbnail(sheet, present ? media::imageWidth(page) : preparedWidth);
    if (present) {
        media::drawImage(page, x, y, sheet.thumbnailWidth, sheet.thumbnailHeight);
        media::setDrawingMode(media::mode::outlined);
        media::fillBox(x, y, sheet.thumbnailWidth, sheet.thumbnailHeight, palette::black);
        media::setDrawingMode(media::mode::standard);
    }
    media::freeImage(page);
}

void drawThumbnails(Viewer& v, int sheetWidth) {
    SheetState& sheet = v.sheet;
    int pageCount = v.document.pageCount;
    int preparedWidth = sheet.thumbnailWidth;
    int page = 1, y = 0;
    for (int row = 1; row <= sheet.sheetRows; ++row) {
        int x = 0;
        for (int column = 1; column <= sheet.sheetColumns; ++column) {
            if (page > pageCount) {
                drawEndLine(sheetWidth, y + sheet.thumbnailHeight);
                break;
            }
            drawThumbnail(sheet, page, preparedWidth, x, y);
            x += sheet.thumbnailWidth;
            ++page;
        }
        if (page > pageCount) {
            drawEndLine(sheetWidth, y + sheet.thumbnailHeight);
            break;
        }
        y += sheet.thumbnailHeight;
    }
}

// The first row of the rightmost pixel column that is white: the end line.
int findEndRow(int sheetWidth, int sheetHeight, int screenHeight) {
    if (!media::beginDrawing(sprite::thumbnailSheet)) return screenHeight;
    int endRow = screenHeight;
    for (int row = 0; row < sheetHeight; ++row) {
        if (media::pixelColour(sheetWidth - 1, row) == palette::white) {
            endRow = row;
            break;
        }
    }
    media::endDrawing();
    return endRow;
}

void clipBuiltSheet(Viewer& v, int sheetHeight) {
    const SheetState& sheet = v.sheet;
    int width = sheet.thumbnailWidth * sheet.sheetColumns;
    int height = sheetHeight > v.layout.screenHeight ? v.layout.screenHeight : sheet.sheetEndRow;
    media::clipSprite(sprite::thumbnailSheet, 0, 0, width, height);
}

// The PNG of the whole sheet, then one 0 byte and the grid as text.
void saveSheet(Viewer& v) {
    const SheetState& sheet = v.sheet;
    std::string file = sheetFile(v);
    if (!media::saveSpritePng(sprite::thumbnailSheet, file)) return;
    std::string bytes;
    if (!media::readWholeFile(file, bytes)) return;
    bytes.push_back('\0');
    bytes +=
        formatSheetTrailer(sheet.thumbnailWidth, sheet.thumbnailHeight, sheet.sheetColumns, sheet.sheetRows);
    media::writeWholeFile(file, bytes);
}

// Cell size and grid from memory after a build, from the file's trailer otherwise. False when the
// trailer gives no usable grid: the sheet can be shown, but no page picked from it.
bool takeCellGrid(Viewer& v) {
    SheetState& sheet = v.sheet;
    if (sheet.sheetJustBuilt) {
        sheet.sheetCellWidth = sheet.thumbnailWidth;
        sheet.sheetCellHeight = sheet.thumbnailHeight;
        return sheet.sheetCellWidth > 0 && sheet.sheetCellHeight > 0;
    }
    std::string bytes;
    media::readWholeFile(sheetFile(v), bytes);
    SheetTrailer trailer = parseSheetTrailer(bytes, media::spriteOwnWidth(sprite::thumbnailSheet),
                                             media::spriteOwnHeight(sprite::thumbnailSheet));
    sheet.sheetCellWidth = trailer.cellWidth;
    sheet.sheetCellHeight = trailer.cellHeight;
    sheet.sheetColumns = trailer.columns;
    sheet.sheetRows = trailer.rows;
    return trailer.valid;
}

void makeCellHighlight(int width, int height) {
    media::createSprite(sprite::cellHighlight, width, height);
    if (!media::beginDrawing(sprite::cellHighlight)) return;
    media::fillBox(0, 0, width, height, media::rgb(0, 0, 255));
    media::endDrawing();
}

void appendCells(Viewer& v) {
    SheetState& sheet = v.sheet;
    int originX = v.layout.screenWidth / 2 - media::spriteOwnWidth(sprite::thumbnailSheet) / 2;
    int originY = v.layout.screenHeight / 2 - media::spriteOwnHeight(sprite::thumbnailSheet) / 2;
    int page = 1, y = 0;
    for (int row = 1; row <= sheet.sheetRows && page <= v.document.pageCount; ++row) {
        int x = 0;
        for (int column = 1; column <= sheet.sheetColumns && page <= v.document.pageCount; ++column) {
            sheet.thumbnailCells.push_back(
                {originX + x, originY + y, x, y, sheet.sheetCellWidth, sheet.sheetCellHeight, page});
            x += sheet.sheetCellWidth;
            ++page;
        }
        y += sheet.sheetCellHeight;
    }
}

bool inside(const ThumbnailCell& cell, int x, int y) {
    return cell.screenX <= x && x <= cell.screenX + cell.width && cell.screenY <= y &&
           y <= cell.screenY + cell.height;
}

// The page number over a highlighted cell, written straight onto the display.
void labelCell(const ThumbnailCell& cell) {
    if (!media::beginDrawingDisplay()) return;
    media::setFont(font::title);
    media::setDrawingMode(media::mode::transparent);
    std::string number = std::to_string(cell.page);
    int x = cell.screenX + media::spriteWidth(sprite::cellHighlight) / 2 - media::textWidth(number) / 2 - 8;
    int y = cell.screenY + media::spriteHeight(sprite::cellHighlight) / 2 - media::textHeight(number) / 2 - 8;
    media::drawText(x, y, number, media::rgb(15, 15, 15));
    media::endDrawing();
}

void highlightCell(const ThumbnailCell& cell) {
    media::displayTransparentSprite(sprite::cellHighlight, cell.screenX, cell.screenY, 100);
    labelCell(cell);
}

// The first cell under the pointer (on a shared border the earlier one), or -1.
int cellUnderPointer(const std::vector<ThumbnailCell>& cells) {
    for (std::size_t index = 0; index < cells.size(); ++index) {
        if (inside(cells[index], media::mouseX(), media::mouseY())) return static_cast<int>(index);
    }
    return -1;
}

// Where an arrow key takes the highlight in a grid of count cells, columns to a row, filled row by row.
int movedCell(int from, CellMove move, int count, int columns) {
    switch (move) {
        case CellMove::left:
            return std::max(from - 1, 0);
        case CellMove::right:
            return std::min(from + 1, count - 1);
        case CellMove::up:
            return from >= columns ? from - columns : from;
        case CellMove::down:  // into a shorter last row: its last cell
            return from / columns < (count - 1) / columns ? std::min(from + columns, count - 1) : from;
        case CellMove::first:
            return 0;
        case CellMove::last:
            return count - 1;
    }
    return from;
}

int cellOfPage(const std::vector<ThumbnailCell>& cells, int page) {
    for (std::size_t index = 0; index < cells.size(); ++index) {
        if (cells[index].page == page) return static_cast<int>(index);
    }
    return 0;
}

// Shows the cell's page as a pick from the sheet does; the gestures end and the event is consumed.
void openCell(Viewer& v, int index) {
    rememberJump(v, v.view.currentPage);
    v.sheet.keyboardCell = -1;
    endGesturesForPick(v.frame);
    goToPage(v, v.sheet.thumbnailCells[index].page);
}

void markCell(const SheetState& sheet, const ThumbnailCell& cell) {
    int width = sheet.sheetCellWidth, height = sheet.sheetCellHeight;
    media::setDrawingMode(media::mode::alphaBlend);
    media::fillBox(cell.sheetX, cell.sheetY, width, height, media::rgba(0, 255, 0, 50));
    media::setDrawingMode(media::mode::outlined);
    int centreX = cell.sheetX + width / 2, centreY = cell.sheetY + height / 2;
    for (double divisor : {2.4, 2.35, 2.3}) {
        media::circle(centreX, centreY, nearest(width / divisor), media::rgba(1, 1, 1, 150));
    }
}

}  // namespace

SheetTrailer parseSheetTrailer(const std::string& fileBytes, int sheetWidth, int sheetHeight) {
    SheetTrailer trailer;
    std::size_t zero = fileBytes.rfind('\0');
    if (zero == std::string::npos) return trailer;
    std::vector<std::string> fields = splitAtBars(fileBytes.substr(zero + 1));
    if (fields.size() != 4) return trailer;
    trailer.cellWidth = trailerField(fields[0]);
    trailer.cellHeight = trailerField(fields[1]);
    trailer.columns = trailerField(fields[2]);
    trailer.rows = trailerField(fields[3]);
    bool positive =
        trailer.cellWidth > 0 && trailer.cellHeight > 0 && trailer.columns > 0 && trailer.rows > 0;
    bool fits = trailer.cellWidth <= sheetWidth && trailer.cellHeight <= sheetHeight &&
                static_cast<long long>(trailer.columns) * trailer.rows <= mostCells;
    trailer.valid = positive && fits;
    if (!trailer.valid) trailer = SheetTrailer{};
    return trailer;
}

std::string formatSheetTrailer(int cellWidth, int cellHeight, int columns, int rows) {
    return std::to_string(cellWidth) + "|" + std::to_string(cellHeight) + "|" + std::to_string(columns) +
           "|" + std::to_string(rows);
}

void drawThumbWaitSprite(Viewer& v) {
    int large = v.layout.largeFontSize;
    int width = static_cast<int>(std::string(waitText).size()) * large;
    int height = nearest(large * 2.5);
    media::createSprite(sprite::thumbWait, width, height);
    if (!media::beginDrawing(sprite::thumbWait)) return;
    media::fillBox(0, 0, width, height, palette::panelGrey);
    media::setFont(font::large);
    media::drawText(width / 2 - media::textWidth(waitText) / 2, height / 2 - media::textHeight("H") / 2,
                    waitText, palette::white, palette::panelGrey);
    media::endDrawing();
}

void buildThumbnailSheet(Viewer& v, const PageFileOutput& grid) {
    SheetState& sheet = v.sheet;
    sheet.sheetColumns = grid.columns;
    sheet.sheetRows = grid.rows;
    sheet.thumbnailWidth = grid.cellWidth;
    sheet.thumbnailHeight = grid.cellHeight;
    int width = sheet.thumbnailWidth * sheet.sheetColumns;
    int height = sheet.thumbnailHeight * sheet.sheetRows;
    if (width > 0 && height > 0 && media::createSprite(sprite::thumbnailSheet, width, height)) {
        sheet.thumbFitWidth = v.view.fitWidth;
        sheet.thumbFitHeight = v.view.fitHeight;
        if (media::beginDrawing(sprite::thumbnailSheet)) {
            drawThumbnails(v, width);
            media::endDrawing();
        }
        sheet.sheetEndRow = findEndRow(width, height, v.layout.screenHeight);
        clipBuiltSheet(v, height);
        saveSheet(v);
        sheet.sheetJustBuilt = true;
        prepareThumbnailCells(v);
        sheet.sheetReady = true;
    }
    for (int page = 1; page <= v.document.pageCount; ++page) media::freeImage(page);
}

void prepareThumbnailCells(Viewer& v) {
    SheetState& sheet = v.sheet;
    sheet.thumbnailCells.clear();
    sheet.hoveredCell = -1;
    sheet.keyboardCell = -1;
    v.frame.cellHovered = false;  // the hover test finds a cell of the new grid again
    if (!takeCellGrid(v)) {
        media::freeSprite(sprite::cellHighlight);
        return;
    }
    makeCellHighlight(sheet.sheetCellWidth, sheet.sheetCellHeight);
    appendCells(v);
}

bool loadThumbnailSheet(Viewer& v) {
    std::string file = sheetFile(v);
    if (!media::filePresent(file) || !media::loadSprite(sprite::thumbnailSheet, file)) return false;
    v.sheet.sheetJustBuilt = false;
    prepareThumbnailCells(v);
    v.sheet.sheetReady = true;
    return true;
}

std::string sheetFile(const Viewer& v) {
    return v.document.documentCacheFolder + sheetFileName;
}

void forgetSheet(Viewer& v) {
    v.sheet.sheetReady = false;
    v.sheet.sheetJustBuilt = false;
    v.sheet.sheetLoadPending = false;
}

void showThumbnailMode(Viewer& v) {
    bool marked = !v.search.searchHits.empty() && media::spriteExists(sprite::markedSheet);
    int x = v.layout.screenWidth / 2 - media::spriteOwnWidth(sprite::thumbnailSheet) / 2;
    int y = v.layout.screenHeight / 2 - media::spriteOwnHeight(sprite::thumbnailSheet) / 2;
    media::displaySprite(marked ? sprite::markedSheet : sprite::thumbnailSheet, x, y);
    v.frame.cellHovered = false;
    SheetState& sheet = v.sheet;
    const std::vector<ThumbnailCell>& cells = sheet.thumbnailCells;
    const int hovered = cellUnderPointer(cells);
    if (hovered >= 0) {
        highlightCell(cells[hovered]);
        sheet.hoveredCell = hovered;
        v.frame.cellHovered = true;
        // The pointer moving over a cell takes the highlight back from the arrow keys.
        if (media::mouseDeltaX() != 0 || media::mouseDeltaY() != 0) sheet.keyboardCell = -1;
    }
    const int chosen = sheet.keyboardCell;
    if (chosen >= 0 && chosen != hovered && chosen < static_cast<int>(cells.size()))
        highlightCell(cells[chosen]);
}

void pickThumbnail(Viewer& v) {
    FrameState& frame = v.frame;
    const std::vector<ThumbnailCell>& cells = v.sheet.thumbnailCells;
    const int index = v.sheet.hoveredCell;
    if (frame.frameEvent != media::WindowEvent::leftUp || !frame.thumbnailMode || !frame.cellHovered ||
        frame.pointerOverHitList || frame.pointerOverSearchButton) {
        return;
    }
    PAGEWELL_CHECK(index >= 0 && index < static_cast<int>(cells.size()),
                   "a hovered cell lies inside the grid");
    openCell(v, index);
}

void moveCellHighlight(Viewer& v, CellMove move) {
    SheetState& sheet = v.sheet;
    const int count = static_cast<int>(sheet.thumbnailCells.size());
    if (!v.frame.thumbnailMode || !sheet.sheetReady || count == 0) return;
    int from = sheet.keyboardCell;
    if (from < 0 && v.frame.cellHovered) from = sheet.hoveredCell;
    const bool arrow = move != CellMove::first && move != CellMove::last;
    if ((from < 0 || from >= count) && arrow) {
        sheet.keyboardCell = cellOfPage(sheet.thumbnailCells, v.view.currentPage);
        return;
    }
    sheet.keyboardCell = movedCell(from, move, count, std::max(sheet.sheetColumns, 1));
}

void pickHighlightedCell(Viewer& v) {
    const SheetState& sheet = v.sheet;
    int index = sheet.keyboardCell;
    if (index < 0 && v.frame.cellHovered) index = sheet.hoveredCell;
    if (!v.frame.thumbnailMode || !sheet.sheetReady) return;
    if (index < 0 || index >= static_cast<int>(sheet.thumbnailCells.size())) return;
    openCell(v, index);
}

void forgetCellHighlight(Viewer& v) {
    v.sheet.keyboardCell = -1;
}

void markHitsOnSheet(Viewer& v) {
    const SheetState& sheet = v.sheet;
    if (v.search.searchHits.empty() || v.document.pageCount <= 1) return;
    // Without a sheet of this document there is nothing to mark; an older copy must not show.
    if (!sheet.sheetReady || !media::copySprite(sprite::thumbnailSheet, sprite::markedSheet)) {
        media::freeSprite(sprite::markedSheet);
        return;
    }
    int width = media::spriteOwnWidth(sprite::thumbnailSheet);
    int height = media::spriteOwnHeight(sprite::thumbnailSheet);
    media::clipSprite(sprite::markedSheet, 0, 0, width, height - 1);
    if (!media::beginDrawing(sprite::markedSheet)) return;
    for (const SearchHit& hit : v.search.searchHits) {
        for (const ThumbnailCell& cell : sheet.thumbnailCells) {
            if (cell.page == hit.page) markCell(sheet, cell);
        }
    }
    media::endDrawing();
}
