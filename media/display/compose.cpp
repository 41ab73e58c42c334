// Bringing a frame to the screen: the steps drawn since the last flip are replayed on the renderer;
// not at all when they draw what the screen already shows, else only in the rectangles that changed:
// with the software renderer on the window's surface, presented alone; with an accelerated renderer in
// a texture that keeps the frame, which then goes to the screen whole. Scaled copies go through
// textures scaled once.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "media/display/display_internal.h"
#include "media/display/draw_list.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace media {

namespace {

using detail::DrawStep;
using detail::Rect;
using detail::TextureHandle;

// A texture's part scaled to a size, by the renderer's own scaling, as a full copy would scale it.
struct ScaledCopy {
    std::uint64_t content = 0;
    bool opaqueVariant = false;
    Rect source;
    int width = 0, height = 0;
    bool smooth = false;
    TextureHandle texture;

    ScaledCopy(const DrawStep& step, TextureHandle made)
        : content(step.content),
          opaqueVariant(step.opaqueVariant),
          source(step.source),
          width(step.destination.w),
          height(step.destination.h),
          smooth(step.smooth),
          texture(std::move(made)) {}

    bool serves(const DrawStep& step) const {
        return content == step.content && opaqueVariant == step.opaqueVariant && source == step.source &&
               width == step.destination.w && height == step.destination.h && smooth == step.smooth;
    }
};

struct ComposeState {
    std::vector<DrawStep> building;  // this frame's steps, in order
    std::vector<DrawStep> shown;     // the steps of the frame on screen, without their textures
    bool wholeNeeded = true;         // what the screen shows is not known
    Redrawing redrawing = Redrawing::changedOnly;
    std::vector<ScaledCopy> scaled;   // those the frame on screen uses
    std::optional<ScaledCopy> ahead;  // made between frames for a frame to come (a page turn)
    TextureHandle kept;               // accelerated renderer: the frame on screen, as drawn
    Rect keptArea;                    // the screen the kept frame was made for
    int scaledInFrame = 0;            // made while drawing this frame
    RedrawCheck check;
};

ComposeState& compose() {
    static ComposeState state;
    return state;
}

enum class Plan { nothing, rectangles, whole };

SDL_Renderer* renderer() {
    return detail::display().renderer;
}

Rect screenRect() {
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer(), &width, &height);
    return Rect{0, 0, width, height};
}

SDL_Rect sdlRect(const Rect& r) {
    return SDL_Rect{r.x, r.y, r.w, r.h};
}

SDL_BlendMode sdlBlend(detail::Blend blend) {
    switch (blend) {
        case detail::Blend::normal:
            return SDL_BLENDMODE_BLEND;
        case detail::Blend::multiply:
            return SDL_BLENDMODE_MUL;
        default:
            return SDL_BLENDMODE_NONE;
    }
}

// The software renderer clips a scaled copy by moving its source rectangle to whole pixels, so a
// clipped copy would sample the texture elsewhere than the whole one. Scaled once into a texture of
// the destination's size, the copy is then clipped pixel for pixel; the renderer itself scales a
// blended or modulated copy through such an intermediate picture.
TextureHandle scaleCopy(const DrawStep& step) {
    SDL_Texture* texture = SDL_CreateTexture(renderer(), SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_TARGET,
                                             step.destination.w, step.destination.h);
    if (texture == nullptr) return {};
    SDL_Texture* original = step.texture.get();
    SDL_SetTextureBlendMode(original, SDL_BLENDMODE_NONE);
    SDL_SetTextureAlphaMod(original, 255);
    SDL_SetTextureColorMod(original, 255, 255, 255);
    SDL_SetTextureScaleMode(original, step.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    const SDL_Rect source = sdlRect(step.source);
    SDL_SetRenderTarget(renderer(), texture);
    SDL_RenderCopy(renderer(), original, &source, nullptr);
    SDL_SetRenderTarget(renderer(), nullptr);
    return detail::adoptTexture(texture);
}

// The same scaling from the pixels a texture would hold: SDL's software renderer scales a copy
// without blending or modulation between pictures of one format with these two functions.
TextureHandle scalePicture(const DrawStep& step, const Picture& picture) {
    const int width = step.destination.w, height = step.destination.h;
    TextureHandle texture = detail::adoptTexture(
        SDL_CreateTexture(renderer(), SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING, width, height));
    void* pixels = nullptr;
    int pitch = 0;
    if (!texture || SDL_LockTexture(texture.get(), nullptr, &pixels, &pitch) != 0) return {};
    SDL_Surface* from =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(picture.pixels.data()), picture.width,
                                           picture.height, 32, picture.width * 4, SDL_PIXELFORMAT_RGBA32);
    SDL_Surface* to =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 32, pitch, SDL_PIXELFORMAT_RGBA32);
    const SDL_Rect source = sdlRect(step.source);
    const bool scaled = from != nullptr && to != nullptr &&
                        (step.smooth ? SDL_SoftStretchLinear(from, &source, to, nullptr)
                                     : SDL_SoftStretch(from, &source, to, nullptr)) == 0;
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
    SDL_UnlockTexture(texture.get());
    return scaled ? texture : TextureHandle{};
}

// A step drawn through a scaled copy: made from its texture, or from the pixels (scaleFromPicture),
// when the step has no texture.
bool throughScaledCopy(const DrawStep& step) {
    return detail::display().software && step.kind == DrawStep::Kind::copy && step.scaled();
}

// The copy kept for the step, taken from those made ahead when one is; empty when there is none.
TextureHandle keptScaledCopy(const DrawStep& step) {
    std::vector<ScaledCopy>& scaled = compose().scaled;
    auto found =
        std::find_if(scaled.begin(), scaled.end(), [&](const ScaledCopy& c) { return c.serves(step); });
    if (found != scaled.end()) return found->texture;
    std::optional<ScaledCopy>& ahead = compose().ahead;
    if (ahead && ahead->serves(step)) {
        scaled.push_back(std::move(*ahead));
        ahead.reset();
        return scaled.back().texture;
    }
    return {};
}

TextureHandle scaledCopyFor(const DrawStep& step) {
    if (TextureHandle kept = keptScaledCopy(step)) return kept;
    if (!step.texture) return {};
    ScaledCopy copy(step, scaleCopy(step));
    ++compose().scaledInFrame;
    if (copy.texture) compose().scaled.push_back(copy);
    return copy.texture;
}

// Between frames, one copy at a time: the pictures are large.
template <typename Make>
void makeAhead(const DrawStep& step, Make make) {
    std::optional<ScaledCopy>& ahead = compose().ahead;
    if (ahead && ahead->serves(step)) return;
    ahead.reset();
    ScaledCopy copy(step, make());
    if (copy.texture) ahead = std::move(copy);
}

// Whether a step of the frame being drawn takes its pixels from the copy.
bool usedByFrame(const ScaledCopy& copy, const std::vector<DrawStep>& steps) {
    return std::any_of(steps.begin(), steps.end(),
                       [&](const DrawStep& step) { return throughScaledCopy(step) && copy.serves(step); });
}

// Scaling changes the render target: it is done for the whole frame before any drawing. The copies
// the last frame used and this one does not go first: the screen keeps what they drew, and a zoom
// that changes every frame then holds one screen-sized copy at a time, not two.
void prepareScaledCopies(const std::vector<Rect>& areas) {
    std::erase_if(compose().scaled,
                  [](const ScaledCopy& copy) { return !usedByFrame(copy, compose().building); });
    const Rect screen = screenRect();
    for (const DrawStep& step : compose().building) {
        if (!throughScaledCopy(step)) continue;
        Rect bounds = detail::stepBounds(step, screen);
        bool needed = std::any_of(areas.begin(), areas.end(),
                                  [&](const Rect& area) { return detail::overlap(bounds, area); });
        if (needed) scaledCopyFor(step);
    }
}

void fill(const Rect& rect, Colour colour) {
    const SDL_Rect area = sdlRect(rect);
    SDL_SetRenderDrawBlendMode(renderer(), SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer(), static_cast<Uint8>(red(colour)), static_cast<Uint8>(green(colour)),
                           static_cast<Uint8>(blue(colour)), 255);
    SDL_RenderFillRect(renderer(), &area);
}

void copy(const DrawStep& step) {
    TextureHandle texture = throughScaledCopy(step) ? scaledCopyFor(step) : step.texture;
    if (!texture) return;
    const bool prescaled = texture != step.texture;
    const SDL_Rect source =
        sdlRect(prescaled ? Rect{0, 0, step.destination.w, step.destination.h} : step.source);
    const SDL_Rect destination = sdlRect(step.destination);
    SDL_SetTextureBlendMode(texture.get(), sdlBlend(step.blend));
    SDL_SetTextureAlphaMod(texture.get(), step.alpha);
    SDL_SetTextureColorMod(texture.get(), step.tint, step.tint, step.tint);
    SDL_SetTextureScaleMode(texture.get(), step.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_RenderCopy(renderer(), texture.get(), &source, &destination);
}

// One step; area is the rectangle being drawn (a clear fills only that).
void draw(const DrawStep& step, const Rect& area) {
    switch (step.kind) {
        case DrawStep::Kind::clear:
            fill(area, step.colour);
            break;
        case DrawStep::Kind::fill:
            fill(step.destination, step.colour);
            break;
        case DrawStep::Kind::copy:
            copy(step);
            break;
    }
}

// An accelerated renderer draws into the kept frame (target); the software renderer straight on the
// window's surface (nullptr).
void drawWhole(SDL_Texture* target) {
    const Rect screen = screenRect();
    prepareScaledCopies({screen});
    SDL_SetRenderTarget(renderer(), target);
    SDL_RenderSetClipRect(renderer(), nullptr);
    for (const DrawStep& step : compose().building) draw(step, screen);
}

// Each rectangle is drawn from its clear up, clipped to itself, with the steps that reach into it.
void drawChanged(const std::vector<Rect>& changed, SDL_Texture* target) {
    const Rect screen = screenRect();
    prepareScaledCopies(changed);
    SDL_SetRenderTarget(renderer(), target);
    for (const Rect& area : changed) {
        const SDL_Rect clip = sdlRect(area);
        SDL_RenderSetClipRect(renderer(), &clip);
        for (const DrawStep& step : compose().building) {
            if (detail::overlap(detail::stepBounds(step, screen), area)) draw(step, area);
        }
    }
    SDL_RenderSetClipRect(renderer(), nullptr);
}

// The software renderer draws into the window's surface; the rectangles alone go to the screen.
bool presentChanged(const std::vector<Rect>& changed) {
    std::vector<SDL_Rect> rectangles;
    for (const Rect& rect : changed) rectangles.push_back(sdlRect(rect));
    SDL_RenderFlush(renderer());
    return SDL_UpdateWindowSurfaceRects(detail::display().window, rectangles.data(),
                                        static_cast<int>(rectangles.size())) == 0;
}

// An accelerated renderer keeps the frame in a texture of the screen's size, made again whenever the
// screen's size changes (and the frame is then drawn whole); nullptr for the software renderer, and
// where the renderer cannot draw into textures.
SDL_Texture* keptFrame() {
    ComposeState& state = compose();
    if (detail::display().software) return nullptr;
    const Rect screen = screenRect();
    if (state.keptArea == screen) return state.kept.get();
    state.kept = detail::adoptTexture(SDL_CreateTexture(renderer(), SDL_PIXELFORMAT_ARGB8888,
                                                        SDL_TEXTUREACCESS_TARGET, screen.w, screen.h));
    state.keptArea = screen;
    state.wholeNeeded = true;
    return state.kept.get();
}

// The kept frame goes to the screen whole: the screen's back buffer holds nothing of the last frame.
void showKept(SDL_Texture* kept) {
    SDL_SetRenderTarget(renderer(), nullptr);
    SDL_SetTextureBlendMode(kept, SDL_BLENDMODE_NONE);
    SDL_SetTextureAlphaMod(kept, 255);
    SDL_SetTextureColorMod(kept, 255, 255, 255);
    SDL_RenderCopy(renderer(), kept, nullptr, nullptr);
}

// Checking: the frame as drawn (in the kept frame, or on the window's surface) is compared with the
// same frame drawn whole on the screen, pixel for pixel.
void checkAgainstWhole(SDL_Texture* kept) {
    Picture drawn, whole;
    SDL_SetRenderTarget(renderer(), kept);
    if (!detail::readFrame(drawn)) return;
    drawWhole(nullptr);
    if (!detail::readFrame(whole)) return;
    RedrawCheck& check = compose().check;
    ++check.framesChecked;
    for (std::size_t i = 0; i < drawn.pixels.size() && i < whole.pixels.size(); ++i) {
        if (((drawn.pixels[i] ^ whole.pixels[i]) & 0xFFFFFFu) == 0) continue;
        if (check.framesDiffering++ == 0) {
            check.firstX = static_cast<int>(i % static_cast<std::size_t>(drawn.width));
            check.firstY = static_cast<int>(i / static_cast<std::size_t>(drawn.width));
            check.drawn = drawn.pixels[i] & 0xFFFFFFu;
            check.whole = whole.pixels[i] & 0xFFFFFFu;
            check.frame = frameCounts().frames;
        }
        return;
    }
}

Plan planFrame(std::vector<Rect>& changed, bool inParts) {
    ComposeState& state = compose();
    if (state.redrawing == Redrawing::whole || state.wholeNeeded) return Plan::whole;
    if (!detail::changedRectangles(state.shown, state.building, screenRect(), changed)) return Plan::whole;
    if (changed.empty()) return Plan::nothing;
    return inParts ? Plan::rectangles : Plan::whole;
}

// Textures go with the frame: the sprites may now change them in place. Scaled copies stay while the
// frame on screen uses them.
void finishFrame() {
    ComposeState& state = compose();
    state.shown = std::move(state.building);
    state.building.clear();
    std::erase_if(state.scaled, [&](const ScaledCopy& copy) { return !usedByFrame(copy, state.shown); });
    for (DrawStep& step : state.shown) step.texture.reset();
    state.wholeNeeded = false;
}

}  // namespace

namespace detail {

void addDrawStep(DrawStep step) {
    compose().building.push_back(std::move(step));
}

void presentFrame() {
    SDL_Texture* kept = keptFrame();
    const bool software = display().software;
    std::vector<Rect> changed;
    Plan plan = planFrame(changed, software || kept != nullptr);
    const bool checking = compose().redrawing == Redrawing::checked && (software || kept != nullptr);
    if (plan == Plan::rectangles) {
        drawChanged(changed, kept);
        if (software && display().capturing) captureFrame();
        if (checking) checkAgainstWhole(kept);
        if (software && !presentChanged(changed)) plan = Plan::whole;
    } else if (plan == Plan::nothing && checking) {
        checkAgainstWhole(kept);
    }
    if (plan == Plan::whole) drawWhole(kept);
    if (plan == Plan::whole || (plan == Plan::rectangles && kept != nullptr)) {
        if (kept != nullptr) showKept(kept);
        if (display().capturing) captureFrame();
        SDL_RenderPresent(renderer());
    }
    countFrame(plan != Plan::nothing, plan == Plan::rectangles, compose().scaledInFrame);
    compose().scaledInFrame = 0;
    finishFrame();
}

void scaleAhead(const DrawStep& step) {
    if (throughScaledCopy(step) && step.texture) makeAhead(step, [&] { return scaleCopy(step); });
}

bool scaleFromPicture(const DrawStep& step, const Picture& picture) {
    if (keptScaledCopy(step)) return true;
    ComposeState& state = compose();
    // The sprite's copies at other sizes that this frame has not drawn go first: a zoom that changes
    // every frame then holds one copy at a time, not two.
    std::erase_if(state.scaled, [&](const ScaledCopy& copy) {
        return copy.content == step.content && !usedByFrame(copy, state.building);
    });
    ScaledCopy copy(step, scalePicture(step, picture));
    if (!copy.texture) return false;
    state.scaled.push_back(std::move(copy));
    ++state.scaledInFrame;
    return true;
}

void scaleAheadFromPicture(const DrawStep& step, const Picture& picture) {
    makeAhead(step, [&] { return scalePicture(step, picture); });
}

void forgetScaledAhead(std::uint64_t content) {
    std::optional<ScaledCopy>& ahead = compose().ahead;
    if (ahead && ahead->content == content) ahead.reset();
}

void redrawWhole() {
    compose().wholeNeeded = true;
}

void forgetDrawSteps() {
    ComposeState& state = compose();
    state.building.clear();
    state.shown.clear();
    state.scaled.clear();
    state.ahead.reset();
    state.kept.reset();
    state.keptArea = Rect{};
    state.wholeNeeded = true;
}

}  // namespace detail

void setRedrawing(Redrawing mode) {
    compose().redrawing = mode;
    compose().check = RedrawCheck{};
    compose().wholeNeeded = true;
}

RedrawCheck redrawCheck() {
    return compose().check;
}

}  // namespace media
