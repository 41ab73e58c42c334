// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "keyboard/keyboard.h"

std::vector<std::string> parseRowValue(const std::string& value, int lastField) { (void)value; (void)lastField; return {}; }
void readKeyboardLayout(Viewer& v) { (void)v; }
void drawKeyboards(Viewer& v) { (void)v; }
void hoverKeys(Viewer& v) { (void)v; }
void keyboardPress(Viewer& v) { (void)v; }
void handleKeyRelease(Viewer& v) { (void)v; }
void showKeyboard(Viewer& v) { (void)v; }
void showPressedKey(Viewer& v) { (void)v; }
void resetKeyboardCase(Viewer& v) { (void)v; }
