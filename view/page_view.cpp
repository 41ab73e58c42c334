// The page view: fitting, flipping, the tap glide, the zoom drag, first-page display and drawing.
#include "view/page_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "context/fitting.h"
#include "context/helpers.h"
#include "document/conversion.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "view/sharp_layer.h"

namespace {

constexpr int longestTap = 255;  // the glide ends in the first frame past this many milliseconds
constexpr int firstPageImage = 1000;

// The fit of the sprite's current display size into limit, applied to the sprite.
FitSize zoomToFit(int limit, int width, int height) {
    FitSize fit = fitInto(limit, width, height);
    media::zoomSprite(sprite::page, nearest(fit.width), nearest(fit.height));
    return fit;
}

void resetZoom(PageViewState& view) {
    view.zoomFactor = 1.0f;
    view.zoomDelta = 0.0f;
    view.zoomOffsetX = 0;
    view.zoomOffsetY = 0;
}

void centreMouse(const Viewer& v) {
    media::placeMouse(v.layout.screenWidth / 2, v.layout.screenHeight / 2);
}

// Redraws the page counter, loads the page's image and fits it. False when the image does not load:
// the old page stays, the counter already shows the new number.
// The load itself is given: from the file, or from the memory its converter shares.
template <typename Load>
bool loadFoundPage(Viewer& v, const std::string& file, Load load) {
    PageViewState& view = v.view;
    view.pageCounterText = std::to_string(view.currentPage) + "/" + std::to_string(v.document.pageCountShown);
    drawPageCounter(v);
    if (!load()) return false;
    notePageInSprite(v, view.currentPage, file);
    view.firstPageShown = true;
    fitPage(v);
    drawStatusLine(v);
    if (view.currentPage == 1) v.frame.backStripHovered = false;
    if (view.currentPage == v.document.pageCountShown) v.frame.forwardStripHovered = false;
    return true;
}

bool loadFoundPage(Viewer& v, const std::string& file) {
    return loadFoundPage(v, file, [&] { return media::loadSprite(sprite::page, file); });
}

// The page asked for is not there: the notice shows, the conversion makes it next, and it comes in
// place of the notice once its file is there.
void awaitPage(Viewer& v, int page) {
    v.view.pageNotReady = true;
    v.view.awaitedPage = page;
    askForPage(v, page);
}

// A page change found its page: nothing is waited on any more.
void stopWaiting(PageViewState& view) {
    view.pageNotReady = false;
    view.awaitedPage = 0;
}

// Moves currentPage by step when that page's image exists; otherwise waits on that page.
bool turnTo(Viewer& v, int step) {
    PageViewState& view = v.view;
    stopGlide(v);
    const int page = view.currentPage + step;
    const bool found = !pageImageFile(v, page).empty();
    if (found) {
        view.currentPage = page;
        stopWaiting(view);
    } else {
        awaitPage(v, page);
    }
    return found;
}

// Page 1 of an opening, once its converter has left its file: shown without the page counter's
// redraw (it shows page 1 already), the pointer at the centre unless it is at work (held down, or
// in the tool-bar zone): page 1 now comes while a hand may already be on a button. A failed load
// is tried again at the next converter's end.
bool showFirstPage(Viewer& v, const std::string& file) {
    PageViewState& view = v.view;
    notePageInSprite(v, 1, file);
    if (!media::mouseButton(1) && !pointerOver(sprite::toolbarZone, 0, 0)) centreMouse(v);
    view.firstPageShown = true;
    if (view.awaitedPage == 1) view.awaitedPage = 0;
    fitPage(v);
    return true;
}

bool showFirstPage(Viewer& v) {
    const std::string file = pageImageFile(v, 1);
    return !file.empty() && media::loadSprite(sprite::page, file) && showFirstPage(v, file);
}

// The page waited on (page 1 until it shows), put whole into the memory its converter shares: shown
// before the converter has written the page's file, whose name it is noted under. A one-page document
// is left to the single-page finish, which also makes its JPEG.
bool showSharedPage(Viewer& v) {
    PageViewState& view = v.view;
    const int page = view.firstPageShown ? view.awaitedPage : 1;
    if (page == 0 || v.document.pageCount == 1 || !sharedPageReady(v, page)) return false;
    const std::string file = pageImageBase(v, page) + ".png";
    const auto load = [&] { return takeSharedPage(v, page, sprite::page); };
    if (!view.firstPageShown) return load() && showFirstPage(v, file);
    const int shownPage = view.currentPage;
    view.currentPage = page;
    if (!loadFoundPage(v, file, load)) {
        view.currentPage = shownPage;  // still waited on: its file comes in place of the notice
        return false;
    }
    stopWaiting(view);
    return true;
}

float zoomOffset(int pointer, int pagePosition, float zoomStep, int offset) {
    float moved = static_cast<float>(pointer - pagePosition) * (zoomStep - 1.0f);
    return -(moved + zoomStep * std::fabs(static_cast<float>(offset)));
}

// The largest factor at which the display layer still draws the page at its true size: beyond it
// the page would stretch while the offsets went on growing.
float largestZoomFactor(const PageViewState& view) {
    const float fitted = static_cast<float>(std::max(nearest(view.fitWidth), nearest(view.fitHeight)));
    return fitted > 0.0f ? static_cast<float>(media::largestDisplaySide - 1) / fitted : 1.0f;
}

// One zoom step for a motion of delta (a frame's drag ÷ 10): a long leftward drag shrinks the page but
// never makes the step zero or negative, and the factor stops at the largest one, the step (and so the
// offsets) with it.
void stepZoomFactor(PageViewState& view, float delta) {
    constexpr float smallestStep = 0.1f;
    view.zoomStep = std::max(delta * 0.1f + 1.0f, smallestStep);
    const float largest = largestZoomFactor(view);
    if (view.zoomFactor * view.zoomStep > largest) view.zoomStep = std::max(largest / view.zoomFactor, 1.0f);
    view.zoomFactor = std::min(view.zoomFactor * view.zoomStep, std::max(largest, view.zoomFactor));
}

// Displays the page at the accumulated zoom factor, keeping the screen point (x, y) in place.
void applyZoom(PageViewState& view, int x, int y) {
    media::zoomSprite(sprite::page, nearest(view.fitWidth), nearest(view.fitHeight));
    int width = media::spriteWidth(sprite::page);
    int height = media::spriteHeight(sprite::page);
    media::zoomSprite(sprite::page, nearest(static_cast<float>(width) * view.zoomFactor),
                      nearest(static_cast<float>(height) * view.zoomFactor));
    view.zoomOffsetX = nearest(zoomOffset(x, view.pageX, view.zoomStep, view.zoomOffsetX));
    view.zoomOffsetY = nearest(zoomOffset(y, view.pageY, view.zoomStep, view.zoomOffsetY));
}

// The page at its fit size where it stands, unzoomed.
void showAtFitSize(PageViewState& view) {
    media::zoomSprite(sprite::page, nearest(view.fitWidth), nearest(view.fitHeight));
    view.zoomFactor = 1.0f;
    view.zoomOffsetX = 0;
    view.zoomOffsetY = 0;
}

// The offsets never leave part of the page's fitted place uncovered: a step out about a point that
// is not the one a step in was made about would otherwise push the page's corner into the screen.
void keepFitCovered(PageViewState& view) {
    const int spareWidth = media::spriteWidth(sprite::page) - nearest(view.fitWidth);
    const int spareHeight = media::spriteHeight(sprite::page) - nearest(view.fitHeight);
    view.zoomOffsetX = std::clamp(view.zoomOffsetX, -std::max(spareWidth, 0), 0);
    view.zoomOffsetY = std::clamp(view.zoomOffsetY, -std::max(spareHeight, 0), 0);
}

// A shrinking step below the fit size starts the factor again at 1. The bounds are the fitted size:
// a portrait page on a portrait screen is fitted by width yet narrower than the screen, and a bound of
// the screen's width would hold its zoom back until one frame's motion exceeded the whole gap.
void decideZoomApply(Viewer& v) {
    PageViewState& view = v.view;
    float height = static_cast<float>(media::spriteHeight(sprite::page)) * view.zoomFactor;
    if (height <= static_cast<float>(nearest(view.fitHeight)) && !view.fitByWidth) {
        view.zoomFactor = 1.0f;
    }
    // The width test alone decides whether the sprite is re-zoomed.
    view.zoomApply = true;
    float width = static_cast<float>(media::spriteWidth(sprite::page)) * view.zoomFactor;
    if (width <= static_cast<float>(nearest(view.fitWidth)) && view.fitByWidth) {
        view.zoomFactor = 1.0f;
        view.zoomApply = false;
    }
}

// What the single-page finish found: the page to show, if any.
enum class SinglePage { notYet, jpeg, pngOnly };

// Turns the converter's PNG of a one-page document into its JPEG; the PNG goes only once the JPEG
// has been written. A PNG that loads but whose JPEG cannot be written (a full or read-only disk) is
// shown as it is: trying again would re-encode the page every frame and never show it.
SinglePage finishSinglePagePng(const std::string& png, const std::string& jpeg) {
    if (!media::filePresent(png)) return media::filePresent(jpeg) ? SinglePage::jpeg : SinglePage::notYet;
    SinglePage result = SinglePage::notYet;
    if (media::loadImage(firstPageImage, png)) {
        const bool saved = media::saveImageJpeg(firstPageImage, jpeg, 9) && media::filePresent(jpeg);
        if (saved) media::deleteFile(png);
        result = saved ? SinglePage::jpeg : SinglePage::pngOnly;
    }
    media::freeImage(firstPageImage);
    return result;
}

}  // namespace

void fitPage(Viewer& v) {
    PageViewState& view = v.view;
    if (media::spriteExists(sprite::page)) {
        const Layout& layout = v.layout;
        FitSize fit = zoomToFit(layout.screenHeight, media::spriteWidth(sprite::page),
                                media::spriteHeight(sprite::page));
        view.fitByWidth = false;
        if (media::spriteWidth(sprite::page) > layout.screenWidth) {
            view.fitByWidth = true;
            media::zoomSprite(sprite::page, -1, -1);
            fit = zoomToFit(layout.screenWidth, media::spriteWidth(sprite::page),
                            media::spriteHeight(sprite::page));
        }
        view.fitWidth = fit.width;
        view.fitHeight = fit.height;
        view.pageFitWidth = std::ceil(fit.width);
        view.pageFitHeight = std::ceil(fit.height);
        view.pageX = layout.screenWidth / 2 - media::spriteWidth(sprite::page) / 2;
        view.pageY = layout.screenHeight / 2 - media::spriteHeight(sprite::page) / 2;
        view.panStartX = view.pageX;
        view.panStartY = view.pageY;
    }
    resetZoom(view);
}

media::DisplaySize fittedPageSize(const Layout& layout, int width, int height) {
    FitSize fit = fitInto(layout.screenHeight, width, height);
    if (std::min(nearest(fit.width), media::largestDisplaySide) > layout.screenWidth)
        fit = fitInto(layout.screenWidth, width, height);
    return {nearest(fit.width), nearest(fit.height)};
}

bool showPage(Viewer& v) {
    std::string file = pageImageFile(v, v.view.currentPage);
    return !file.empty() && loadFoundPage(v, file);
}

void stopGlide(Viewer& v) {
    v.view.panAnimating = false;
    v.view.panElapsed = 0;
}

void resetPageView(Viewer& v) {
    PageViewState& view = v.view;
    view.fitWidth = view.fitHeight = 0.0f;
    view.currentPage = 1;
    stopGlide(v);
    view.pageNotReady = false;
    view.firstPageShown = false;
    view.awaitedPage = 1;
    view.lastSeenConverterEnd = v.conversion.convertersEnded;
}

void showCachedFirstPage(Viewer& v) {
    PageViewState& view = v.view;
    const std::string firstPage = pageImageBase(v, view.currentPage) + ".jpg";
    if (!media::filePresent(firstPage) || view.firstPageShown) return;
    centreMouse(v);
    if (!media::loadSprite(sprite::page, firstPage)) return;
    notePageInSprite(v, view.currentPage, firstPage);
    view.firstPageShown = true;
    view.awaitedPage = 0;
    fitPage(v);
}

void restoreFit(Viewer& v) {
    stopGlide(v);
    fitPage(v);
    v.view.previousZoomDelta = v.view.zoomDelta;
}

bool previousPage(Viewer& v) {
    turnTo(v, -1);
    if (v.view.currentPage < 1) v.view.currentPage = 1;
    // Also when the previous page was missing: the same page is reloaded, which ends any zoom.
    return showPage(v);
}

bool nextPage(Viewer& v) {
    bool found = turnTo(v, 1);
    if (v.view.currentPage > v.document.pageCountShown) v.view.currentPage = v.document.pageCountShown;
    return found && showPage(v);
}

bool goToPage(Viewer& v, int page) {
    if (page < 1 || page > v.document.pageCountShown) return false;
    return turnTo(v, page - v.view.currentPage) && showPage(v);
}

void pressOnPage(Viewer& v, int pressX, int pressY) {
    // The elapsed time goes too, so that the next tap glides from the start position.
    stopGlide(v);
    v.view.panShiftX = v.layout.screenWidth / 2 - pressX;
    v.view.panShiftY = v.layout.screenHeight / 2 - pressY;
}

void startGlide(Viewer& v) {
    v.view.lastTick = media::elapsedMilliseconds();
    v.view.panAnimating = true;
}

void glideTick(Viewer& v) {
    PageViewState& view = v.view;
    if (!view.panAnimating) return;
    std::int64_t now = media::elapsedMilliseconds();
    view.panElapsed += now - view.lastTick;
    view.lastTick = now;
}

void glidePosition(Viewer& v) {
    PageViewState& view = v.view;
    if (!view.panAnimating || v.frame.pagePressed) return;
    float elapsed = static_cast<float>(view.panElapsed);
    float duration = static_cast<float>(view.panDuration);
    view.pageX = nearest(easeOutExpo(elapsed, static_cast<float>(view.panStartX),
                                     static_cast<float>(view.panShiftX), duration));
    view.pageY = nearest(easeOutExpo(elapsed, static_cast<float>(view.panStartY),
                                     static_cast<float>(view.panShiftY), duration));
    if (view.panElapsed > longestTap) {
        stopGlide(v);
        view.panStartX = view.pageX;
        view.panStartY = view.pageY;
        view.previousZoomDelta = view.zoomDelta;
    }
}

void zoomDrag(Viewer& v) {
    PageViewState& view = v.view;
    v.frame.zoomDragging = true;
    // Only motion made with the button held: never the jump that brought a touch to the page.
    view.zoomDelta = static_cast<float>(media::heldDeltaX()) / 10.0f;
    if (view.zoomDelta == view.previousZoomDelta) return;
    decideZoomApply(v);
    stepZoomFactor(view, view.zoomDelta);
    if (view.zoomApply) applyZoom(view, media::mouseX(), media::mouseY());
    view.previousZoomDelta = view.zoomDelta;
}

void zoomStepAbout(Viewer& v, float delta, int x, int y) {
    PageViewState& view = v.view;
    if (!media::spriteExists(sprite::page) || view.fitWidth <= 0.0f) return;
    // A drag can leave the factor below 1 with the page at its fit size; a step starts from the fit.
    view.zoomFactor = std::max(view.zoomFactor, 1.0f);
    stepZoomFactor(view, delta);
    if (view.zoomFactor <= 1.0f) {
        showAtFitSize(view);
        return;
    }
    applyZoom(view, x, y);
    keepFitCovered(view);
}

bool showAwaitedPage(Viewer& v) {
    PageViewState& view = v.view;
    if (showSharedPage(v)) return true;
    const int ended = v.conversion.convertersEnded;
    if (view.awaitedPage == 0 || ended == view.lastSeenConverterEnd) return false;
    view.lastSeenConverterEnd = ended;
    // A one-page document is shown by the single-page finish, which also makes its JPEG: a converter
    // quick enough to end before this step must not leave the page a PNG for good.
    if (!view.firstPageShown) return v.document.pageCount != 1 && showFirstPage(v);
    const std::string file = pageImageFile(v, view.awaitedPage);
    if (file.empty()) return false;
    if (v.tools.sharedPage == view.awaitedPage) releaseSharedPage(v.tools);  // shared, yet not taken
    view.currentPage = view.awaitedPage;
    stopWaiting(view);
    return loadFoundPage(v, file);
}

void singlePageFinish(Viewer& v) {
    if (v.document.pageCount != 1 || v.view.firstPageShown) return;
    std::string base = v.document.documentCacheFolder + "page-000001";
    const SinglePage found = finishSinglePagePng(base + ".png", base + ".jpg");
    if (found == SinglePage::notYet) return;
    // The pointer is centred only once the page shows, so an unreadable file cannot pin it there.
    const std::string file = base + (found == SinglePage::jpeg ? ".jpg" : ".png");
    if (!media::loadSprite(sprite::page, file)) return;
    notePageInSprite(v, 1, file);
    centreMouse(v);
    v.view.firstPageShown = true;
    v.view.awaitedPage = 0;
    finishSinglePageDocument(v);
    fitPage(v);
}

void drawPage(Viewer& v) {
    if (!media::spriteExists(sprite::page) || v.frame.thumbnailMode) return;
    media::displaySprite(sprite::page, v.view.pageX + v.view.zoomOffsetX, v.view.pageY + v.view.zoomOffsetY);
}

void drawStrips(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.toolbarShown) return;
    bool available = !frame.zoomDragging && !frame.thumbnailMode;
    frame.backStripHovered = available && v.view.currentPage > 1 && pointerOver(sprite::backZone, 0, 0);
    if (frame.backStripHovered) media::displaySprite(sprite::backStrip, 0, 0);
    int forwardX = v.layout.screenWidth - media::spriteWidth(sprite::forwardStrip);
    frame.forwardStripHovered = available && v.view.currentPage < v.document.pageCountShown &&
                                pointerOver(sprite::forwardZone, forwardX, 0);
    if (frame.forwardStripHovered) media::displaySprite(sprite::forwardStrip, forwardX, 0);
}
