// The sharp layer: asked for once the view settles, rendered by the region renderer serving the document
// in a process of its own into memory shared with it, drawn over the page; a view that moves on drops
// what is stale.
#include "view/sharp_layer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"

namespace {

// The converter bounds a page image to this side and area, reducing the resolution: a picture that
// reaches either was not made at the document's resolution.
constexpr int reducedPictureSide = 19990;
constexpr double reducedPicturePixels = 99.0e6;
// A request the view has moved on from is let finish, keeping the renderer and what it has read of
// the page, unless it takes longer than this: then the renderer is stopped and the next starts afresh.
constexpr std::int64_t abandonedRequestPatienceMilliseconds = 250;

PageOnScreen pageOnScreen(const Viewer& v) {
    PageOnScreen page;
    page.screenWidth = v.layout.screenWidth;
    page.screenHeight = v.layout.screenHeight;
    page.left = v.view.pageX + v.view.zoomOffsetX;
    page.top = v.view.pageY + v.view.zoomOffsetY;
    page.displayWidth = media::spriteWidth(sprite::page);
    page.displayHeight = media::spriteHeight(sprite::page);
    page.ownWidth = media::spriteOwnWidth(sprite::page);
    page.ownHeight = media::spriteOwnHeight(sprite::page);
    return page;
}

// The page the sprite holds, as it is displayed now; no part. Empty when no page of the open document
// is shown: the layer is rendered from the open document, so a page of the one before never gets one.
SharpView displayedView(const Viewer& v) {
    SharpView view;
    const SharpLayerState& sharp = v.sharp;
    const std::string& folder = v.document.documentCacheFolder;
    if (!media::spriteExists(sprite::page) || sharp.pageInSprite.empty() || folder.empty() ||
        sharp.pageInSprite.rfind(folder, 0) != 0)
        return view;
    view.pageFile = sharp.pageInSprite;
    view.page = sharp.pageNumberInSprite;
    view.displayWidth = media::spriteWidth(sprite::page);
    view.displayHeight = media::spriteHeight(sprite::page);
    return view;
}

// The same page picture at the same displayed size: a layer made for one fits the other wherever the
// page stands.
bool sameScale(const SharpView& a, const SharpView& b) {
    return !a.pageFile.empty() && a.pageFile == b.pageFile && a.page == b.page &&
           a.displayWidth == b.displayWidth && a.displayHeight == b.displayHeight;
}

// No button held on the page and no glide under way: the view stays as it is until the next input.
bool settled(const Viewer& v) {
    const bool held = v.frame.pagePressed && media::mouseButton(1);
    return !held && !v.view.panAnimating && !v.frame.thumbnailMode;
}

// The view a layer is wanted for now: none while the view moves or needs none.
SharpView wantedView(const Viewer& v) {
    if (v.document.documentPath.empty() || v.document.renderDpi <= 0.0f || !settled(v)) return {};
    return sharpViewOnScreen(v);
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

void stopServer(RegionServer& server) {
    if (server.process != 0) media::stopProgram(server.process);
    media::closeLineChannel(server.channel);
    media::releaseSharedMemory(server.pixels);
    server = RegionServer{};
}

// The answer to the request in flight: "done <length>", "failed", "ended" when the renderer ended
// without one (it is then forgotten), or "" while none has come. Whether it runs is asked first: an
// answer sent just before its end is still read.
std::string takeAnswer(RegionServer& server) {
    const bool running = media::programRunning(server.process);
    if (std::optional<std::string> answer = media::takeLine(server.channel)) {
        server.requestInFlight = 0;
        return answer->empty() ? "failed" : *answer;
    }
    if (running) return "";
    stopServer(server);
    return "ended";
}

// A request the view has moved on from is finished unseen.
void dropRender(SharpLayerState& sharp) {
    sharp.render = SharpRender{};
}

// A request no render waits on any more: its answer is dropped when it comes.
void followAbandonedRequest(SharpLayerState& sharp) {
    RegionServer& server = sharp.server;
    if (server.requestInFlight == 0 || server.requestInFlight == sharp.render.request) return;
    if (takeAnswer(server).empty() &&
        media::elapsedMilliseconds() - server.sentAt > abandonedRequestPatienceMilliseconds)
        stopServer(server);
}

void forgetShownLayer(SharpLayerState& sharp) {
    if (sharp.shown.empty()) return;
    media::freeSprite(sprite::sharpLayer);
    sharp.shown = SharpView{};
}

void failRender(SharpLayerState& sharp) {
    sharp.failed = sharp.render.view;
    dropRender(sharp);
}

// The layer's pixels, "done <length>" of them in the shared memory, become the layer sprite in place
// of the one shown, which goes first (this frame draws the new one): never two layers in memory. The
// memory is the renderer's again for its next request.
void takeLayer(SharpLayerState& sharp, const std::string& answer) {
    SharpRender& render = sharp.render;
    forgetShownLayer(sharp);
    const media::SharedMemory& pixels = sharp.server.pixels;
    unsigned long long length = 0;
    char end = 0;
    const bool done =
        std::sscanf(answer.c_str(), "done %llu%c", &length, &end) == 1 && length > 0 && length <= pixels.size;
    const bool loaded = done && media::loadSpriteFromMemory(sprite::sharpLayer, pixels.bytes, length);
    if (!loaded || media::spriteOwnWidth(sprite::sharpLayer) != render.view.width ||
        media::spriteOwnHeight(sprite::sharpLayer) != render.view.height) {
        media::freeSprite(sprite::sharpLayer);
        failRender(sharp);
        return;
    }
    sharp.shown = render.view;
    dropRender(sharp);
}

void startRender(Viewer& v, const SharpView& wanted) {
    SharpLayerState& sharp = v.sharp;
    RegionServer& server = sharp.server;
    const std::string folder = folderOf(wanted.pageFile);
    // A renderer for another document, or one that has ended since its last answer, is replaced.
    if (server.process != 0 && (server.document != v.document.documentPath || server.folder != folder ||
                                !media::programRunning(server.process)))
        stopServer(server);
    const bool serving = server.process != 0 || startRegionServer(v, folder, server);
    if (!serving || !media::sendLine(server.channel, regionRequest(sharpRegionOf(v, wanted)))) {
        if (serving) stopServer(server);
        sharp.failed = wanted;
        return;
    }
    server.requestInFlight = ++sharp.requestSerial;
    server.sentAt = media::elapsedMilliseconds();
    sharp.render = SharpRender{wanted, SharpRenderStage::running, server.requestInFlight};
}

// A render for another page or scale than the displayed one is dropped at once; one answered is
// taken in the frame that reads the answer.
void followRender(Viewer& v, const SharpView& displayed) {
    SharpLayerState& sharp = v.sharp;
    SharpRender& render = sharp.render;
    if (render.stage == SharpRenderStage::none) return;
    if (!sameScale(render.view, displayed)) return dropRender(sharp);
    const std::string answer = takeAnswer(sharp.server);
    if (answer.empty()) return;
    if (answer == "ended" && !render.retried) {  // a renderer that ended (its time used up) is renewed once
        const SharpView view = render.view;
        dropRender(sharp);
        startRender(v, view);
        sharp.render.retried = true;
        return;
    }
    takeLayer(sharp, answer);
}

}  // namespace

SharpView sharpViewOnScreen(const Viewer& v) {
    SharpView view = displayedView(v);
    const PagePart part = view.pageFile.empty() ? PagePart{} : sharpPartOf(pageOnScreen(v));
    if (part.width <= 0) return {};
    view.x = part.x;
    view.y = part.y;
    view.width = part.width;
    view.height = part.height;
    return view;
}

PagePart sharpPartOf(const PageOnScreen& page) {
    const bool larger = page.displayWidth > page.ownWidth || page.displayHeight > page.ownHeight;
    const bool reduced = std::max(page.ownWidth, page.ownHeight) >= reducedPictureSide ||
                         static_cast<double>(page.ownWidth) * page.ownHeight >= reducedPicturePixels;
    if (!larger || reduced || page.ownWidth <= 0 || page.ownHeight <= 0) return {};
    const int left = std::max(page.left, 0), top = std::max(page.top, 0);
    const int right = std::min(page.left + page.displayWidth, page.screenWidth);
    const int bottom = std::min(page.top + page.displayHeight, page.screenHeight);
    if (right <= left || bottom <= top) return {};
    return {left - page.left, top - page.top, right - left, bottom - top};
}

// The picture's pixels are the converter's, at its whole resolution: a pixel of the displayed page is
// the picture's width over the displayed width of one.
PageRegion sharpRegionOf(const Viewer& v, const SharpView& view) {
    const double scale = static_cast<double>(view.displayWidth) / media::spriteOwnWidth(sprite::page);
    PageRegion region;
    region.page = view.page;
    region.dotsPerInch = converterDotsPerInch(v.document.renderDpi) * scale;
    const double pointsPerPixel = 72.0 / region.dotsPerInch;
    region.left = view.x * pointsPerPixel;
    region.top = view.y * pointsPerPixel;
    region.right = (view.x + view.width) * pointsPerPixel;
    region.bottom = (view.y + view.height) * pointsPerPixel;
    return region;
}

void notePageInSprite(Viewer& v, int page, const std::string& file) {
    v.sharp.pageInSprite = file;
    v.sharp.pageNumberInSprite = page;
}

void updateSharpLayer(Viewer& v) {
    SharpLayerState& sharp = v.sharp;
    const SharpView displayed = displayedView(v);
    if (!sameScale(sharp.shown, displayed)) forgetShownLayer(sharp);
    if (!sameScale(sharp.failed, displayed)) sharp.failed = SharpView{};  // tried again on its next showing
    followRender(v, displayed);
    followAbandonedRequest(sharp);
    // The renderer of a document no longer open goes with it.
    if (sharp.server.process != 0 && sharp.server.document != v.document.documentPath)
        stopServer(sharp.server);
    const SharpView wanted = wantedView(v);
    if (wanted.empty() || wanted == sharp.shown || wanted == sharp.failed || wanted == sharp.render.view)
        return;
    // A request in flight is answered soon: the next render is asked for then.
    dropRender(sharp);
    if (sharp.server.requestInFlight != 0) return;
    startRender(v, wanted);
}

void drawSharpLayer(const Viewer& v) {
    const SharpView& shown = v.sharp.shown;
    if (shown.empty() || v.frame.thumbnailMode || !sameScale(shown, displayedView(v))) return;
    media::displaySprite(sprite::sharpLayer, v.view.pageX + v.view.zoomOffsetX + shown.x,
                         v.view.pageY + v.view.zoomOffsetY + shown.y);
}

bool sharpLayerCoversPage(const Viewer& v) {
    return !v.sharp.shown.empty() && !v.frame.thumbnailMode && v.sharp.shown == sharpViewOnScreen(v);
}

void endSharpLayer(Viewer& v) {
    dropRender(v.sharp);
    stopServer(v.sharp.server);
    forgetShownLayer(v.sharp);
}
