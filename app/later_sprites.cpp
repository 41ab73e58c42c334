// What no first frame shows, made once the first frame is on screen: tool tips, text view, keyboard,
// about screen.
#include "app/later_sprites.h"

#include "about/about.h"
#include "app/panels.h"
#include "context/helpers.h"
#include "keyboard/keyboard.h"
#include "media/media.h"

namespace {

void startSoundSystem(Viewer& v) {
    if (!media::startSound()) {
        v.layout.soundUnavailable = 1;
        return;
    }
    v.layout.soundUnavailable = 0;
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

void prepareLaterSprites(Viewer& v) {
    if (v.layout.laterSpritesDrawn) return;
    v.layout.laterSpritesDrawn = 1;
    startSoundSystem(v);  // the about text names the music only when there is sound
    drawToolTips(v);
    drawTextView(v.layout);
    drawKeyboards(v);
    placeKeyboard(v);
    drawAboutSprites(v);
    // The keyboard's place is known from here on: the pointer's place on it follows.
    v.keyboard.keyboardPointerX = media::mouseX() - v.layout.keyboardX;
    v.keyboard.keyboardPointerY = media::mouseY() - v.layout.keyboardY;
}

void prepareLaterSpritesWhenShown(Viewer& v) {
    if (v.layout.laterSpritesDrawn) return;
    if (typingPanelOpen(v) || pointerOver(sprite::toolbarZone, 0, 0)) prepareLaterSprites(v);
}
