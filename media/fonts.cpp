// Numbered fonts found through fontconfig and opened with SDL_ttf at 96 dots per inch; text measuring
// by glyph advances and text rendering into coverage surfaces.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "media/display_internal.h"
#include "media/media.h"

namespace media {

namespace {

struct Font {
    TTF_Font* handle = nullptr;
    std::string file;
};

struct FontStore {
    std::map<int, Font> fonts;
    Font fallback;  // the drawing service's default font, opened on first use
    bool fallbackTried = false;
    std::uint64_t generation = 0;
};

FontStore& store() {
    static FontStore state;
    return state;
}

constexpr int dotsPerInch = 96;
constexpr int defaultPointSize = 10;

struct FaceMatch {
    std::string file;
    int index = 0;
    bool boldFace = false;
};

bool sameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool familyMatches(FcPattern* match, const std::string& family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (sameName(reinterpret_cast<const char*>(name), family)) return true;
    }
    return false;
}

// fontconfig always answers with some face; a named face is taken only when its family is the one
// asked for, since a missing monospace face would otherwise come back as a proportional one.
bool matchFace(const std::string& family, bool bold, bool anyFamily, FaceMatch& result) {
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult outcome = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &outcome);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* file = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                 (anyFamily || familyMatches(match, family));
    if (found) {
        result.file = reinterpret_cast<const char*>(file);
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        result.boldFace = weight >= FC_WEIGHT_BOLD;
        FcPatternGetInteger(match, FC_INDEX, 0, &result.index);
    }
    FcPatternDestroy(match);
    return found;
}

Font openFont(const std::string& faceName, int pointSize, bool bold) {
    if (TTF_WasInit() == 0 && TTF_Init() != 0) return {};
    FaceMatch face;
    if (!matchFace(faceName, bold, false, face) && !matchFace("monospace", bold, true, face)) return {};
    TTF_Font* handle =
        TTF_OpenFontIndexDPI(face.file.c_str(), std::max(pointSize, 1), face.index, dotsPerInch, dotsPerInch);
    if (handle == nullptr) {
        std::fprintf(stderr, "Font %s: %s\n", face.file.c_str(), TTF_GetError());
        return {};
    }
    if (bold && !face.boldFace) TTF_SetFontStyle(handle, TTF_STYLE_BOLD);
    // Text is measured by advances alone; rendering must not move glyphs by kerning pairs.
    TTF_SetFontKerning(handle, 0);
    return Font{handle, face.file};
}

void closeFont(Font& font) {
    if (font.handle != nullptr && TTF_WasInit() != 0) TTF_CloseFont(font.handle);
    font = Font{};
}

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

}  // namespace

namespace detail {

TTF_Font* fontFor(int number) {
    auto found = store().fonts.find(number);
    if (found != store().fonts.end()) return found->second.handle;
    if (!store().fallbackTried) {
        store().fallbackTried = true;
        store().fallback = openFont("monospace", defaultPointSize, false);
    }
    return store().fallback.handle;
}

int measureText(TTF_Font* font, const std::string& utf8) {
    if (font == nullptr) return 0;
    int width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        int advance = 0;
        if (TTF_GlyphMetrics32(font, nextCodePoint(utf8, at), nullptr, nullptr, nullptr, nullptr, &advance) ==
            0) {
            width += advance;
        }
    }
    return width;
}

SDL_Surface* renderText(TTF_Font* font, const std::string& utf8, Colour front) {
    if (font == nullptr || utf8.empty()) return nullptr;
    SDL_Color colour{static_cast<Uint8>(red(front)), static_cast<Uint8>(green(front)),
                     static_cast<Uint8>(blue(front)), 255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, utf8.c_str(), colour);
    if (rendered == nullptr) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    return converted;
}

std::uint64_t fontGeneration() {
    return store().generation;
}

void releaseFonts() {
    ++store().generation;
    for (auto& [number, font] : store().fonts) closeFont(font);
    store().fonts.clear();
    closeFont(store().fallback);
    store().fallbackTried = false;
    // fontconfig keeps its configuration until told to let it go.
    FcFini();
}

}  // namespace detail

bool loadFont(int number, const std::string& faceName, int pointSize, bool bold) {
    if (number < 0) return false;
    Font font = openFont(faceName, pointSize, bold);
    if (font.handle == nullptr) return false;
    auto found = store().fonts.find(number);
    if (found != store().fonts.end()) closeFont(found->second);
    store().fonts[number] = font;
    ++store().generation;
    return true;
}

std::string fontFile(int number) {
    auto found = store().fonts.find(number);
    if (found != store().fonts.end()) return found->second.file;
    return number == -1 && detail::fontFor(-1) != nullptr ? store().fallback.file : std::string();
}

}  // namespace media
