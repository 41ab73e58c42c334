// The password panel: drawn like the search panel, a masked field with Open and Cancel buttons,
// typed into from the on-screen and the physical keyboard.
#include "app/password_panel.h"

#include <algorithm>

#include "app/entry_panel.h"
#include "app/opening.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/text/text.h"

namespace {

const std::string maskCharacter = "\u2022";
// Room for any password typed by hand, so that typing never moves it into a new buffer and leaves
// a copy behind in freed memory.
constexpr std::size_t reservedBytes = 512;

const EntryPanelSprites panelSprites{sprite::passwordPanel, sprite::passwordOpen, sprite::passwordCancel};

// One mask character per typed character; when they no longer fit, the last ones typed.
std::string maskedPassword(const std::string& typed, int fieldWidth) {
    const int characters = static_cast<int>(media::characterCount(typed));
    const int fitting = std::max(0, fieldWidth / std::max(1, media::textWidth(maskCharacter)));
    std::string masked;
    for (int i = 0; i < std::min(characters, fitting); ++i) masked += maskCharacter;
    return masked;
}

void drawPanel(Viewer& v) {
    PasswordState& p = v.password;
    const EntryPanelRows rows = entryPanelRows(v, panelSprites);
    const int fieldWidth = rows.buttonX - rows.margin;
    media::setFont(font::medium);  // the mask is measured in the field's font
    EntryPanelText text;
    text.title = "Password required";
    text.field = maskedPassword(p.typedPassword, fieldWidth - 2 * v.layout.baseFontSize);
    text.warning = p.wrongPassword;
    text.message =
        p.wrongPassword ? "Wrong password, please try again." : "This document is protected by a password.";
    drawEntryPanel(v, panelSprites, text);
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
    createEntryPanel(v, panelSprites, "Open");
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
    const EntryPanelHover hover = displayEntryPanel(v, panelSprites);
    p.pointerOverOpenButton = hover.button;
    p.pointerOverCancelButton = hover.cancel;
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
