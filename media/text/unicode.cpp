// UTF-8 characters: counting and cutting at character boundaries, Windows-1252 repair, and Unicode
// case folding and widths through utf8proc.
#include <utf8proc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/text/text.h"

namespace media {

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows itself does,
// so that a repaired text keeps one character per original byte.
constexpr char32_t windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t windows1252CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return windows1252High[byte - 0x80];
    return byte;
}

void appendCodePoint(std::string& text, char32_t codePoint) {
    utf8proc_uint8_t buffer[4];
    utf8proc_ssize_t length = utf8proc_encode_char(static_cast<utf8proc_int32_t>(codePoint), buffer);
    text.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

// Offset of the character after the one at offset; a byte that starts no valid sequence counts as a
// character of its own, so even damaged text is never cut inside a valid sequence.
std::size_t nextBoundary(const std::string& text, std::size_t offset) {
    return offset + decodeUtf8(text, offset).length;
}

}  // namespace

std::size_t characterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < utf8.size(); offset = nextBoundary(utf8, offset)) ++count;
    return count;
}

std::size_t byteOffsetOfCharacter(const std::string& utf8, std::size_t characterIndex) {
    std::size_t offset = 0;
    for (std::size_t index = 0; index < characterIndex && offset < utf8.size(); ++index)
        offset = nextBoundary(utf8, offset);
    return offset;
}

std::string characterSlice(const std::string& utf8, std::size_t first, std::size_t count) {
    std::size_t start = byteOffsetOfCharacter(utf8, first);
    std::size_t end = start;
    for (std::size_t index = 0; index < count && end < utf8.size(); ++index) end = nextBoundary(utf8, end);
    return utf8.substr(start, end - start);
}

std::string withoutLastCharacter(const std::string& utf8) {
    std::size_t last = 0;
    for (std::size_t offset = 0; offset < utf8.size(); offset = nextBoundary(utf8, offset)) last = offset;
    return utf8.substr(0, last);
}

// A first byte that starts no valid sequence gives its Windows-1252 code point.
int firstCodePoint(const std::string& utf8) {
    if (utf8.empty()) return 0;
    const Utf8Character first = decodeUtf8(utf8, 0);
    if (first.valid) return static_cast<int>(first.codePoint);
    return static_cast<int>(windows1252CodePoint(static_cast<unsigned char>(utf8[0])));
}

// utf8proc's width of 2 follows the East Asian Width classes W and F. Its 0 for combining and format
// characters is taken as 1: a line may then end a column early, but never runs past its width.
int displayColumns(int codePoint) {
    if (codePoint < 0x1100) return 1;  // nothing wide comes before the Hangul Jamo
    return utf8proc_charwidth(static_cast<utf8proc_int32_t>(codePoint)) == 2 ? 2 : 1;
}

// Length of the run of ASCII bytes from offset, eight at a time: most text is plain ASCII.
static std::size_t asciiRun(const std::string& bytes, std::size_t offset) {
    std::size_t start = offset;
    constexpr std::uint64_t highBits = 0x8080808080808080ull;
    while (offset + 8 <= bytes.size()) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + offset, 8);
        if (word & highBits) break;
        offset += 8;
    }
    while (offset < bytes.size() && static_cast<unsigned char>(bytes[offset]) < 0x80) ++offset;
    return offset - start;
}

bool isValidUtf8(const std::string& bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        offset += asciiRun(bytes, offset);
        if (offset >= bytes.size()) break;
        const Utf8Character character = decodeUtf8(bytes, offset);
        if (!character.valid) return false;
        offset += character.length;
    }
    return true;
}

std::string repairToUtf8(const std::string& bytes) {
    if (isValidUtf8(bytes)) return bytes;
    std::string repaired;
    repaired.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t offset = 0; offset < bytes.size();) {
        const Utf8Character character = decodeUtf8(bytes, offset);
        if (character.valid) {
            repaired.append(bytes, offset, character.length);
            offset += character.length;
        } else {
            appendCodePoint(repaired, windows1252CodePoint(static_cast<unsigned char>(bytes[offset++])));
        }
    }
    return repaired;
}

std::string forTerminal(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        const Utf8Character character = decodeUtf8(text, offset);
        const char32_t code = character.codePoint;
        const bool control = (code < 0x20 && code != '\n' && code != '\t') || (code >= 0x7F && code <= 0x9F);
        if (character.valid && !control)
            shown.append(text.substr(offset, character.length));
        else
            shown += '?';
        offset += character.length;
    }
    return shown;
}

// Damaged input is repaired first, because utf8proc refuses to map invalid UTF-8.
std::string caseFold(const std::string& utf8) {
    std::string valid = repairToUtf8(utf8);
    utf8proc_uint8_t* folded = nullptr;
    utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(valid.data()),
                                           static_cast<utf8proc_ssize_t>(valid.size()), &folded,
                                           static_cast<utf8proc_option_t>(UTF8PROC_CASEFOLD));
    if (length < 0) return valid;
    std::string result(reinterpret_cast<const char*>(folded), static_cast<std::size_t>(length));
    std::free(folded);
    return result;
}

std::string asciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string trimmed(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

}  // namespace media
