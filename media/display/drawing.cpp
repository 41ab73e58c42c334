// The drawing target (a sprite or the back buffer), its pen, and the drawing operations that pass
// the work to the rasteriser or, for text on the back buffer, to the frame's drawing steps.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/display/display_internal.h"
#include "media/pictures/pictures.h"
#include "media/pictures/raster.h"
#include "media/text/fonts_internal.h"
#include "media/text/text.h"

namespace media {

namespace {

enum class TargetKind { none, sprite, display };

struct DrawingState {
    TargetKind kind = TargetKind::none;
    int sprite = -1;
    raster::Brush brush;
    int font = -1;
};

DrawingState& drawing() {
    static DrawingState state;
    return state;
}

void openTarget(TargetKind kind, int sprite) {
    endDrawing();
    DrawingState& state = drawing();
    state.kind = kind;
    state.sprite = sprite;
    state.brush = raster::Brush{};
    // A target starts with the default font: a label drawn without choosing one uses it.
    state.font = -1;
}

// The sprite being drawn on, looked up each time: the caller may have replaced it meanwhile.
detail::Sprite* targetSprite() {
    DrawingState& state = drawing();
    if (state.kind != TargetKind::sprite) return nullptr;
    detail::Sprite* sprite = detail::findSprite(state.sprite);
    if (sprite == nullptr) return nullptr;
    detail::pixelsOf(*sprite);
    state.brush.alphaCapable = sprite->alphaCapable;
    return sprite;
}

void changed(detail::Sprite& sprite) {
    detail::refreshTexture(sprite);
}

// A text rendered for the display, kept while frames keep drawing it (a hovered label is drawn
// afresh in every frame).
struct DisplayText {
    const detail::FontFace* font = nullptr;
    std::uint64_t fontGeneration = 0;
    std::string text;
    Colour front = 0;
    detail::TextureHandle texture;
    std::uint64_t content = 0;
    int width = 0, height = 0;
    std::int64_t lastFrame = 0;  // the frame count when it was last drawn
};

std::vector<DisplayText>& displayTexts() {
    static std::vector<DisplayText> texts;
    return texts;
}

DisplayText makeDisplayText(const detail::FontFace* font, const std::string& utf8, Colour front) {
    DisplayText made{font, detail::fontGeneration(), utf8, front, {}, 0, 0, 0, 0};
    SDL_Surface* surface = detail::renderText(font, utf8, front);
    if (surface == nullptr) return made;
    made.texture = detail::adoptTexture(SDL_CreateTextureFromSurface(detail::display().renderer, surface));
    made.content = detail::newContentVersion();
    made.width = surface->w;
    made.height = surface->h;
    SDL_FreeSurface(surface);
    return made;
}

const DisplayText* displayText(const detail::FontFace* font, const std::string& utf8, Colour front) {
    std::vector<DisplayText>& texts = displayTexts();
    const std::int64_t frame = frameCounts().frames;
    std::erase_if(texts, [&](const DisplayText& t) { return t.lastFrame < frame - 1; });
    auto found = std::find_if(texts.begin(), texts.end(), [&](const DisplayText& t) {
        return t.font == font && t.fontGeneration == detail::fontGeneration() && t.text == utf8 &&
               t.front == front;
    });
    if (found == texts.end()) {
        DisplayText made = makeDisplayText(font, utf8, front);
        if (!made.texture) return nullptr;
        texts.push_back(std::move(made));
        found = texts.end() - 1;
    }
    found->lastFrame = frame;
    return &*found;
}

void textOnSprite(detail::Sprite& sprite, int x, int y, const std::string& utf8, Colour front, Colour back) {
    DrawingState& state = drawing();
    const detail::FontFace* font = detail::fontFor(state.font);
    if (font == nullptr) return;
    if ((state.brush.mode & mode::transparent) == 0) {
        raster::Brush cell = state.brush;
        cell.mode &= ~(mode::outlined | mode::gradient);
        raster::fillBox(sprite.picture, cell, x, y, detail::measureText(font, utf8),
                        TTF_FontHeight(font->handle), back);
    }
    SDL_Surface* surface = detail::renderText(font, utf8, front);
    if (surface == nullptr) return;
    SDL_LockSurface(surface);
    // ARGB8888 words: the alpha byte is the glyphs' coverage.
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(surface->w) * surface->h);
    for (int row = 0; row < surface->h; ++row) {
        const auto* words =
            reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(surface->pixels) +
                                                   static_cast<std::size_t>(row) * surface->pitch);
        for (int column = 0; column < surface->w; ++column) {
            coverage[static_cast<std::size_t>(row) * surface->w + column] =
                static_cast<std::uint8_t>(words[column] >> 24);
        }
    }
    SDL_UnlockSurface(surface);
    raster::paintCoverage(sprite.picture, state.brush, x, y, surface->w, surface->h, coverage.data(),
                          surface->w, front);
    SDL_FreeSurface(surface);
    changed(sprite);
}

void textOnDisplay(int x, int y, const std::string& utf8, Colour front, Colour back) {
    const detail::FontFace* font = detail::fontFor(drawing().font);
    if (detail::display().renderer == nullptr || font == nullptr) return;
    int cellWidth = detail::measureText(font, utf8);
    if ((drawing().brush.mode & mode::transparent) == 0 && cellWidth > 0) {
        detail::DrawStep cell;
        cell.kind = detail::DrawStep::Kind::fill;
        cell.destination = detail::Rect{x, y, cellWidth, TTF_FontHeight(font->handle)};
        cell.colour = back & 0xFFFFFFu;
        detail::addDrawStep(std::move(cell));
    }
    const DisplayText* text = displayText(font, utf8, front);
    if (text == nullptr) return;
    detail::DrawStep glyphs;
    glyphs.kind = detail::DrawStep::Kind::copy;
    glyphs.source = detail::Rect{0, 0, text->width, text->height};
    glyphs.destination = detail::Rect{x, y, text->width, text->height};
    glyphs.content = text->content;
    glyphs.blend = detail::Blend::normal;
    glyphs.texture = text->texture;
    detail::addDrawStep(std::move(glyphs));
}

}  // namespace

namespace detail {
void forgetDrawingTarget() {
    drawing() = DrawingState{};
}

void releaseTextTextures() {
    displayTexts().clear();
}
}  // namespace detail

bool beginDrawing(int sprite) {
    if (detail::findSprite(sprite) == nullptr) return false;
    openTarget(TargetKind::sprite, sprite);
    return targetSprite() != nullptr;
}

bool beginDrawingDisplay() {
    if (detail::display().renderer == nullptr) return false;
    openTarget(TargetKind::display, -1);
    return true;
}

void endDrawing() {
    if (detail::Sprite* sprite = targetSprite()) changed(*sprite);
    DrawingState& state = drawing();
    state.kind = TargetKind::none;
    state.sprite = -1;
}

void setFont(int font) {
    drawing().font = font;
}
void setFrontColour(Colour colour) {
    drawing().brush.front = colour;
}
void setBackColour(Colour colour) {
    drawing().brush.back = colour;
}
void setDrawingMode(int modeFlags) {
    drawing().brush.mode = modeFlags;
}

void linearGradient(int x1, int y1, int x2, int y2) {
    raster::Brush& brush = drawing().brush;
    brush.gradientSet = true;
    brush.gradientX1 = x1;
    brush.gradientY1 = y1;
    brush.gradientX2 = x2;
    brush.gradientY2 = y2;
}

void fillBox(int x, int y, int width, int height, Colour colour) {
    if (detail::Sprite* sprite = targetSprite()) {
        raster::fillBox(sprite->picture, drawing().brush, x, y, width, height, colour);
        changed(*sprite);
    }
}

void fillBox(int x, int y, int width, int height) {
    fillBox(x, y, width, height, drawing().brush.front);
}

void roundBox(int x, int y, int width, int height, int radiusX, int radiusY, Colour colour) {
    if (detail::Sprite* sprite = targetSprite()) {
        raster::roundBox(sprite->picture, drawing().brush, x, y, width, height, radiusX, radiusY, colour);
        changed(*sprite);
    }
}

void roundBox(int x, int y, int width, int height, int radiusX, int radiusY) {
    roundBox(x, y, width, height, radiusX, radiusY, drawing().brush.front);
}

void line(int x1, int y1, int x2, int y2, Colour colour) {
    if (detail::Sprite* sprite = targetSprite()) {
        raster::line(sprite->picture, drawing().brush, x1, y1, x2, y2, colour);
        changed(*sprite);
    }
}

void circle(int x, int y, int radius, Colour colour) {
    if (detail::Sprite* sprite = targetSprite()) {
        raster::circle(sprite->picture, drawing().brush, x, y, radius, colour);
        changed(*sprite);
    }
}

void floodFill(int x, int y, Colour colour, Colour borderColour) {
    if (detail::Sprite* sprite = targetSprite()) {
        raster::floodFill(sprite->picture, drawing().brush, x, y, colour, borderColour);
        changed(*sprite);
    }
}

Colour pixelColour(int x, int y) {
    detail::Sprite* sprite = targetSprite();
    return sprite != nullptr ? raster::pixelColour(sprite->picture, x, y) : 0xFFFFFFFFu;
}

void drawText(int x, int y, const std::string& utf8, Colour front) {
    drawText(x, y, utf8, front, drawing().brush.back);
}

void drawText(int x, int y, const std::string& utf8, Colour front, Colour back) {
    if (detail::Sprite* sprite = targetSprite()) {
        textOnSprite(*sprite, x, y, utf8, front, back);
    } else if (drawing().kind == TargetKind::display) {
        textOnDisplay(x, y, utf8, front, back);
    }
}

int textWidth(const std::string& utf8) {
    return detail::measureText(detail::fontFor(drawing().font), utf8);
}

int textHeight(const std::string& utf8) {
    (void)utf8;
    const detail::FontFace* font = detail::fontFor(drawing().font);
    return font != nullptr ? TTF_FontHeight(font->handle) : 0;
}

void drawImage(int image, int x, int y) {
    detail::Sprite* sprite = targetSprite();
    std::shared_ptr<const Picture> source = imagePicture(image);
    if (sprite == nullptr || source == nullptr) return;
    raster::copyPicture(sprite->picture, drawing().brush, *source, x, y);
    changed(*sprite);
}

void drawImage(int image, int x, int y, int width, int height) {
    detail::Sprite* sprite = targetSprite();
    std::shared_ptr<const Picture> source = imagePicture(image);
    if (sprite == nullptr || source == nullptr || width <= 0 || height <= 0) return;
    if (width == source->width && height == source->height) {
        raster::copyPicture(sprite->picture, drawing().brush, *source, x, y);
    } else {
        raster::copyPicture(sprite->picture, drawing().brush, resizedPicture(*source, width, height), x, y);
    }
    changed(*sprite);
}

}  // namespace media
