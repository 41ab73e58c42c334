// Stepping through UTF-8 text one character at a time, for the cuts and scans of the text store and
// the search (linear walks where media/unicode.h would restart from the text's beginning).
#pragma once

#include <cstddef>
#include <string>

namespace text {

// Bytes taken by the character that starts at byte pos; never runs past the text's end. A stray
// continuation byte counts as a character of its own so that a walk always advances.
inline std::size_t characterLength(const std::string& s, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    const std::size_t left = s.size() - pos;
    return length < left ? length : left;
}

inline bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset just after count characters starting at byte pos (or the text's end); a character is a
// byte with the continuation bytes that follow it.
inline std::size_t advanceCharacters(const std::string& s, std::size_t pos, std::size_t count) {
    const std::size_t size = s.size();
    for (; count > 0 && pos < size; --count) {
        ++pos;
        while (pos < size && isContinuationByte(s[pos])) ++pos;
    }
    return pos;
}

// Code point of the character that starts at byte pos, as characterLength delimits it; a sequence cut
// short by the text's end gives its lead byte's bits alone.
inline char32_t codePointAt(const std::string& s, std::size_t pos) {
    const std::size_t length = characterLength(s, pos);
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (length == 1) return lead;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(s[pos + i]) & 0x3F);
    return code;
}

}  // namespace text
