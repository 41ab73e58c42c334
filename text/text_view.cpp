// The text view panel (sprite 86) for the current page, and the Control+C copy to the clipboard.
#include "text/text_view.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "context/helpers.h"
#include "context/palette.h"
#include "context/viewer.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"

namespace {

constexpr media::Colour panelColour = media::rgb(30, 30, 30);

const PageText* recordOfPage(const Viewer& v, int page) {
    if (page < 1 || static_cast<std::size_t>(page) > v.text.pageTexts.size()) return nullptr;
    return &v.text.pageTexts[static_cast<std::size_t>(page) - 1];
}

bool onlyBlanks(const std::string& line) {
    return line.find_first_not_of(' ') == std::string::npos;
}

void drawHeaderAndRule(const Viewer& v, int width) {
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::medium);
    const std::string header =
        "All text found in current page. Press CTRL+C to copy plain text into clipboard!";
    const int base = v.layout.baseFontSize;
    media::drawText(width / 2 - media::textWidth(header) / 2, base, header, palette::white);
    media::line(0, 3 * base, width - 1, 3 * base, palette::white);
}

// The page's display lines, one row each; rows of blanks only take no room.
void drawPageLines(const Viewer& v, int spriteHeight) {
    const auto page = static_cast<std::size_t>(v.view.currentPage);
    if (page >= v.text.textLines.size()) return;
    const auto& lines = v.text.textLines[page];
    const double medium = v.layout.mediumFontSize;
    media::setFont(font::base);
    int drawn = 0;
    for (std::size_t i = 0; i < lines.size() && i <= static_cast<std::size_t>(v.layout.textViewLastLine);
         ++i) {
        if (onlyBlanks(lines[i])) continue;
        const double y = 3.0 * medium + 1.2 * medium * drawn;
        if (y + v.layout.baseFontSize > spriteHeight) return;
        media::drawText(v.layout.largeFontSize, nearest(y), lines[i], palette::white);
        ++drawn;
    }
}

void drawNoTextNotice(int width, int height) {
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    const std::string notice = "No extractable text found on this page";
    media::drawText(width / 2 - media::textWidth(notice) / 2, height / 2 - media::textHeight("H") / 2, notice,
                    palette::white);
}

}  // namespace

// A one-page document's page count is 0 once its page is finished: its shown page still has text.
void showTextView(Viewer& v) {
    if (v.document.pageCount <= 0 && !v.view.firstPageShown) return;
    if (v.view.currentPage == 0) v.view.currentPage = 1;
    if (!media::beginDrawing(sprite::textView)) return;
    const int width = media::spriteOwnWidth(sprite::textView);
    const int height = media::spriteOwnHeight(sprite::textView);
    media::fillBox(0, 0, width, height, panelColour);
    const PageText* record = recordOfPage(v, v.view.currentPage);
    if (record == nullptr || record->text.empty()) {
        drawNoTextNotice(width, height);
    } else {
        drawHeaderAndRule(v, width);
        drawPageLines(v, height);
    }
    media::endDrawing();
}

void checkCopyKeys(Viewer& v) {
    TextState& text = v.text;
    if (media::keyDown(media::scan::leftControl) && media::keyDown(media::scan::c) && v.frame.textViewOpen &&
        !text.copyArmed) {
        text.copyArmed = true;
    }
    if (text.copyArmed && media::keyReleased(media::scan::c)) {
        text.copyArmed = false;
        if (const PageText* record = recordOfPage(v, v.view.currentPage)) {
            media::setClipboardText(record->text);
        }
    }
}
