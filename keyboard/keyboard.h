// The on-screen keyboard: configuration, faces, hover, typing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "context/viewer.h"

constexpr std::size_t keyCount = 60;  // keys per list: rows of 14, 14, 14, 13 and 5

// Pure: the labels of one row value (fields 2..lastField of a "¦"-separated value, trimmed).
std::vector<std::string> parseRowValue(const std::string& value, int lastField);
void readKeyboardLayout(Viewer& v);  // Pagewell.ini; message box when it is missing
void drawKeyboards(Viewer& v);       // faces 90..92, key rectangles, highlight sprites
void placeKeyboard(Viewer& v);       // centred above the page counter, once the faces are drawn
void hoverKeys(Viewer& v);
void keyboardPress(Viewer& v);     // frame step 17, the press part
void handleKeyRelease(Viewer& v);  // frame step 17, the release part
void showKeyboard(Viewer& v);
void showPressedKey(Viewer& v);     // frame step 20
void resetKeyboardCase(Viewer& v);  // back to lower case
// The pressed-look sprite paired with a hover sprite (93 -> 106, ..., 104 -> 115); 0 for any other.
int pressedKeySpriteFor(int hoverSprite);
