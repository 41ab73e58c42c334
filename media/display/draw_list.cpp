// The frame's list of drawing steps: shared textures, content versions, the likeness of two steps
// and the rectangles in which two frames differ.
#include "media/display/draw_list.h"

#include <SDL.h>

#include <algorithm>
#include <cstddef>

#include "media/display/display_internal.h"

namespace media::detail {

namespace {

// More rectangles than this are merged: each one costs a pass over the frame's steps and a request
// to the window system.
constexpr std::size_t mostRectangles = 16;
// Two rectangles whose box is at most this much larger than the two together become their box.
constexpr long long mergeSlack = 32 * 32;
// Past this share of the screen, drawing the whole frame costs no more than drawing its parts.
constexpr double largestChangedShare = 0.5;

long long area(const Rect& r) {
    return r.empty() ? 0 : static_cast<long long>(r.w) * r.h;
}

// What merging two rectangles into their box adds to the area drawn (negative when they overlap).
long long mergeCost(const Rect& a, const Rect& b) {
    return area(box(a, b)) - area(a) - area(b);
}

bool worthMerging(const Rect& a, const Rect& b) {
    return overlap(a, b) || mergeCost(a, b) <= mergeSlack;
}

// Merges rectangles that overlap or lie close, until none do; then the cheapest pairs while there are
// too many. Overlapping rectangles must go: each is drawn whole, so an overlap would be drawn twice.
void mergeRectangles(std::vector<Rect>& rectangles) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (std::size_t i = 0; i < rectangles.size() && !merged; ++i) {
            for (std::size_t j = i + 1; j < rectangles.size() && !merged; ++j) {
                if (!worthMerging(rectangles[i], rectangles[j])) continue;
                rectangles[i] = box(rectangles[i], rectangles[j]);
                rectangles.erase(rectangles.begin() + static_cast<std::ptrdiff_t>(j));
                merged = true;
            }
        }
    }
}

void mergeCheapestPair(std::vector<Rect>& rectangles) {
    std::size_t bestI = 0, bestJ = 1;
    for (std::size_t i = 0; i < rectangles.size(); ++i) {
        for (std::size_t j = i + 1; j < rectangles.size(); ++j) {
            if (mergeCost(rectangles[i], rectangles[j]) < mergeCost(rectangles[bestI], rectangles[bestJ])) {
                bestI = i;
                bestJ = j;
            }
        }
    }
    rectangles[bestI] = box(rectangles[bestI], rectangles[bestJ]);
    rectangles.erase(rectangles.begin() + static_cast<std::ptrdiff_t>(bestJ));
}

void addStepBounds(std::vector<Rect>& rectangles, const DrawStep& step, const Rect& screen) {
    Rect bounds = stepBounds(step, screen);
    if (bounds.w > 0 && bounds.h > 0) rectangles.push_back(bounds);
}

// Steps that differ between the lists. Where the lists keep their length, the steps are paired by
// place; a pixel that no differing step covers is then drawn by equal steps in the same order.
void collectDifferences(const std::vector<DrawStep>& before, const std::vector<DrawStep>& after,
                        const Rect& screen, std::vector<Rect>& changed) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0, suffix = 0;
    while (prefix < shorter && sameDrawing(before[prefix], after[prefix])) ++prefix;
    while (suffix < shorter - prefix &&
           sameDrawing(before[before.size() - 1 - suffix], after[after.size() - 1 - suffix])) {
        ++suffix;
    }
    const std::size_t beforeEnd = before.size() - suffix, afterEnd = after.size() - suffix;
    if (beforeEnd - prefix == afterEnd - prefix) {
        for (std::size_t i = prefix; i < beforeEnd; ++i) {
            if (sameDrawing(before[i], after[i])) continue;
            addStepBounds(changed, before[i], screen);
            addStepBounds(changed, after[i], screen);
        }
        return;
    }
    for (std::size_t i = prefix; i < beforeEnd; ++i) addStepBounds(changed, before[i], screen);
    for (std::size_t i = prefix; i < afterEnd; ++i) addStepBounds(changed, after[i], screen);
}

}  // namespace

Rect intersection(const Rect& a, const Rect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    if (a.empty() || b.empty() || right <= left || bottom <= top) return Rect{};
    return Rect{left, top, right - left, bottom - top};
}

bool overlap(const Rect& a, const Rect& b) {
    return !intersection(a, b).empty();
}

Rect box(const Rect& a, const Rect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    return Rect{left, top, right - left, bottom - top};
}

TextureHandle adoptTexture(SDL_Texture* texture) {
    if (texture == nullptr) return {};
    // A renderer destroys its textures with itself: a handle outliving it must not destroy one again.
    const std::uint64_t renderer = rendererGeneration();
    return TextureHandle(texture, [renderer](SDL_Texture* owned) {
        if (rendererGeneration() == renderer) SDL_DestroyTexture(owned);
    });
}

std::uint64_t newContentVersion() {
    static std::uint64_t last = 0;
    return ++last;
}

bool sameDrawing(const DrawStep& a, const DrawStep& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case DrawStep::Kind::clear:
            return a.colour == b.colour;
        case DrawStep::Kind::fill:
            return a.colour == b.colour && a.destination == b.destination;
        case DrawStep::Kind::copy:
            return a.content == b.content && a.opaqueVariant == b.opaqueVariant && a.source == b.source &&
                   a.destination == b.destination && a.blend == b.blend && a.alpha == b.alpha &&
                   a.tint == b.tint && a.smooth == b.smooth;
    }
    return false;
}

bool sameDrawing(const std::vector<DrawStep>& a, const std::vector<DrawStep>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const DrawStep& x, const DrawStep& y) { return sameDrawing(x, y); });
}

Rect stepBounds(const DrawStep& step, const Rect& screen) {
    return step.kind == DrawStep::Kind::clear ? screen : intersection(step.destination, screen);
}

bool changedRectangles(const std::vector<DrawStep>& before, const std::vector<DrawStep>& after,
                       const Rect& screen, std::vector<Rect>& changed) {
    changed.clear();
    auto clears = [](const std::vector<DrawStep>& list) {
        return !list.empty() && list.front().kind == DrawStep::Kind::clear;
    };
    if (!clears(before) || !clears(after)) return false;
    collectDifferences(before, after, screen, changed);
    mergeRectangles(changed);
    while (changed.size() > mostRectangles) {
        mergeCheapestPair(changed);
        mergeRectangles(changed);
    }
    long long covered = 0;
    for (const Rect& rect : changed) covered += area(rect);
    return static_cast<double>(covered) <= largestChangedShare * static_cast<double>(area(screen));
}

}  // namespace media::detail
