// The on-screen keyboard at run time: which key is under the pointer, the case locks, typing.
#include <array>

#include "context/check.h"
#include "context/helpers.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/text/text.h"
#include "text/search.h"

namespace {

constexpr int deleteKey = 13, tabKey = 14, enterUpper = 27, capsLock = 28, enterLower = 41, leftShift = 42,
              rightShift = 54, spaceBar = 57, leftAltGr = 56, rightAltGr = 58;

bool keyboardUsable(const KeyboardState& k) {
    return !k.keyboardDisabled && k.lowerKeys.size() == keyCount && k.upperKeys.size() == keyCount &&
           k.altGrKeys.size() == keyCount;
}

bool pointerOnKey(const KeyEntry& key, int x, int y) {
    return key.x <= x && x <= key.x + key.width && key.y <= y && y <= key.y + key.height;
}

// The keys whose shape and text are fixed by their place: their hover sprite and what they type.
struct SpecialKey {
    int index, hoverSprite;
    const char* text;  // "-1" deletes the last character
};
constexpr std::array<SpecialKey, 12> specialKeys{{{deleteKey, 99, "-1"},
                                                  {tabKey, 94, "        "},
                                                  {enterUpper, 104, ""},
                                                  {capsLock, 101, ""},
                                                  {enterLower, 104, ""},
                                                  {leftShift, 102, ""},
                                                  {rightShift, 103, ""},
                                                  {55, 96, ""},
                                                  {leftAltGr, 96, ""},
                                                  {spaceBar, 98, " "},
                                                  {rightAltGr, 96, ""},
                                                  {59, 97, ""}}};

const SpecialKey* findSpecialKey(int index) {
    for (const auto& key : specialKeys)
        if (key.index == index) return &key;
    return nullptr;
}

// The hover sprite and its place for a key; a special key's shape overrides the one-character rule.
void chooseHoverSprite(KeyboardState& k, int index) {
    const auto& key = k.lowerKeys[static_cast<std::size_t>(index)];
    if (const SpecialKey* special = findSpecialKey(index)) {
        const auto& place = index == enterLower ? k.lowerKeys[enterUpper] : key;
        k.hoverKeySprite = special->hoverSprite;
        k.hoverKeyX = place.x;
        k.hoverKeyY = place.y;
    } else if (media::characterCount(key.label) == 1) {
        k.hoverKeySprite = 93;
        k.hoverKeyX = key.x - 2;  // the regular key's outline lies 2 pixels left of its rectangle
        k.hoverKeyY = key.y;
    }  // a longer label on a regular key: found, but no new highlight
}

void setCase(KeyboardState& k, bool lower, bool shift, bool altGr, int face) {
    k.lowerCaseActive = lower;
    k.shiftActive = shift;
    k.altGrActive = altGr;
    k.activeKeyboardSprite = face;
}

// Caps lock and both shifts toggle one upper-case lock; both AltGr keys toggle the AltGr lock.
void applyLockKey(KeyboardState& k) {
    const int sprite = k.hoverKeySprite;
    if (sprite == 101 || sprite == 102 || sprite == 103) {
        if (!k.shiftActive)
            setCase(k, false, true, false, 91);
        else
            setCase(k, true, false, false, 90);
        k.lockKeySprite = sprite;
        // The highlight goes where that key was hovered: after the pointer has left the keys the
        // walk's current key is the last one, which is not the key that switched.
        k.shiftKeyX = k.hoverKeyX;
        k.shiftKeyY = k.hoverKeyY;
    } else if (sprite == 96 && (k.currentKey == leftAltGr || k.currentKey == rightAltGr)) {
        if (!k.altGrActive) {
            setCase(k, false, false, true, 92);
            k.lockKeySprite = 96;
            k.altGrKeyX = k.lowerKeys[static_cast<std::size_t>(k.currentKey)].x;
            k.altGrKeyY = k.lowerKeys[static_cast<std::size_t>(k.currentKey)].y;
        } else {
            setCase(k, true, false, false, 90);
        }
    }
}

// The text the current key gives in the active case; "-1" asks for a deletion. The Enter keys give
// no text but raise onScreenEnterPressed for the search.
std::string releasedKeyText(Viewer& v) {
    const auto& k = v.keyboard;
    const int index = k.currentKey;
    if (index < 0 || index >= static_cast<int>(keyCount)) return "";
    if (index == enterUpper || index == enterLower) v.search.onScreenEnterPressed = true;
    if (const SpecialKey* special = findSpecialKey(index)) return special->text;
    const auto& list = k.shiftActive ? k.upperKeys : k.altGrActive ? k.altGrKeys : k.lowerKeys;
    return list[static_cast<std::size_t>(index)].label;
}

void displayAt(int sprite, int x, int y, int intensity) {
    if (sprite != 0) media::displayTransparentSprite(sprite, x, y, intensity);
}

}  // namespace

void hoverKeys(Viewer& v) {
    auto& k = v.keyboard;
    k.pointerOverKey = false;
    for (int index = 0; index < static_cast<int>(k.lowerKeys.size()); ++index) {
        k.currentKey = index;
        if (pointerOnKey(k.lowerKeys[static_cast<std::size_t>(index)], k.keyboardPointerX,
                         k.keyboardPointerY)) {
            k.pointerOverKey = true;
            chooseHoverSprite(k, index);
            return;
        }
    }
}

void keyboardPress(Viewer& v) {
    v.frame.keyboardKeyDown = true;
    v.keyboard.pressedKeySprite = pressedKeySpriteFor(v.keyboard.hoverKeySprite);
}

void handleKeyRelease(Viewer& v) {
    auto& k = v.keyboard;
    if (!keyboardUsable(k)) return;
    PAGEWELL_CHECK(k.currentKey >= 0 && k.currentKey < static_cast<int>(keyCount),
                   "the key hover walk ran earlier in this frame");
    applyLockKey(k);
    v.frame.keyboardKeyDown = false;
    k.typedKeyText = releasedKeyText(v);
    auto& word = typingTarget(v);
    if (k.typedKeyText == "-1")
        word = media::withoutLastCharacter(word);
    else
        word += k.typedKeyText;
    if (&word == &v.search.searchWord) drawSearchHeader(v);  // the other panels redraw themselves
}

void showKeyboard(Viewer& v) {
    const auto& k = v.keyboard;
    if (!keyboardUsable(k)) return;
    const int x = k.keyboardX, y = k.keyboardY;
    media::displayTransparentSprite(k.activeKeyboardSprite, x, y, 230);
    if (k.pointerOverKey && !v.frame.keyboardKeyDown)
        displayAt(k.hoverKeySprite, x + k.hoverKeyX, y + k.hoverKeyY, 150);
    if (k.altGrActive && !k.shiftActive) displayAt(k.lockKeySprite, x + k.altGrKeyX, y + k.altGrKeyY, 150);
    if (k.shiftActive && !k.altGrActive) displayAt(k.lockKeySprite, x + k.shiftKeyX, y + k.shiftKeyY, 150);
}

void showPressedKey(Viewer& v) {
    auto& k = v.keyboard;
    if (!v.frame.keyboardKeyDown || !typingPanelOpen(v) || !keyboardUsable(k)) return;
    k.pressedKeySprite = pressedKeySpriteFor(k.hoverKeySprite);  // follows the pointer while held
    displayAt(k.pressedKeySprite, k.keyboardX + k.hoverKeyX, k.keyboardY + k.hoverKeyY, 150);
}

void resetKeyboardCase(Viewer& v) {
    setCase(v.keyboard, true, false, false, 90);
}
