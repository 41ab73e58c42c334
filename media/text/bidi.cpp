// Display order of a line of mixed left-to-right and right-to-left text: the Unicode bidirectional
// algorithm's weak and neutral rules and its reordering, for a left-to-right paragraph without
// explicit embeddings, which is what a line of extracted text is.
#include <utf8proc.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "media/text/text.h"

namespace media {

namespace {

enum class Bidi {
    left,
    right,
    arabicLetter,
    europeanNumber,
    arabicNumber,
    separator,
    commonSeparator,
    terminator,
    mark,
    neutral
};

Bidi bidiOf(char32_t codePoint) {
    switch (utf8proc_get_property(static_cast<utf8proc_int32_t>(codePoint))->bidi_class) {
        case UTF8PROC_BIDI_CLASS_L:
            return Bidi::left;
        case UTF8PROC_BIDI_CLASS_R:
            return Bidi::right;
        case UTF8PROC_BIDI_CLASS_AL:
            return Bidi::arabicLetter;
        case UTF8PROC_BIDI_CLASS_EN:
            return Bidi::europeanNumber;
        case UTF8PROC_BIDI_CLASS_AN:
            return Bidi::arabicNumber;
        case UTF8PROC_BIDI_CLASS_ES:
            return Bidi::separator;
        case UTF8PROC_BIDI_CLASS_CS:
            return Bidi::commonSeparator;
        case UTF8PROC_BIDI_CLASS_ET:
            return Bidi::terminator;
        case UTF8PROC_BIDI_CLASS_NSM:
            return Bidi::mark;
        default:
            return Bidi::neutral;
    }
}

bool isStrong(Bidi type) {
    return type == Bidi::left || type == Bidi::right || type == Bidi::arabicLetter;
}

// The first strong type before index i; the paragraph's left-to-right direction at the start.
Bidi strongBefore(const std::vector<Bidi>& types, std::size_t i) {
    while (i-- > 0) {
        if (isStrong(types[i])) return types[i];
    }
    return Bidi::left;
}

// W1 to W3: marks take the type before them; a European number after an Arabic letter is an Arabic
// number; Arabic letters are right-to-left.
void resolveMarksAndArabic(std::vector<Bidi>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] == Bidi::mark) types[i] = i > 0 ? types[i - 1] : Bidi::neutral;
    }
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] == Bidi::europeanNumber && strongBefore(types, i) == Bidi::arabicLetter) {
            types[i] = Bidi::arabicNumber;
        }
    }
    for (Bidi& type : types) {
        if (type == Bidi::arabicLetter) type = Bidi::right;
    }
}

// W4 to W7: separators inside numbers, terminators beside European numbers, the rest neutral; a
// European number after left-to-right text is left-to-right.
void resolveNumbers(std::vector<Bidi>& types) {
    for (std::size_t i = 1; i + 1 < types.size(); ++i) {
        const Bidi before = types[i - 1], after = types[i + 1];
        const bool european = before == Bidi::europeanNumber && after == Bidi::europeanNumber;
        const bool arabic = before == Bidi::arabicNumber && after == Bidi::arabicNumber;
        if ((types[i] == Bidi::separator && european) || (types[i] == Bidi::commonSeparator && european)) {
            types[i] = Bidi::europeanNumber;
        } else if (types[i] == Bidi::commonSeparator && arabic) {
            types[i] = Bidi::arabicNumber;
        }
    }
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] != Bidi::terminator) continue;
        std::size_t end = i;
        while (end < types.size() && types[end] == Bidi::terminator) ++end;
        const bool nextToNumber = (i > 0 && types[i - 1] == Bidi::europeanNumber) ||
                                  (end < types.size() && types[end] == Bidi::europeanNumber);
        std::fill(types.begin() + static_cast<std::ptrdiff_t>(i),
                  types.begin() + static_cast<std::ptrdiff_t>(end),
                  nextToNumber ? Bidi::europeanNumber : Bidi::neutral);
        i = end - 1;
    }
    for (Bidi& type : types) {
        if (type == Bidi::separator || type == Bidi::commonSeparator || type == Bidi::terminator) {
            type = Bidi::neutral;
        }
    }
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] == Bidi::europeanNumber && strongBefore(types, i) == Bidi::left) types[i] = Bidi::left;
    }
}

// For the neutral rules numbers count as right-to-left.
Bidi direction(Bidi type) {
    return type == Bidi::left ? Bidi::left : Bidi::right;
}

// N1, N2: neutrals between two strong types of one direction take it, the others the paragraph's.
void resolveNeutrals(std::vector<Bidi>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] != Bidi::neutral) continue;
        std::size_t end = i;
        while (end < types.size() && types[end] == Bidi::neutral) ++end;
        const Bidi before = i > 0 ? direction(types[i - 1]) : Bidi::left;
        const Bidi after = end < types.size() ? direction(types[end]) : Bidi::left;
        std::fill(types.begin() + static_cast<std::ptrdiff_t>(i),
                  types.begin() + static_cast<std::ptrdiff_t>(end), before == after ? before : Bidi::left);
        i = end - 1;
    }
}

}  // namespace

bool hasRightToLeft(const std::u32string& codePoints) {
    return std::any_of(codePoints.begin(), codePoints.end(), [](char32_t c) {
        if (c < 0x590) return false;
        const Bidi type = bidiOf(c);
        return type == Bidi::right || type == Bidi::arabicLetter;
    });
}

std::vector<int> bidiLevels(const std::u32string& codePoints) {
    std::vector<Bidi> types(codePoints.size());
    std::transform(codePoints.begin(), codePoints.end(), types.begin(), bidiOf);
    resolveMarksAndArabic(types);
    resolveNumbers(types);
    resolveNeutrals(types);
    std::vector<int> levels(types.size());
    std::transform(types.begin(), types.end(), levels.begin(), [](Bidi type) {
        return type == Bidi::left ? 0 : type == Bidi::right ? 1 : 2;
    });
    return levels;
}

// From the highest level down to 1, every run of characters at that level or above is reversed.
std::vector<std::size_t> visualOrder(const std::vector<int>& levels) {
    std::vector<std::size_t> order(levels.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const int highest = levels.empty() ? 0 : *std::max_element(levels.begin(), levels.end());
    for (int level = highest; level >= 1; --level) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (levels[order[i]] < level) continue;
            std::size_t end = i;
            while (end < order.size() && levels[order[end]] >= level) ++end;
            std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                         order.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
        }
    }
    return order;
}

}  // namespace media
