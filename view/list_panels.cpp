// The list panels' place, rows, title band, buttons and cut labels.
#include "view/list_panels.h"

#include "context/helpers.h"
#include "context/palette.h"
#include "media/display/display.h"
#include "media/text/text.h"

int listRowHeight(const Layout& layout) {
    return 3 * layout.largeFontSize;
}

int listPadding(const Layout& layout) {
    return layout.largeFontSize / 2;
}

Box listPanelBox(const Viewer& v) {
    const Layout& layout = v.layout;
    const int width =
        layout.screenWidth - media::spriteWidth(sprite::backStrip) - media::spriteWidth(sprite::forwardStrip);
    const int top = media::spriteHeight(sprite::toolbar);
    const int height = layout.screenHeight - top - media::spriteHeight(sprite::pageCounter);
    return {innerWindowWidth(v) / 2 - width / 2, top, width, height};
}

int titleBandHeight(const Layout& layout) {
    return listRowHeight(layout) + 2 * listPadding(layout);
}

Box titleButton(const Layout& layout, const std::string& label, int right) {
    const int width =
        static_cast<int>(media::characterCount(label)) * layout.mediumFontSize + 2 * layout.largeFontSize;
    const int pad = listPadding(layout);
    return {right - width, pad, width, listRowHeight(layout)};
}

void drawListButton(const Box& box, const std::string& label, bool enabled) {
    media::setDrawingMode(media::mode::standard);
    media::fillBox(box.x, box.y, box.width, box.height, enabled ? palette::buttonGreen : listcolour::rule);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(box.x, box.y, box.width, box.height, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    const int x = box.x + box.width / 2 - media::textWidth(label) / 2;
    const int y = box.y + box.height / 2 - media::textHeight("H") / 2;
    media::drawText(x, y, label, enabled ? palette::white : listcolour::dim);
}

void drawTitleBand(const Layout& layout, int width, const std::string& title) {
    const int height = titleBandHeight(layout);
    media::setDrawingMode(media::mode::standard);
    media::fillBox(0, 0, width, height, listcolour::band);
    media::line(0, height - 1, width - 1, height - 1, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    media::drawText(2 * listPadding(layout), height / 2 - media::textHeight("H") / 2, title, palette::white);
}

std::string fittedText(const std::string& text, int width) {
    if (media::textWidth(text) <= width) return text;
    const std::string ellipsis = "\u2026";
    std::size_t low = 0,
                high = media::characterCount(text);  // the longest start that fits lies in [low, high)
    while (low + 1 < high) {
        const std::size_t middle = (low + high) / 2;
        if (media::textWidth(media::characterSlice(text, 0, middle) + ellipsis) <= width) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return media::characterSlice(text, 0, low) + ellipsis;
}

void drawFoldMark(const Box& box, bool unfolded, media::Colour colour) {
    const int size = box.height / 3;
    const int centreX = box.x + box.width / 2, centreY = box.y + box.height / 2;
    media::setDrawingMode(media::mode::standard);
    for (int step = 0; step <= size; ++step) {
        const int half = (size - step) / 2;
        if (unfolded) {
            media::line(centreX - half, centreY - size / 2 + step, centreX + half, centreY - size / 2 + step,
                        colour);
        } else {
            media::line(centreX - size / 2 + step, centreY - half, centreX - size / 2 + step, centreY + half,
                        colour);
        }
    }
}
