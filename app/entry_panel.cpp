// Panels that take a short entry from either keyboard: their rows, buttons, drawing and display.
#include "app/entry_panel.h"

#include <algorithm>

#include "context/helpers.h"
#include "context/palette.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/text/text.h"

namespace {

const media::Colour warningYellow = media::rgb(255, 255, 0);

EntryPanelRows rowsFor(const Viewer& v, int panelWidth) {
    EntryPanelRows rows;
    rows.margin = v.layout.mediumFontSize;
    rows.fieldHeight = nearest(4 * v.layout.titleFontSize / 2.5);
    rows.buttonX = nearest(panelWidth / 1.3);
    rows.fieldY = 4 * rows.margin;  // the title's descenders stay clear of the field
    rows.cancelY = rows.fieldY + rows.fieldHeight + rows.margin;
    return rows;
}

void drawButton(int number, int width, int height, const std::string& label, media::Colour face,
                media::Colour text) {
    media::createSprite(number, std::max(1, width), std::max(1, height));
    if (!media::beginDrawing(number)) return;
    media::fillBox(0, 0, width, height, face);
    media::setFont(font::large);
    media::drawText(width / 2 - media::textWidth(label) / 2, height / 2 - media::textHeight(label) / 2, label,
                    text, face);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, width, height, media::rgb(1, 1, 1));
    media::endDrawing();
}

void drawTexts(const EntryPanelRows& rows, int width, const EntryPanelText& text) {
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    media::drawText(width / 2 - media::textWidth(text.title) / 2, rows.margin, text.title, palette::white);
    media::setFont(font::medium);
    media::drawText(rows.margin, rows.cancelY + rows.fieldHeight / 2 - media::textHeight(text.message) / 2,
                    text.message, text.warning ? warningYellow : palette::white);
}

int panelX(const Viewer& v, const EntryPanelSprites& sprites) {
    return innerWindowWidth(v) / 2 - media::spriteWidth(sprites.panel) / 2;
}

}  // namespace

EntryPanelRows entryPanelRows(const Viewer& v, const EntryPanelSprites& sprites) {
    return rowsFor(v, media::spriteOwnWidth(sprites.panel));
}

// The panel is as wide as the search panel, one row taller for the message and Cancel.
void createEntryPanel(const Viewer& v, const EntryPanelSprites& sprites, const std::string& buttonLabel) {
    const int width = nearest(innerWindowWidth(v) / 1.7);
    const EntryPanelRows rows = rowsFor(v, width);
    media::createSprite(sprites.panel, std::max(1, width),
                        std::max(1, rows.cancelY + rows.fieldHeight + rows.margin));
    const int buttonWidth = nearest(width / 4.95);
    drawButton(sprites.button, buttonWidth, rows.fieldHeight, buttonLabel, palette::buttonGreen,
               palette::white);
    drawButton(sprites.cancel, buttonWidth, rows.fieldHeight, "Cancel", palette::lightGrey,
               media::rgb(1, 1, 1));
}

void drawEntryPanel(const Viewer& v, const EntryPanelSprites& sprites, const EntryPanelText& text) {
    const int w = media::spriteOwnWidth(sprites.panel);
    const int h = media::spriteOwnHeight(sprites.panel);
    const EntryPanelRows rows = rowsFor(v, w);
    const int fieldWidth = rows.buttonX - rows.margin;
    if (!media::beginDrawing(sprites.panel)) return;
    media::fillBox(0, 0, w, h, palette::panelGrey);
    media::fillBox(rows.margin, rows.fieldY, fieldWidth, rows.fieldHeight, palette::white);
    media::setFont(font::medium);
    const int textX = rows.margin + v.layout.baseFontSize;
    const int textHeight = media::textHeight(text.field.empty() ? std::string("H") : text.field);
    media::drawText(textX, rows.fieldY + rows.fieldHeight / 2 - textHeight / 2, text.field, palette::black,
                    palette::white);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, w, h, palette::black);
    media::fillBox(rows.margin, rows.fieldY, fieldWidth + media::spriteOwnWidth(sprites.button),
                   rows.fieldHeight, palette::black);
    drawTexts(rows, w, text);
    media::endDrawing();
}

EntryPanelHover displayEntryPanel(Viewer& v, const EntryPanelSprites& sprites) {
    const int x = panelX(v, sprites), y = media::spriteHeight(sprite::toolbar);
    const EntryPanelRows rows = entryPanelRows(v, sprites);
    media::displaySprite(sprites.panel, x, y);
    media::displaySprite(sprites.button, x + rows.buttonX, y + rows.fieldY);
    media::displaySprite(sprites.cancel, x + rows.buttonX, y + rows.cancelY);
    EntryPanelHover hover;
    if (!v.frame.zoomDragging) {
        hover.button = pointerOver(sprites.button, x + rows.buttonX, y + rows.fieldY);
        hover.cancel = pointerOver(sprites.cancel, x + rows.buttonX, y + rows.cancelY);
    }
    if (!v.keyboard.keyboardDisabled) showKeyboard(v);
    return hover;
}
