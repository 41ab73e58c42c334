// The media layer's text room: characters (UTF-8 counting and cutting, Windows-1252 repair, Unicode
// case folding, display columns, right-to-left order) and the fonts. The character functions may be
// called from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace media {

// Number of Unicode characters in valid UTF-8 text.
std::size_t characterCount(const std::string& utf8);
// Byte offset of character index (clamped to the text's end).
std::size_t byteOffsetOfCharacter(const std::string& utf8, std::size_t characterIndex);
// Characters [first, first + count) of the text, never cutting a character's bytes apart.
std::string characterSlice(const std::string& utf8, std::size_t first, std::size_t count);
// Text without its last character (empty stays empty).
std::string withoutLastCharacter(const std::string& utf8);
// Code point of the first character, 0 for empty text.
int firstCodePoint(const std::string& utf8);
// Display columns of a character in a monospace face: 2 for the East Asian wide and fullwidth
// characters (ideographs, kana, Hangul, fullwidth forms), 1 for every other, zero-width ones included.
int displayColumns(int codePoint);
bool isValidUtf8(const std::string& bytes);
// Right-to-left text (Hebrew, Arabic and their kin) in a line: bidi.cpp. A line is laid out as a
// left-to-right paragraph. Levels: 0 left-to-right, 1 right-to-left, 2 a number within
// right-to-left text; the order lists the characters' indexes as they stand from left to right.
bool hasRightToLeft(const std::u32string& codePoints);
std::vector<int> bidiLevels(const std::u32string& codePoints);
std::vector<std::size_t> visualOrder(const std::vector<int>& levels);
// Valid UTF-8 is returned as it is; every byte that does not start a valid UTF-8 sequence is taken
// as Windows-1252 and re-encoded.
std::string repairToUtf8(const std::string& bytes);
// Full Unicode case folding (a word in capitals matches lower-case text, also Greek and Cyrillic).
std::string caseFold(const std::string& utf8);
// Upper-cases ASCII letters only.
std::string asciiUpper(std::string text);

// ---------------------------------------------------------------------------------------------
// Fonts. The face is found through fontconfig; sizes are points at 96 dots per inch.
// Font -1 (or a font never loaded) is the drawing service's default font.
// Asks fontconfig for the faces of these families (regular and bold) on a thread of the media layer,
// so that loadFont of them later finds the answer waiting; loadFont waits for the thread. Any thread.
void lookUpFontsAhead(const std::vector<std::string>& faceNames);
bool loadFont(int number, const std::string& faceName, int pointSize, bool bold);
std::string fontFile(int number);  // the file the font was loaded from (for diagnostics and tests)
// Characters a font lacks are drawn from a fallback face that has them, found through fontconfig; a
// character no installed face has shows the font's missing-glyph box. The number of searches for such
// a face so far (for diagnostics and tests): one per point size, style and range of characters.
int fallbackFaceLookups();

}  // namespace media
