// The on-screen keyboard: its labels from the configuration file, its geometry and typing state.
#pragma once

#include <string>
#include <vector>

struct KeyEntry {
    std::string label;
    int x = 0, y = 0, width = 0, height = 0;  // on the keyboard picture; lowerKeys only
};

struct KeyboardState {
    std::vector<KeyEntry> lowerKeys, upperKeys, altGrKeys;  // 60 each when the file was read
    bool keyboardDisabled = false;
    bool lowerCaseActive = true, shiftActive = false, altGrActive = false;
    int activeKeyboardSprite = 90;
    bool pointerOverKey = false;
    int currentKey = -1;  // index of the list's current key after the hover walk
    int hoverKeySprite = 0, hoverKeyX = 0, hoverKeyY = 0;
    int pressedKeySprite = 0;
    int lockKeySprite = 0;
    int shiftKeyX = 0, shiftKeyY = 0, altGrKeyX = 0, altGrKeyY = 0;
    std::string typedKeyText;
    int keyboardPointerX = 0, keyboardPointerY = 0;
    // Geometry, fixed when the faces are drawn and placed.
    int width = 0, height = 0, keyWidth = 0, keyHeight = 0;
    int keyboardX = 0, keyboardY = 0;  // where the face is shown
};
