// Text measured and rendered with a loaded font: characters the font lacks come from fallback faces,
// right-to-left text stands in its display order, and the text is split into runs where the face or
// the direction changes.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "media/text/fonts_internal.h"
#include "media/text/text.h"

namespace media::detail {

namespace {

// Decodes one UTF-8 character at text[at], moving at past it; each byte that starts no valid sequence
// is drawn as U+FFFD.
Uint32 nextCodePoint(const std::string& text, std::size_t& at) {
    const Utf8Character character = decodeUtf8(text, at);
    at += character.length;
    return character.codePoint;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Every font has ASCII; other characters go to a fallback face when the font lacks them.
TTF_Font* faceFor(const FontFace& font, Uint32 codePoint) {
    if (codePoint < 0x80 || TTF_GlyphIsProvided32(font.handle, codePoint) != 0) return font.handle;
    return fallbackFace(font, codePoint);
}

int advanceOf(TTF_Font* face, Uint32 codePoint) {
    int advance = 0;
    if (TTF_GlyphMetrics32(face, codePoint, nullptr, nullptr, nullptr, nullptr, &advance) != 0) return 0;
    return advance;
}

struct Glyph {
    TTF_Font* face = nullptr;
    int advance = 0;
    bool squeezed = false;  // its own advance was wider than its columns
    std::size_t begin = 0;  // its bytes in the text
    std::size_t end = 0;
};

// Lines of a monospace font are cut by display columns, so a glyph from a fallback face takes at most
// the room of its columns there (a proportional Hebrew letter is wider than one column); the wider
// glyph then overlaps its neighbour a little instead of pushing the line past its measure.
Glyph placeGlyph(const FontFace& font, Uint32 codePoint) {
    TTF_Font* face = faceFor(font, codePoint);
    const int advance = advanceOf(face, codePoint);
    if (face == font.handle || font.columnWidth == 0) return {face, advance, false};
    const int room = displayColumns(static_cast<int>(codePoint)) * font.columnWidth;
    return advance > room ? Glyph{face, room, true} : Glyph{face, advance, false};
}

struct Run {
    TTF_Font* face = nullptr;
    std::size_t begin = 0;  // bytes of the text
    std::size_t end = 0;
    int x = 0;                 // the advances of the runs to its left
    bool rightToLeft = false;  // shaped and drawn right to left
    bool closed = false;       // ends with a squeezed glyph: the next glyph starts a run at its own place
    std::size_t last = 0;      // the index of its last glyph in display order
};

// The glyphs in the text's order and the indexes of their display order, left to right.
std::vector<Glyph> glyphsOf(const FontFace& font, const std::string& utf8, std::vector<std::size_t>& order,
                            std::vector<int>& levels) {
    std::vector<Glyph> glyphs;
    std::u32string codePoints;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t begin = at;
        codePoints += nextCodePoint(utf8, at);
        glyphs.push_back(placeGlyph(font, codePoints.back()));
        glyphs.back().begin = begin;
        glyphs.back().end = at;
    }
    levels = hasRightToLeft(codePoints) ? bidiLevels(codePoints) : std::vector<int>(glyphs.size(), 0);
    order = visualOrder(levels);
    return glyphs;
}

// Consecutive glyphs of one face and direction, in display order, that are neighbours in the text too
// form one run; a right-to-left run is shaped from its text, which its glyphs show in reverse.
std::vector<Run> splitRuns(const FontFace& font, const std::string& utf8) {
    std::vector<std::size_t> order;
    std::vector<int> levels;
    const std::vector<Glyph> glyphs = glyphsOf(font, utf8, order, levels);
    std::vector<Run> runs;
    int x = 0;
    for (const std::size_t i : order) {
        const Glyph& glyph = glyphs[i];
        const bool rightToLeft = levels[i] % 2 == 1;
        const bool joins = !runs.empty() && runs.back().face == glyph.face && !runs.back().closed &&
                           runs.back().rightToLeft == rightToLeft &&
                           i == (rightToLeft ? runs.back().last - 1 : runs.back().last + 1);
        if (!joins) runs.push_back({glyph.face, glyph.begin, glyph.end, x, rightToLeft});
        Run& run = runs.back();
        run.begin = std::min(run.begin, glyph.begin);
        run.end = std::max(run.end, glyph.end);
        run.closed = glyph.squeezed;
        run.last = i;
        x += glyph.advance;
    }
    return runs;
}

// HarfBuzz's script tag for a right-to-left run, from its first letter beyond the Latin ones: Arabic
// letters join only when shaped as Arabic.
const char* scriptOf(const std::string& utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        const Uint32 c = nextCodePoint(utf8, at);
        if (c < 0x590) continue;
        if ((c >= 0x600 && c < 0x900) || (c >= 0xFB50 && c < 0xFF00)) return "Arab";
        return c < 0x600 || (c >= 0xFB1D && c < 0xFB50) ? "Hebr" : "Zzzz";
    }
    return "Zzzz";
}

SDL_Surface* renderRun(TTF_Font* face, const std::string& utf8, SDL_Color colour) {
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(face, utf8.c_str(), colour);
    if (rendered == nullptr) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    return converted;
}

// Faces keep the left-to-right direction and the unknown script ("Zzzz") between right-to-left runs.
SDL_Surface* renderRightToLeft(TTF_Font* face, const std::string& utf8, SDL_Color colour) {
    TTF_SetFontDirection(face, TTF_DIRECTION_RTL);
    TTF_SetFontScriptName(face, scriptOf(utf8));
    SDL_Surface* rendered = renderRun(face, utf8, colour);
    TTF_SetFontDirection(face, TTF_DIRECTION_LTR);
    TTF_SetFontScriptName(face, "Zzzz");
    return rendered;
}

// The runs blended onto one clear surface of the font's height, their baselines on the font's.
SDL_Surface* composeRuns(const FontFace& font, const std::string& utf8, const std::vector<Run>& runs,
                         SDL_Color colour) {
    std::vector<SDL_Surface*> pieces;
    int width = 0;
    for (const Run& run : runs) {
        const std::string text = utf8.substr(run.begin, run.end - run.begin);
        pieces.push_back(run.rightToLeft ? renderRightToLeft(run.face, text, colour)
                                         : renderRun(run.face, text, colour));
        if (pieces.back() != nullptr) width = std::max(width, run.x + pieces.back()->w);
    }
    SDL_Surface* composed = width > 0 ? SDL_CreateRGBSurfaceWithFormat(0, width, TTF_FontHeight(font.handle),
                                                                       32, SDL_PIXELFORMAT_ARGB8888)
                                      : nullptr;
    if (composed != nullptr) {
        SDL_FillRect(composed, nullptr, SDL_MapRGBA(composed->format, colour.r, colour.g, colour.b, 0));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (pieces[i] == nullptr) continue;
        if (composed != nullptr) {
            SDL_Rect at{runs[i].x, TTF_FontAscent(font.handle) - TTF_FontAscent(runs[i].face), 0, 0};
            SDL_SetSurfaceBlendMode(pieces[i], SDL_BLENDMODE_BLEND);
            SDL_BlitSurface(pieces[i], nullptr, composed, &at);
        }
        SDL_FreeSurface(pieces[i]);
    }
    return composed;
}

}  // namespace

int measureText(const FontFace* font, const std::string& utf8) {
    if (font == nullptr) return 0;
    int width = 0;
    if (isAscii(utf8)) {
        for (const char c : utf8) width += advanceOf(font->handle, static_cast<Uint32>(c));
        return width;
    }
    for (std::size_t at = 0; at < utf8.size();) width += placeGlyph(*font, nextCodePoint(utf8, at)).advance;
    return width;
}

SDL_Surface* renderText(const FontFace* font, const std::string& utf8, Colour front) {
    if (font == nullptr || utf8.empty()) return nullptr;
    const SDL_Color colour{static_cast<Uint8>(red(front)), static_cast<Uint8>(green(front)),
                           static_cast<Uint8>(blue(front)), 255};
    // Plain ASCII, the common case, takes no look at the characters.
    if (isAscii(utf8)) return renderRun(font->handle, utf8, colour);
    const std::vector<Run> runs = splitRuns(*font, utf8);
    if (runs.size() == 1 && runs.front().face == font->handle && !runs.front().rightToLeft) {
        return renderRun(font->handle, utf8, colour);
    }
    return composeRuns(*font, utf8, runs, colour);
}

}  // namespace media::detail
