// Text measured and rendered with a loaded font: characters the font lacks come from fallback faces,
// and the text is split into runs where the face changes.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "media/display_internal.h"
#include "media/media.h"

namespace media::detail {

namespace {

// Decodes one UTF-8 character at text[at], moving at past it; a broken sequence gives U+FFFD.
Uint32 nextCodePoint(const std::string& text, std::size_t& at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        ++at;
        return 0xFFFD;
    }
    Uint32 code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return code;
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

struct Run {
    TTF_Font* face = nullptr;
    std::size_t begin = 0;  // bytes of the text
    std::size_t end = 0;
    int x = 0;  // the advances of the runs before it
};

std::vector<Run> splitRuns(const FontFace& font, const std::string& utf8) {
    std::vector<Run> runs;
    int x = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t begin = at;
        const Uint32 codePoint = nextCodePoint(utf8, at);
        TTF_Font* face = faceFor(font, codePoint);
        if (runs.empty() || runs.back().face != face) runs.push_back({face, begin, at, x});
        runs.back().end = at;
        x += advanceOf(face, codePoint);
    }
    return runs;
}

SDL_Surface* renderRun(TTF_Font* face, const std::string& utf8, SDL_Color colour) {
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(face, utf8.c_str(), colour);
    if (rendered == nullptr) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    return converted;
}

// The runs blended onto one clear surface of the font's height, their baselines on the font's.
SDL_Surface* composeRuns(const FontFace& font, const std::string& utf8, const std::vector<Run>& runs,
                         SDL_Color colour) {
    std::vector<SDL_Surface*> pieces;
    int width = 0;
    for (const Run& run : runs) {
        pieces.push_back(renderRun(run.face, utf8.substr(run.begin, run.end - run.begin), colour));
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
    for (std::size_t at = 0; at < utf8.size();) {
        const Uint32 codePoint = nextCodePoint(utf8, at);
        width += advanceOf(faceFor(*font, codePoint), codePoint);
    }
    return width;
}

SDL_Surface* renderText(const FontFace* font, const std::string& utf8, Colour front) {
    if (font == nullptr || utf8.empty()) return nullptr;
    const SDL_Color colour{static_cast<Uint8>(red(front)), static_cast<Uint8>(green(front)),
                           static_cast<Uint8>(blue(front)), 255};
    // Plain ASCII, the common case, takes no look at the characters.
    if (isAscii(utf8)) return renderRun(font->handle, utf8, colour);
    const std::vector<Run> runs = splitRuns(*font, utf8);
    if (runs.size() == 1 && runs.front().face == font->handle) return renderRun(font->handle, utf8, colour);
    return composeRuns(*font, utf8, runs, colour);
}

}  // namespace media::detail
