// The password panel: drawn like the search panel, a masked field with Open and Cancel buttons,
// typed into from the on-screen and the physical keyboard.
#include "app/password_panel.h"

#include <algorithm>

#include "app/opening.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/text/text.h"

namespace {

const media::Colour warningYellow = media::rgb(255, 255, 0);
const std::string maskCharacter = "\u2022";
// Room for any password typed by hand, so that typing never moves it into a new buffer and leaves
// a copy behind in freed memory.
constexpr std::size_t reservedBytes = 512;

// The panel's rows, in the panel sprite's own coordinates.
struct Rows {
    int margin = 0;       // mediumFontSize, the search panel's unit
    int fieldHeight = 0;  // the field's and the buttons' height
    int buttonX = 0;      // left edge of Open and Cancel
    int openY = 0;        // the field and Open
    int cancelY = 0;      // the message line and Cancel
};

Rows rowsFor(const Viewer& v, int panelWidth) {
    Rows rows;
    rows.margin = v.layout.mediumFontSize;
    rows.fieldHeight = nearest(4 * v.layout.titleFontSize / 2.5);
    rows.buttonX = nearest(panelWidth / 1.3);
    rows.openY = 4 * rows.margin;  // the title's descenders stay clear of the field
    rows.cancelY = rows.openY + rows.fieldHeight + rows.margin;
    return rows;
}

Rows currentRows(const Viewer& v) {
    return rowsFor(v, media::spriteOwnWidth(sprite::passwordPanel));
}

int panelX(const Viewer& v) {
    return innerWindowWidth(v) / 2 - media::spriteWidth(sprite::passwordPanel) / 2;
}

int panelY() {
    return media::spriteHeight(sprite::toolbar);
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

// The panel is as wide as the search panel, one row taller for the message and Cancel.
void createPanelSprites(const Viewer& v) {
    const int width = nearest(innerWindowWidth(v) / 1.7);
    const Rows rows = rowsFor(v, width);
    media::createSprite(sprite::passwordPanel, std::max(1, width),
                        std::max(1, rows.cancelY + rows.fieldHeight + rows.margin));
    const int buttonWidth = nearest(width / 4.95);
    drawButton(sprite::passwordOpen, buttonWidth, rows.fieldHeight, "Open", palette::buttonGreen,
               palette::white);
    drawButton(sprite::passwordCancel, buttonWidth, rows.fieldHeight, "Cancel", palette::lightGrey,
               media::rgb(1, 1, 1));
}

// One mask character per typed character; when they no longer fit, the last ones typed.
std::string maskedPassword(const std::string& typed, int fieldWidth) {
    const int characters = static_cast<int>(media::characterCount(typed));
    const int fitting = std::max(0, fieldWidth / std::max(1, media::textWidth(maskCharacter)));
    std::string masked;
    for (int i = 0; i < std::min(characters, fitting); ++i) masked += maskCharacter;
    return masked;
}

void drawTexts(const Viewer& v, const Rows& rows, int width) {
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::large);
    const std::string title = "Password required";
    media::drawText(width / 2 - media::textWidth(title) / 2, rows.margin, title, palette::white);
    media::setFont(font::medium);
    const bool wrong = v.password.wrongPassword;
    const std::string message =
        wrong ? "Wrong password, please try again." : "This document is protected by a password.";
    media::drawText(rows.margin, rows.cancelY + rows.fieldHeight / 2 - media::textHeight(message) / 2,
                    message, wrong ? warningYellow : palette::white);
}

void drawPanel(Viewer& v) {
    PasswordState& p = v.password;
    const int w = media::spriteOwnWidth(sprite::passwordPanel);
    const int h = media::spriteOwnHeight(sprite::passwordPanel);
    const Rows rows = currentRows(v);
    const int fieldWidth = rows.buttonX - rows.margin;
    if (!media::beginDrawing(sprite::passwordPanel)) return;
    media::fillBox(0, 0, w, h, palette::panelGrey);
    media::fillBox(rows.margin, rows.openY, fieldWidth, rows.fieldHeight, palette::white);
    media::setFont(font::medium);
    const int textX = rows.margin + v.layout.baseFontSize;
    const std::string masked = maskedPassword(p.typedPassword, fieldWidth - 2 * v.layout.baseFontSize);
    media::drawText(textX, rows.openY + rows.fieldHeight / 2 - media::textHeight(maskCharacter) / 2, masked,
                    palette::black, palette::white);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, w, h, palette::black);
    media::fillBox(rows.margin, rows.openY, fieldWidth + media::spriteOwnWidth(sprite::passwordOpen),
                   rows.fieldHeight, palette::black);
    drawTexts(v, rows, w);
    media::endDrawing();
    p.drawnCharacters = static_cast<int>(media::characterCount(p.typedPassword));
    p.drawnWrong = p.wrongPassword;
}

void redrawPanelIfChanged(Viewer& v) {
    const PasswordState& p = v.password;
    if (static_cast<int>(media::characterCount(p.typedPassword)) != p.drawnCharacters ||
        p.wrongPassword != p.drawnWrong) {
        drawPanel(v);
    }
}

// The physical keyboard, as the search word is typed, and the on-screen keyboard's Return. True
// when Return asks for the password to be tried (never for an empty field).
bool typePassword(Viewer& v) {
    std::string& typed = v.password.typedPassword;
    const bool onScreenReturn = v.search.onScreenEnterPressed;
    v.search.onScreenEnterPressed = false;
    if (!typed.empty() && media::keyReleased(media::scan::backspace)) {
        typed.resize(media::withoutLastCharacter(typed).size());
        return false;
    }
    if (media::keyReleased(media::scan::enter) || onScreenReturn) return !typed.empty();
    const std::string character = media::typedCharacter();
    if (media::firstCodePoint(character) > 31) typed += character;
    return false;
}

// A right password ends the wait (submitPassword closes the panel); a wrong one is wiped and
// the panel asks again.
void tryPassword(Viewer& v) {
    PasswordState& p = v.password;
    v.document.documentPassword = p.typedPassword;
    if (submitPassword(v)) return;
    forgetSecret(v.document.documentPassword);
    forgetSecret(p.typedPassword);
    p.wrongPassword = true;
}

}  // namespace

void openPasswordPanel(Viewer& v) {
    PasswordState& p = v.password;
    forgetSecret(p.typedPassword);
    p.typedPassword.reserve(reservedBytes);
    p.wrongPassword = false;
    p.passwordPanelOpen = true;
    v.frame.searchPanelOpen = false;
    v.frame.searchInputActive = false;
    v.frame.keyboardKeyDown = false;
    v.frame.messagePanelShown = false;  // an earlier document's message would hide the panel
    createPanelSprites(v);
    drawPanel(v);
}

void closePasswordPanel(Viewer& v) {
    PasswordState& p = v.password;
    forgetSecret(p.typedPassword);
    p.passwordPanelOpen = false;
    p.wrongPassword = false;
    p.pointerOverOpenButton = p.pointerOverCancelButton = false;
    p.drawnCharacters = -1;
    p.drawnWrong.reset();
}

void displayPasswordPanel(Viewer& v) {
    PasswordState& p = v.password;
    p.pointerOverOpenButton = p.pointerOverCancelButton = false;
    if (!p.passwordPanelOpen) return;
    const int x = panelX(v), y = panelY();
    const Rows rows = currentRows(v);
    media::displaySprite(sprite::passwordPanel, x, y);
    media::displaySprite(sprite::passwordOpen, x + rows.buttonX, y + rows.openY);
    media::displaySprite(sprite::passwordCancel, x + rows.buttonX, y + rows.cancelY);
    if (!v.frame.zoomDragging) {
        p.pointerOverOpenButton = pointerOver(sprite::passwordOpen, x + rows.buttonX, y + rows.openY);
        p.pointerOverCancelButton = pointerOver(sprite::passwordCancel, x + rows.buttonX, y + rows.cancelY);
    }
    if (!v.keyboard.keyboardDisabled) showKeyboard(v);
}

void typeAndTryPassword(Viewer& v) {
    PasswordState& p = v.password;
    if (!p.passwordPanelOpen) return;
    const bool released = v.frame.frameEvent == media::WindowEvent::leftUp;
    if (released && p.pointerOverCancelButton) {
        abandonLockedDocument(v);
        return;
    }
    const bool returnPressed = typePassword(v);
    const bool openPressed = released && p.pointerOverOpenButton && !p.typedPassword.empty();
    if (returnPressed || openPressed) tryPassword(v);
    if (p.passwordPanelOpen) redrawPanelIfChanged(v);
}
