// Inside the media layer: the loaded fonts and the text runs measured and rendered with them, for the
// display room's drawing. Main thread.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>

#include "media/pictures/pictures.h"

namespace media::detail {

// ---- fonts.cpp
struct FontFace {
    TTF_Font* handle = nullptr;
    std::string file;
    int index = 0;  // the face's index within its file
    int pointSize = 0;
    bool bold = false;
    int columnWidth = 0;  // the one advance of a monospace font's glyphs; 0 for a proportional font
};
const FontFace* fontFor(int number);  // the loaded font, else the default font; nullptr when none
// The face that draws a character the font lacks, found through fontconfig once per point size, style
// and range of characters and then kept; the font itself (its missing-glyph box) when no face has it.
TTF_Font* fallbackFace(const FontFace& font, Uint32 codePoint);
void releaseFonts();
std::uint64_t fontGeneration();  // changes whenever a font is loaded or released

// ---- text_runs.cpp
// The sum of the advances of the glyphs that draw the text, each from the face that has it; under a
// monospace font a fallback glyph's advance is at most the width of its display columns.
int measureText(const FontFace* font, const std::string& utf8);
// The text in the colour, anti-aliased, as an ARGB8888 surface whose alpha is the coverage; runs of
// characters drawn by fallback faces sit on the font's baseline, each where the advances before it end.
SDL_Surface* renderText(const FontFace* font, const std::string& utf8, Colour front);

}  // namespace media::detail
