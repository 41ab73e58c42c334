// What no first frame shows, made once the first frame is on screen: tool tips, text view, search
// panel, keyboard, about screen; and the welcome panel when a document named at start shows instead.
#include "app/later_sprites.h"

#include "about/about.h"
#include "app/panels.h"
#include "context/helpers.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"

namespace {

void startSoundSystem(Viewer& v) {
    if (!media::startSound()) {
        v.layout.soundUnavailable = true;
        return;
    }
    v.layout.soundUnavailable = false;
    prepareAboutTune(v);
}

void placeKeyboard(Viewer& v) {
    int face = v.keyboard.activeKeyboardSprite;
    if (!media::spriteExists(face)) return;
    v.layout.keyboardX = v.layout.screenWidth / 2 - media::spriteWidth(face) / 2;
    v.layout.keyboardY =
        media::windowHeight() - media::spriteHeight(face) - media::spriteHeight(sprite::pageCounter) / 2;
}

}  // namespace

// One group a frame, so that no frame waits for all of them: the tips (and the welcome panel, when
// start-up left it); the text view and the search panel; the keyboard faces, placed; the sound and
// the about screen.
void prepareLaterSpriteGroup(Viewer& v) {
    Layout& layout = v.layout;
    switch (layout.laterSpritesDrawn) {
        case 0:
            drawToolTips(v);
            if (!welcomeDrawn()) drawWelcome(v);
            break;
        case 1:
            drawTextView(layout);
            drawSearchPanelSprites(v);
            break;
        case 2:
            drawKeyboards(v);
            placeKeyboard(v);
            // The keyboard's place is known from here on: the pointer's place on it follows.
            v.keyboard.keyboardPointerX = media::mouseX() - layout.keyboardX;
            v.keyboard.keyboardPointerY = media::mouseY() - layout.keyboardY;
            break;
        case 3:
            startSoundSystem(v);  // the about text names the music only when there is sound
            drawAboutSprites(v);
            break;
        default:
            return;
    }
    ++layout.laterSpritesDrawn;
}

void prepareLaterSprites(Viewer& v) {
    while (v.layout.laterSpritesDrawn < laterSpriteGroups) prepareLaterSpriteGroup(v);
}

void prepareLaterSpritesWhenShown(Viewer& v) {
    if (v.frame.welcomeShown && !welcomeDrawn()) drawWelcome(v);
    if (v.layout.laterSpritesDrawn >= laterSpriteGroups) return;
    if (typingPanelOpen(v) || pointerOver(sprite::toolbarZone, 0, 0)) prepareLaterSprites(v);
}
