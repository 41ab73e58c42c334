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

// Byte offset just after count characters starting at byte pos (or the text's end).
inline std::size_t advanceCharacters(const std::string& s, std::size_t pos, std::size_t count) {
    while (count > 0 && pos < s.size()) {
        pos += characterLength(s, pos);
        --count;
    }
    return pos;
}

}  // namespace text
