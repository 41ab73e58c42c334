// The media layer's text room: characters (UTF-8 counting and cutting, Windows-1252 repair, Unicode
// case folding, display columns, right-to-left order) and the fonts. The character functions may be
// called from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace media {

// One character of UTF-8 text, as the viewer's one decoder reads it.
struct Utf8Character {
    char32_t codePoint;  // U+FFFD for a byte that starts no valid sequence
    std::size_t length;  // its bytes: 1 to 4
    bool valid;
};

// The character that starts at byte offset (below the text's size). A valid sequence (the shortest
// form, no surrogate, at most U+10FFFF) is one character; any other byte (a stray continuation byte,
// a lead byte whose sequence is cut short or broken) is a character of its own, one byte long, so that
// a walk always advances and never cuts a valid sequence apart. Inline: the text store and the search
// walk every character of a document with it.
inline Utf8Character decodeUtf8(std::string_view text, std::size_t offset) {
    constexpr Utf8Character bad{0xFFFD, 1, false};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};
    if (lead < 0xC2 || lead > 0xF4) return bad;
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (text.size() - offset < length) return bad;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return bad;
        code = code << 6 | (byte(i) & 0x3F);
    }
    const char32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < shortest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return bad;
    return {code, length, true};
}

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
// Text for a terminal: each control character (C0 but line feed and tab, DEL, C1) and each byte that
// starts no valid UTF-8 sequence becomes "?", so that a file's name can neither move the cursor nor
// send escape sequences.
std::string forTerminal(std::string_view text);
// The text without the blanks (spaces unless told) at either end.
std::string trimmed(std::string_view text, std::string_view blanks = " ");

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
