// Numbered fonts found through fontconfig and opened with SDL_ttf at 96 dots per inch, and the fallback
// faces that draw the characters a font lacks, looked up once per size and range of characters.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "media/text/fonts_internal.h"
#include "media/text/text.h"

namespace media {

namespace {

using detail::FontFace;

// A face that fontconfig offers for characters, with the characters it has.
struct Candidate {
    std::string file;
    int index = 0;
    bool boldFace = false;
    FcCharSet* characters = nullptr;  // a reference of our own
};

// Opened fallback faces are shared by every range they serve; a range's faces are tried in order.
struct FallbackStore {
    std::vector<Candidate> candidates[2];  // regular, bold: fontconfig's order of preference
    bool candidatesSorted[2] = {false, false};
    std::map<std::tuple<std::string, int, int, bool>, TTF_Font*> opened;     // file, index, size, bold
    std::map<std::tuple<int, bool, Uint32>, std::vector<TTF_Font*>> ranges;  // size, bold, range
    std::set<std::tuple<int, bool, Uint32>> missing;  // size, bold, character: no installed face has it
    int lookups = 0;
};

struct FontStore {
    std::map<int, FontFace> fonts;
    FontFace defaultFont;  // the drawing service's default font, opened on first use
    bool defaultTried = false;
    FallbackStore fallback;
    std::uint64_t generation = 0;
};

FontStore& store() {
    static FontStore state;
    return state;
}

constexpr int dotsPerInch = 96;
constexpr int defaultPointSize = 10;
// Characters share their fallback faces in ranges of this many code points (a script's block or part).
constexpr int rangeBits = 8;

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

// The request for a family and weight, with fontconfig's defaults filled in.
FcPattern* facePattern(const std::string& family, bool bold) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

bool readFace(FcPattern* font, FaceMatch& result) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
    result.file = reinterpret_cast<const char*>(file);
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
    result.boldFace = weight >= FC_WEIGHT_BOLD;
    result.index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &result.index);
    return true;
}

// fontconfig always answers with some face; a named face is taken only when its family is the one
// asked for, since a missing monospace face would otherwise come back as a proportional one.
std::optional<FaceMatch> askFontconfig(const std::string& family, bool bold, bool anyFamily) {
    if (!FcInit()) return std::nullopt;
    FcPattern* pattern = facePattern(family, bold);
    FcResult outcome = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &outcome);
    FcPatternDestroy(pattern);
    if (match == nullptr) return std::nullopt;
    FaceMatch result;
    bool found = (anyFamily || familyMatches(match, family)) && readFace(match, result);
    FcPatternDestroy(match);
    return found ? std::optional<FaceMatch>(result) : std::nullopt;
}

// fontconfig's answers, kept for the program's life. The first ones may be asked for on a thread of
// their own while the display starts (fontconfig reads its configuration and caches first); the thread
// is done with before any answer is read.
using LookupKey = std::tuple<std::string, bool, bool>;  // family, bold, any family
struct Lookups {
    std::map<LookupKey, std::optional<FaceMatch>> answers;
    std::map<LookupKey, std::optional<FaceMatch>> aheadAnswers;  // the thread's own until it is joined
    std::thread ahead;
    ~Lookups() { finishAhead(); }
    void finishAhead() {
        if (!ahead.joinable()) return;
        ahead.join();
        answers.merge(aheadAnswers);
    }
};

Lookups& lookups() {
    static Lookups state;
    return state;
}

bool matchFace(const std::string& family, bool bold, bool anyFamily, FaceMatch& result) {
    Lookups& known = lookups();
    known.finishAhead();
    const LookupKey key{family, bold, anyFamily};
    auto found = known.answers.find(key);
    if (found == known.answers.end())
        found = known.answers.emplace(key, askFontconfig(family, bold, anyFamily)).first;
    if (!found->second) return false;
    result = *found->second;
    return true;
}

TTF_Font* openFace(const FaceMatch& face, int pointSize, bool bold) {
    if (TTF_WasInit() == 0 && TTF_Init() != 0) return nullptr;
    TTF_Font* handle =
        TTF_OpenFontIndexDPI(face.file.c_str(), std::max(pointSize, 1), face.index, dotsPerInch, dotsPerInch);
    if (handle == nullptr) {
        std::fprintf(stderr, "Font %s: %s\n", face.file.c_str(), TTF_GetError());
        return nullptr;
    }
    if (bold && !face.boldFace) TTF_SetFontStyle(handle, TTF_STYLE_BOLD);
    // Text is measured by advances alone; rendering must not move glyphs by kerning pairs.
    TTF_SetFontKerning(handle, 0);
    return handle;
}

FontFace openFont(const std::string& faceName, int pointSize, bool bold) {
    FaceMatch face;
    if (!matchFace(faceName, bold, false, face) && !matchFace("monospace", bold, true, face)) return {};
    TTF_Font* handle = openFace(face, pointSize, bold);
    if (handle == nullptr) return {};
    int columnWidth = 0;
    if (TTF_FontFaceIsFixedWidth(handle) != 0) {
        TTF_GlyphMetrics32(handle, '0', nullptr, nullptr, nullptr, nullptr, &columnWidth);
    }
    return FontFace{handle, face.file, face.index, pointSize, bold, columnWidth};
}

void closeFont(FontFace& font) {
    if (font.handle != nullptr && TTF_WasInit() != 0) TTF_CloseFont(font.handle);
    font = FontFace{};
}

// Every outline face fontconfig knows, best first for a monospace request; trimmed to the faces that
// add characters the earlier ones lack.
std::vector<Candidate> sortedCandidates(bool bold) {
    std::vector<Candidate> candidates;
    if (!FcInit()) return candidates;
    FcPattern* pattern = facePattern("monospace", bold);
    FcResult outcome = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &outcome);
    FcPatternDestroy(pattern);
    if (sorted == nullptr) return candidates;
    for (int i = 0; i < sorted->nfont; ++i) {
        FcBool outline = FcFalse;
        FcCharSet* characters = nullptr;
        FaceMatch face;
        if (FcPatternGetBool(sorted->fonts[i], FC_OUTLINE, 0, &outline) != FcResultMatch || !outline)
            continue;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch) continue;
        if (!readFace(sorted->fonts[i], face)) continue;
        candidates.push_back({face.file, face.index, face.boldFace, FcCharSetCopy(characters)});
    }
    FcFontSetDestroy(sorted);
    return candidates;
}

const std::vector<Candidate>& candidatesFor(bool bold) {
    FallbackStore& fallback = store().fallback;
    if (!fallback.candidatesSorted[bold]) {
        fallback.candidatesSorted[bold] = true;
        fallback.candidates[bold] = sortedCandidates(bold);
    }
    return fallback.candidates[bold];
}

TTF_Font* openShared(const Candidate& candidate, int pointSize, bool bold) {
    TTF_Font*& handle = store().fallback.opened[{candidate.file, candidate.index, pointSize, bold}];
    if (handle == nullptr)
        handle = openFace({candidate.file, candidate.index, candidate.boldFace}, pointSize, bold);
    return handle;
}

// The first face in fontconfig's order that has the character, other than the font itself.
TTF_Font* lookUpFallback(const FontFace& font, Uint32 codePoint) {
    ++store().fallback.lookups;
    for (const Candidate& candidate : candidatesFor(font.bold)) {
        if (!FcCharSetHasChar(candidate.characters, codePoint)) continue;
        if (candidate.file == font.file && candidate.index == font.index) continue;
        TTF_Font* face = openShared(candidate, font.pointSize, font.bold);
        if (face != nullptr && TTF_GlyphIsProvided32(face, codePoint) != 0) return face;
    }
    return nullptr;
}

void releaseFallback() {
    FallbackStore& fallback = store().fallback;
    for (auto& [key, handle] : fallback.opened) {
        if (handle != nullptr && TTF_WasInit() != 0) TTF_CloseFont(handle);
    }
    for (auto& candidates : fallback.candidates) {
        for (Candidate& candidate : candidates) FcCharSetDestroy(candidate.characters);
    }
    fallback = FallbackStore{};
}

}  // namespace

namespace detail {

const FontFace* fontFor(int number) {
    auto found = store().fonts.find(number);
    if (found != store().fonts.end()) return &found->second;
    if (!store().defaultTried) {
        store().defaultTried = true;
        store().defaultFont = openFont("monospace", defaultPointSize, false);
    }
    return store().defaultFont.handle != nullptr ? &store().defaultFont : nullptr;
}

TTF_Font* fallbackFace(const FontFace& font, Uint32 codePoint) {
    FallbackStore& fallback = store().fallback;
    std::vector<TTF_Font*>& faces = fallback.ranges[{font.pointSize, font.bold, codePoint >> rangeBits}];
    for (TTF_Font* face : faces) {
        if (TTF_GlyphIsProvided32(face, codePoint) != 0) return face;
    }
    const std::tuple<int, bool, Uint32> character{font.pointSize, font.bold, codePoint};
    if (fallback.missing.count(character) != 0) return font.handle;
    TTF_Font* face = lookUpFallback(font, codePoint);
    if (face == nullptr) {
        fallback.missing.insert(character);
        return font.handle;
    }
    faces.push_back(face);
    return face;
}

std::uint64_t fontGeneration() {
    return store().generation;
}

void releaseFonts() {
    lookups().finishAhead();
    lookups().answers.clear();
    ++store().generation;
    for (auto& [number, font] : store().fonts) closeFont(font);
    store().fonts.clear();
    closeFont(store().defaultFont);
    store().defaultTried = false;
    releaseFallback();
    // fontconfig keeps its configuration until told to let it go.
    FcFini();
}

}  // namespace detail

void lookUpFontsAhead(const std::vector<std::string>& faceNames) {
    Lookups& known = lookups();
    if (known.ahead.joinable()) return;
    known.ahead = std::thread([faceNames, &answers = known.aheadAnswers] {
        for (const std::string& family : faceNames) {
            for (bool bold : {false, true})
                answers.emplace(LookupKey{family, bold, false}, askFontconfig(family, bold, false));
        }
        for (bool bold : {false, true})
            answers.emplace(LookupKey{"monospace", bold, true}, askFontconfig("monospace", bold, true));
    });
}

bool loadFont(int number, const std::string& faceName, int pointSize, bool bold) {
    if (number < 0) return false;
    FontFace font = openFont(faceName, pointSize, bold);
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
    return number == -1 && detail::fontFor(-1) != nullptr ? store().defaultFont.file : std::string();
}

int fallbackFaceLookups() {
    return store().fallback.lookups;
}

}  // namespace media
