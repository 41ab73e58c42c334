// What no first frame shows, made once the first frame is on screen: tool tips, text view, search
// panel, keyboard, about screen; and the welcome panel when a document named at start shows instead.
#include "app/later_sprites.h"

#include "about/about.h"
#include "app/panels.h"
#include "context/helpers.h"
#include "keyboard/keyboard.h"
#include "media/input/input.h"

// One group a frame, so that no frame waits for all of them: the tips (and the welcome panel, when
// start-up left it); the text view and the search panel; the keyboard faces, placed; the sound and
// the about screen.
void prepareLaterSpriteGroup(Viewer& v) {
    switch (v.frame.laterSpritesDrawn) {
        case 0:
            drawToolTips(v);
            if (!welcomeDrawn()) drawWelcome(v);
            break;
        case 1:
            drawTextView(v.layout);
            drawSearchPanelSprites(v);
            break;
        case 2:
            drawKeyboards(v);
            placeKeyboard(v);
            // The keyboard's place is known from here on: the pointer's place on it follows.
            v.keyboard.keyboardPointerX = media::mouseX() - v.keyboard.keyboardX;
            v.keyboard.keyboardPointerY = media::mouseY() - v.keyboard.keyboardY;
            break;
        case 3:
            startAboutSound(v);  // the about text names the music only when there is sound
            drawAboutSprites(v);
            break;
        default:
            return;
    }
    ++v.frame.laterSpritesDrawn;
}

void prepareLaterSprites(Viewer& v) {
    while (v.frame.laterSpritesDrawn < laterSpriteGroups) prepareLaterSpriteGroup(v);
}

void prepareLaterSpritesWhenShown(Viewer& v) {
    if (v.frame.welcomeShown && !welcomeDrawn()) drawWelcome(v);
    if (v.frame.laterSpritesDrawn >= laterSpriteGroups) return;
    if (typingPanelOpen(v) || pointerOver(sprite::toolbarZone, 0, 0)) prepareLaterSprites(v);
}
