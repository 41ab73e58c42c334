// Numbered sprites: their pixels, their textures, zoom and clip, and displaying them on the back buffer.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>

#include "media/display/display_internal.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace media {

namespace {

struct SpriteStore {
    std::map<int, detail::Sprite> sprites;
    bool smooth = false;
    Blending blending = Blending::normal;
};

SpriteStore& store() {
    static SpriteStore state;
    return state;
}

constexpr int largestSide = largestDisplaySide;
constexpr int firstFreeNumber = 1000;
// Packing: sprites of a megabyte and more, a second after they were last used, when the runs take
// at most an eighth of the pixels' room (the about text, the text view and the keyboard faces do;
// a page picture does not).
constexpr std::size_t packedFrom = 1 << 20;
constexpr std::int64_t idleBeforePacking = 1000;
constexpr std::size_t packedShare = 8;

// A frame not yet flipped keeps the textures it shows.
void destroyTextures(detail::Sprite& sprite) {
    sprite.texture.reset();
    sprite.opaqueTexture.reset();
    sprite.textureStale = sprite.opaqueStale = true;
}

// The pixels as the texture takes them: a sprite without alpha leaves its pure black out.
Picture texturePixels(const detail::Sprite& sprite, bool opaque) {
    Picture copy = sprite.picture;
    if (sprite.alphaCapable && !opaque) return copy;
    for (std::uint32_t& pixel : copy.pixels) {
        bool transparent = !opaque && (pixel & 0xFFFFFFu) == 0;
        pixel = transparent ? 0u : (pixel | 0xFF000000u);
    }
    return copy;
}

// Halves a picture (box filter) for a texture too large for the renderer.
Picture halved(const Picture& source) {
    Picture half{std::max(1, source.width / 2), std::max(1, source.height / 2), {}};
    half.pixels.resize(static_cast<std::size_t>(half.width) * half.height);
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                int sx = std::min(2 * x + (k & 1), source.width - 1);
                int sy = std::min(2 * y + (k >> 1), source.height - 1);
                std::uint32_t p = source.pixels[static_cast<std::size_t>(sy) * source.width + sx];
                for (int c = 0; c < 4; ++c) sum[c] += static_cast<int>((p >> (8 * c)) & 255);
            }
            std::uint32_t word = 0;
            for (int c = 0; c < 4; ++c) word |= static_cast<std::uint32_t>((sum[c] + 2) / 4) << (8 * c);
            half.pixels[static_cast<std::size_t>(y) * half.width + x] = word;
        }
    }
    return half;
}

int largestTextureSide(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return 0;
    return std::min(info.max_texture_width, info.max_texture_height);  // 0: no limit
}

// The pixels the texture of a variant takes: the picture itself where the variant changes none of
// them (a sprite with alpha as it is; a sprite without alpha, opaque, keeps alpha 255 everywhere),
// else a changed copy in scratch.
const Picture& texturePicture(const detail::Sprite& sprite, bool opaque, Picture& scratch) {
    if (sprite.alphaCapable != opaque) return sprite.picture;
    scratch = texturePixels(sprite, opaque);
    return scratch;
}

detail::TextureHandle makeTexture(const detail::Sprite& sprite, bool opaque, int& divisor) {
    SDL_Renderer* renderer = detail::display().renderer;
    Picture scratch;
    const Picture* pixels = &texturePicture(sprite, opaque, scratch);
    int limit = largestTextureSide(renderer);
    divisor = 1;
    while (limit > 0 && std::max(pixels->width, pixels->height) > limit && pixels->width > 1) {
        Picture half = halved(*pixels);
        scratch = std::move(half);
        pixels = &scratch;
        divisor *= 2;
    }
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC,
                                             pixels->width, pixels->height);
    if (texture == nullptr) {
        std::fprintf(stderr, "Sprite texture %dx%d: %s\n", pixels->width, pixels->height, SDL_GetError());
        return {};
    }
    SDL_UpdateTexture(texture, nullptr, pixels->pixels.data(), pixels->width * 4);
    return detail::adoptTexture(texture);
}

// Brings a texture up to the sprite's pixels: in place when no frame still to be flipped shows its
// earlier pixels, else anew.
void bringUpToDate(detail::Sprite& sprite, detail::TextureHandle& texture, bool& stale, bool opaque) {
    if (texture && !stale) return;
    detail::pixelsOf(sprite);
    if (texture && texture.use_count() == 1 && sprite.textureDivisor == 1) {
        Picture scratch;
        const Picture& pixels = texturePicture(sprite, opaque, scratch);
        SDL_UpdateTexture(texture.get(), nullptr, pixels.pixels.data(), pixels.width * 4);
    } else {
        texture.reset();
        texture = makeTexture(sprite, opaque, sprite.textureDivisor);
    }
    stale = false;
}

// A texture is made when the sprite is first shown after a change, so drawing many times costs one
// upload. A sprite without alpha shown opaque takes its picture as it is; the texture that leaves its
// pure black out is made only when it is shown blended.
detail::TextureHandle textureFor(detail::Sprite& sprite, bool opaque) {
    if (detail::display().renderer == nullptr) return {};
    sprite.shown = true;
    sprite.lastUsed = elapsedMilliseconds();
    if (opaque && !sprite.alphaCapable) {
        bringUpToDate(sprite, sprite.opaqueTexture, sprite.opaqueStale, true);
        return sprite.opaqueTexture;
    }
    bringUpToDate(sprite, sprite.texture, sprite.textureStale, false);
    return sprite.texture;
}

detail::Sprite newSprite(Picture picture, bool alphaCapableFlag) {
    detail::Sprite sprite;
    sprite.displayWidth = picture.width;
    sprite.displayHeight = picture.height;
    sprite.clip = SDL_Rect{0, 0, picture.width, picture.height};
    sprite.picture = std::move(picture);
    sprite.alphaCapable = alphaCapableFlag;
    sprite.version = detail::newContentVersion();
    return sprite;
}

bool sizeAcceptable(int width, int height) {
    return width > 0 && height > 0 && width <= largestSide && height <= largestSide;
}

void putSprite(int number, detail::Sprite sprite) {
    freeSprite(number);
    store().sprites.emplace(number, std::move(sprite));
}

bool adoptPicture(int number, Picture picture) {
    const bool ownAlpha = detail::hasOwnAlpha(picture);
    return detail::adoptPicture(number, std::move(picture), ownAlpha);
}

// Where a sprite's clip goes on the back buffer: the clip scaled by the zoom, at (x, y).
SDL_Rect destinationOf(const detail::Sprite& sprite, int x, int y) {
    double scaleX = static_cast<double>(sprite.displayWidth) / sprite.picture.width;
    double scaleY = static_cast<double>(sprite.displayHeight) / sprite.picture.height;
    return SDL_Rect{x, y, static_cast<int>(sprite.clip.w * scaleX + 0.5),
                    static_cast<int>(sprite.clip.h * scaleY + 0.5)};
}

// The whole source pixels [first, last) of a side of length sourceLength that cover the visible
// span [visibleStart, visibleEnd) of a destination side starting at start, length length.
void coveringPixels(int start, int length, int sourceLength, int visibleStart, int visibleEnd, int& first,
                    int& last) {
    const double scale = static_cast<double>(length) / sourceLength;
    first = std::clamp(static_cast<int>(std::floor((visibleStart - start) / scale)), 0, sourceLength);
    last = std::clamp(static_cast<int>(std::ceil((visibleEnd - start) / scale)), first, sourceLength);
}

// Cuts a scaled copy down to the source pixels that land on the back buffer (false: none do). The
// software renderer scales a copy that runs past the edges into a temporary surface as large as the
// whole destination: for a zoomed page up to 32768 x 32768 pixels, 4 GB, in every frame.
bool keepVisiblePart(SDL_Rect& source, SDL_Rect& destination) {
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(detail::display().renderer, &outputWidth, &outputHeight) != 0) return true;
    if (destination.x >= 0 && destination.y >= 0 && destination.x + destination.w <= outputWidth &&
        destination.y + destination.h <= outputHeight) {
        return true;
    }
    const int visibleLeft = std::max(destination.x, 0), visibleTop = std::max(destination.y, 0);
    const int visibleRight = std::min(destination.x + destination.w, outputWidth);
    const int visibleBottom = std::min(destination.y + destination.h, outputHeight);
    if (visibleLeft >= visibleRight || visibleTop >= visibleBottom) return false;
    int firstX = 0, lastX = 0, firstY = 0, lastY = 0;
    coveringPixels(destination.x, destination.w, source.w, visibleLeft, visibleRight, firstX, lastX);
    coveringPixels(destination.y, destination.h, source.h, visibleTop, visibleBottom, firstY, lastY);
    if (firstX >= lastX || firstY >= lastY) return false;
    const double scaleX = static_cast<double>(destination.w) / source.w;
    const double scaleY = static_cast<double>(destination.h) / source.h;
    // Both edges of the kept part are placed where the whole copy would have put them.
    const int left = destination.x + static_cast<int>(std::lround(firstX * scaleX));
    const int right = destination.x + static_cast<int>(std::lround(lastX * scaleX));
    const int top = destination.y + static_cast<int>(std::lround(firstY * scaleY));
    const int bottom = destination.y + static_cast<int>(std::lround(lastY * scaleY));
    source = SDL_Rect{source.x + firstX, source.y + firstY, lastX - firstX, lastY - firstY};
    destination = SDL_Rect{left, top, right - left, bottom - top};
    return destination.w > 0 && destination.h > 0;
}

// How a display call draws the sprite: which texture, blending and modulation.
struct Look {
    bool opaque = false;         // textureFor's variant
    bool opaqueTexture = false;  // the texture with every pixel opaque
    detail::Blend blend = detail::Blend::none;
    std::uint8_t alpha = 255;
    std::uint8_t tint = 255;
};

// The step that copies the sprite as shown at (x, y), without its texture; false when it draws
// nothing.
bool copyStep(const detail::Sprite& sprite, const Look& look, int x, int y, detail::DrawStep& step) {
    SDL_Rect source = sprite.clip;
    int divisor = sprite.textureDivisor;
    if (divisor > 1)
        source = SDL_Rect{source.x / divisor, source.y / divisor, std::max(1, source.w / divisor),
                          std::max(1, source.h / divisor)};
    SDL_Rect destination = destinationOf(sprite, x, y);
    if (destination.w <= 0 || destination.h <= 0 || source.w <= 0 || source.h <= 0) return false;
    bool scaled = destination.w != source.w || destination.h != source.h;
    if (scaled && !keepVisiblePart(source, destination)) return false;
    step.kind = detail::DrawStep::Kind::copy;
    step.source = detail::Rect{source.x, source.y, source.w, source.h};
    step.destination = detail::Rect{destination.x, destination.y, destination.w, destination.h};
    step.content = sprite.version;
    step.opaqueVariant = look.opaqueTexture;
    step.blend = look.blend;
    step.alpha = look.alpha;
    step.tint = look.tint;
    step.smooth = store().smooth && scaled;
    return true;
}

// The software renderer scales a copy through a picture of the destination's size. Where the texture
// would hold the sprite's pixels as they are, that picture is made from the pixels themselves, and
// the sprite needs no texture of its own: a page shown fitted holds its picture and the fitted copy,
// not a full-size texture besides, and its first frame does not upload it.
bool scaledFromPixels(const detail::Sprite& sprite, const Look& look, const detail::DrawStep& step) {
    SDL_Renderer* renderer = detail::display().renderer;
    if (renderer == nullptr || !detail::display().software || !step.scaled()) return false;
    if (!sprite.alphaCapable && !look.opaque) return false;  // that texture leaves pure black out
    const int limit = largestTextureSide(renderer);
    return sprite.textureDivisor == 1 &&
           (limit == 0 || std::max(sprite.picture.width, sprite.picture.height) <= limit);
}

// Adds the copy to the frame's steps; it is drawn when the frame is flipped.
void drawTexture(detail::Sprite& sprite, const Look& look, int x, int y) {
    detail::DrawStep step;
    if (!copyStep(sprite, look, x, y, step)) return;
    if (scaledFromPixels(sprite, look, step)) {
        sprite.shown = true;
        if (detail::scaleFromPicture(step, detail::pixelsOf(sprite))) {
            detail::addDrawStep(std::move(step));
            return;
        }
    }
    step.texture = textureFor(sprite, look.opaque);
    if (step.texture) detail::addDrawStep(std::move(step));
}

}  // namespace

namespace detail {

Sprite* findSprite(int number) {
    auto found = store().sprites.find(number);
    return found == store().sprites.end() ? nullptr : &found->second;
}

Picture& pixelsOf(Sprite& sprite) {
    sprite.lastUsed = elapsedMilliseconds();
    if (!sprite.packed.runs.empty()) {
        sprite.picture = unpackedPicture(sprite.packed);
        sprite.packed = PackedPicture{};
    }
    return sprite.picture;
}

void packIdleSprites() {
    const std::int64_t now = elapsedMilliseconds();
    for (auto& [number, sprite] : store().sprites) {
        const std::size_t bytes = sprite.picture.pixels.size() * sizeof(std::uint32_t);
        if (number < 0 || bytes < packedFrom || sprite.notWorthPacking == sprite.version) continue;
        if (sprite.shown && now - sprite.lastUsed < idleBeforePacking) continue;
        if (!packPicture(sprite.picture, bytes / packedShare, sprite.packed)) {
            sprite.notWorthPacking = sprite.version;
            continue;
        }
        sprite.packed.runs.shrink_to_fit();
        sprite.picture.pixels = PixelVector<std::uint32_t>{};
        destroyTextures(sprite);
    }
}

void refreshTexture(Sprite& sprite) {
    forgetScaledAhead(sprite.version);
    sprite.textureStale = sprite.opaqueStale = true;
    sprite.version = newContentVersion();
}

void remakeAllTextures() {
    for (auto& [number, sprite] : store().sprites) destroyTextures(sprite);
}

bool hasOwnAlpha(const Picture& picture) {
    return std::any_of(picture.pixels.begin(), picture.pixels.end(),
                       [](std::uint32_t pixel) { return (pixel >> 24) != 255; });
}

bool adoptPicture(int number, Picture picture, bool ownAlpha) {
    if (!sizeAcceptable(picture.width, picture.height)) return false;
    putSprite(number, newSprite(std::move(picture), ownAlpha));
    return true;
}

void prepareTexture(int number) {
    if (display().software) return;  // a scaled display takes the pixels; prepareDisplay scales them
    if (Sprite* sprite = findSprite(number)) textureFor(*sprite, true);
}

void prepareDisplay(int number, int width, int height) {
    Sprite* sprite = findSprite(number);
    if (sprite == nullptr || width <= 0 || height <= 0) return;
    const Look look{true, !sprite->alphaCapable};
    // Shown whole at that size for the step, then as it was.
    const int ownWidth = sprite->displayWidth, ownHeight = sprite->displayHeight;
    const SDL_Rect ownClip = sprite->clip;
    sprite->displayWidth = std::min(width, largestSide);
    sprite->displayHeight = std::min(height, largestSide);
    sprite->clip = SDL_Rect{0, 0, sprite->picture.width, sprite->picture.height};
    DrawStep step;
    const bool drawn = copyStep(*sprite, look, 0, 0, step);
    sprite->displayWidth = ownWidth;
    sprite->displayHeight = ownHeight;
    sprite->clip = ownClip;
    if (!drawn) return;
    if (scaledFromPixels(*sprite, look, step)) {
        sprite->shown = true;
        scaleAheadFromPicture(step, pixelsOf(*sprite));
    } else if ((step.texture = textureFor(*sprite, look.opaque))) {
        scaleAhead(step);
    }
}

bool moveSprite(int from, int to) {
    auto found = store().sprites.find(from);
    if (found == store().sprites.end()) return false;
    Sprite sprite = std::move(found->second);
    store().sprites.erase(found);
    putSprite(to, std::move(sprite));
    return true;
}

void releaseAllSprites() {
    for (auto& [number, sprite] : store().sprites) destroyTextures(sprite);
    store().sprites.clear();
    store().blending = Blending::normal;
}

}  // namespace detail

bool createSprite(int number, int width, int height, bool alphaCapableFlag) {
    if (number < 0 || !sizeAcceptable(width, height)) return false;
    Picture picture{width, height, {}};
    picture.pixels.assign(static_cast<std::size_t>(width) * height, alphaCapableFlag ? 0u : 0xFF000000u);
    putSprite(number, newSprite(std::move(picture), alphaCapableFlag));
    return true;
}

int createSpriteAnyNumber(int width, int height, bool alphaCapableFlag) {
    int number = firstFreeNumber;
    while (store().sprites.count(number) != 0) ++number;
    return createSprite(number, width, height, alphaCapableFlag) ? number : 0;
}

bool loadSprite(int number, const std::string& imageFile) {
    if (number < 0) return false;
    if (detail::takePrefetchedSprite(imageFile, number)) return true;
    Picture picture;
    if (!decodeImageFile(imageFile, picture)) return false;
    return adoptPicture(number, std::move(picture));
}

bool loadSpriteFromMemory(int number, const void* data, std::size_t length) {
    Picture picture;
    if (number < 0 || data == nullptr || !decodeImageMemory(data, length, picture)) return false;
    return adoptPicture(number, std::move(picture));
}

bool copySprite(int source, int destination) {
    detail::Sprite* original = detail::findSprite(source);
    if (original == nullptr || destination < 0) return false;
    if (source == destination) return true;
    detail::Sprite copy = newSprite(detail::pixelsOf(*original), original->alphaCapable);
    copy.displayWidth = original->displayWidth;
    copy.displayHeight = original->displayHeight;
    copy.clip = original->clip;
    putSprite(destination, std::move(copy));
    return true;
}

void freeSprite(int number) {
    detail::Sprite* sprite = detail::findSprite(number);
    if (sprite == nullptr) return;
    detail::forgetScaledAhead(sprite->version);
    destroyTextures(*sprite);
    store().sprites.erase(number);
}

bool spriteExists(int number) {
    return detail::findSprite(number) != nullptr;
}

int spriteWidth(int number) {
    detail::Sprite* sprite = detail::findSprite(number);
    return sprite != nullptr ? sprite->displayWidth : 0;
}

int spriteHeight(int number) {
    detail::Sprite* sprite = detail::findSprite(number);
    return sprite != nullptr ? sprite->displayHeight : 0;
}

int spriteOwnWidth(int number) {
    detail::Sprite* sprite = detail::findSprite(number);
    return sprite != nullptr ? sprite->picture.width : 0;
}

int spriteOwnHeight(int number) {
    detail::Sprite* sprite = detail::findSprite(number);
    return sprite != nullptr ? sprite->picture.height : 0;
}

void setSpriteFiltering(bool smooth) {
    store().smooth = smooth;
}

void zoomSprite(int number, int width, int height) {
    detail::Sprite* sprite = detail::findSprite(number);
    if (sprite == nullptr) return;
    sprite->displayWidth = width < 0 ? sprite->picture.width : std::min(width, largestSide);
    sprite->displayHeight = height < 0 ? sprite->picture.height : std::min(height, largestSide);
}

void clipSprite(int number, int x, int y, int width, int height) {
    detail::Sprite* sprite = detail::findSprite(number);
    if (sprite == nullptr) return;
    int ownWidth = sprite->picture.width, ownHeight = sprite->picture.height;
    x = std::clamp(x, 0, ownWidth);
    y = std::clamp(y, 0, ownHeight);
    width = width < 0 ? ownWidth - x : std::clamp(width, 0, ownWidth - x);
    height = height < 0 ? ownHeight - y : std::clamp(height, 0, ownHeight - y);
    sprite->clip = SDL_Rect{x, y, width, height};
}

// Opaque whatever the blending: the fast path for the page. Without blending, a sprite without alpha
// shows the same pixels from its picture as it is as from the texture that leaves pure black out.
void displaySprite(int number, int x, int y) {
    detail::Sprite* sprite = detail::findSprite(number);
    if (sprite != nullptr) drawTexture(*sprite, Look{true, !sprite->alphaCapable}, x, y);
}

void displayTransparentSprite(int number, int x, int y, int intensity) {
    detail::Sprite* sprite = detail::findSprite(number);
    if (sprite == nullptr) return;
    bool multiply = store().blending == Blending::multiply;
    auto strength = static_cast<std::uint8_t>(std::clamp(intensity, 0, 255));
    Look look;
    // Multiplying ignores the source's alpha: black darkens instead of being left out.
    look.opaque = multiply;
    look.opaqueTexture = multiply && !sprite->alphaCapable;
    look.blend = multiply ? detail::Blend::multiply : detail::Blend::normal;
    // SDL's multiply keeps dst x (1 - alpha) of what was there: an intensity below 255 taken as alpha
    // too would let the text show through where the picture is black. It scales the colour only.
    look.alpha = multiply ? 255 : strength;
    look.tint = multiply ? strength : 255;
    drawTexture(*sprite, look, x, y);
}

void setBlending(Blending mode) {
    store().blending = mode;
}

bool spritesOverlap(int numberA, int xA, int yA, int numberB, int xB, int yB) {
    detail::Sprite* a = detail::findSprite(numberA);
    detail::Sprite* b = detail::findSprite(numberB);
    if (a == nullptr || b == nullptr) return false;
    return xA < xB + b->displayWidth && xB < xA + a->displayWidth && yA < yB + b->displayHeight &&
           yB < yA + a->displayHeight;
}

bool saveSpritePng(int number, const std::string& file) {
    detail::Sprite* sprite = detail::findSprite(number);
    return sprite != nullptr && encodePngFile(detail::pixelsOf(*sprite), file);
}

}  // namespace media
