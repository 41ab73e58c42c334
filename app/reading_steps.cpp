// The frame's steps for where the reader is: the list panels' presses and releases, the information
// panel's Contents and Recent documents buttons, Back (Alt+Left, the mouse's back button, the hit
// list's button), the move to the kept page and the panels' drawing.
#include <string>

#include "app/frame_steps.h"
#include "app/recent_list.h"
#include "context/helpers.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "view/contents_panel.h"
#include "view/jumps.h"
#include "view/kept_page.h"
#include "view/list_panels.h"

namespace {

bool documentOpen(const Viewer& v) {
    return !v.document.documentCacheFolder.empty() && !v.password.passwordPanelOpen;
}

// Under the information panel: Contents (for an open document) and Recent documents.
struct InfoButtons {
    Box contents, recent, all;  // the two in the sprite's own place, and the sprite on the screen
};

InfoButtons infoButtons(const Viewer& v) {
    const Layout& layout = v.layout;
    const int pad = listPadding(layout);
    InfoButtons buttons;
    buttons.contents = titleButton(layout, "Contents", 0);
    buttons.recent = titleButton(layout, "Recent documents", 0);
    buttons.contents.x = 0;
    buttons.contents.y = buttons.recent.y = 0;
    buttons.recent.x = buttons.contents.width + pad;
    const int width = buttons.recent.x + buttons.recent.width;
    const int x = innerWindowWidth(v) / 2 - width / 2;
    const int y = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::infoPanel) + pad;
    buttons.all = {x, y, width, buttons.contents.height};
    return buttons;
}

// Drawn again only when the Contents button's state changes.
void drawInfoButtons(Viewer& v) {
    const bool enabled = documentOpen(v);
    if (v.readingButtons.infoButtonsDrawn == static_cast<int>(enabled)) return;
    const InfoButtons buttons = infoButtons(v);
    media::createSprite(sprite::infoButtons, buttons.all.width, buttons.all.height);
    if (!media::beginDrawing(sprite::infoButtons)) return;
    drawListButton(buttons.contents, "Contents", enabled);
    drawListButton(buttons.recent, "Recent documents", true);
    media::endDrawing();
    v.readingButtons.infoButtonsDrawn = static_cast<int>(enabled);
}

bool onInfoButtons(const Viewer& v, int x, int y) {
    return v.frame.infoPanelOpen && infoButtons(v).all.contains(x, y);
}

void releaseInfoButtons(Viewer& v, int x) {
    const InfoButtons buttons = infoButtons(v);
    const int buttonX = x - buttons.all.x;
    if (buttons.contents.contains(buttonX, 0) && documentOpen(v)) openContentsPanel(v);
    if (buttons.recent.contains(buttonX, 0)) openRecentPanel(v);
}

// The hit list's Back sits at the right end of its title band, a row's height.
Box hitListBackBox(const Viewer& v) {
    const int f = v.layout.largeFontSize;
    const int listX = innerWindowWidth(v) / 2 - media::spriteWidth(sprite::searchList) / 2;
    const int top = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader);
    Box box = titleButton(v.layout, "Back", listX + media::spriteWidth(sprite::searchList) - f / 2);
    box.height = 3 * f - 4;
    box.y = top + 2;
    return box;
}

bool hitListBackShown(const Viewer& v) {
    return v.frame.searchPanelOpen && !v.search.searchHits.empty() && !v.frame.textViewOpen;
}

// Back from anywhere: the sheet and the contents close, the text view follows the page.
void goBackAndFollow(Viewer& v) {
    v.frame.thumbnailMode = false;
    if (!goBack(v)) return;
    refreshTextView(v);
    closeContentsPanel(v);
}

void takePress(Viewer& v, int x, int y) {
    FrameState& frame = v.frame;
    const bool taken = pressContentsPanel(v, x, y) || pressRecentList(v, x, y) || onInfoButtons(v, x, y) ||
                       (hitListBackShown(v) && hitListBackBox(v).contains(x, y));
    if (taken) consumeEvent(frame);
}

void takeRelease(Viewer& v, int x, int y) {
    FrameState& frame = v.frame;
    if (releaseContentsPanel(v, x, y) || releaseRecentList(v, x, y)) {
        consumeEvent(frame);
    } else if (onInfoButtons(v, x, y)) {
        releaseInfoButtons(v, x);
        consumeEvent(frame);
    } else if (hitListBackShown(v) && hitListBackBox(v).contains(x, y)) {
        goBackAndFollow(v);
        consumeEvent(frame);
    }
}

// A layer opened by the tool bar (or the sheet) covers a list panel: the panel closes.
void closeCoveredPanels(FrameState& frame) {
    if (frame.infoPanelOpen || frame.searchPanelOpen || frame.textViewOpen || frame.thumbnailMode)
        frame.contentsPanelOpen = frame.recentPanelOpen = false;
}

}  // namespace

void handleReadingPanels(Viewer& v) {
    FrameState& frame = v.frame;
    closeCoveredPanels(frame);
    const media::WindowEvent event = frame.frameEvent;
    if (event == media::WindowEvent::leftDown || event == media::WindowEvent::leftDoubleClick)
        takePress(v, frame.eventX, frame.eventY);
    if (event == media::WindowEvent::leftUp) takeRelease(v, frame.eventX, frame.eventY);
    followContentsPanel(v);
    if (frame.contentsPanelOpen) scrollContentsPanel(v, media::mouseWheel());
}

void handleBackRequests(Viewer& v) {
    if (media::dialogRunning() || v.password.passwordPanelOpen) return;
    const int presses = media::mouseBackPresses() + (media::keyPressedWithAlt(media::scan::left) ? 1 : 0);
    for (int press = 0; press < presses; ++press) goBackAndFollow(v);
}

void followReadingPlace(Viewer& v) {
    if (reachPageWhenMade(v)) refreshTextView(v);
}

void displayReadingPanels(Viewer& v) {
    closeCoveredPanels(v.frame);  // a layer the tool bar opened in the last frame's steps
    if (v.frame.infoPanelOpen) {
        drawInfoButtons(v);
        const Box box = infoButtons(v).all;
        media::displaySprite(sprite::infoButtons, box.x, box.y);
    }
    displayContentsPanel(v);
    if (v.frame.recentPanelOpen) displayRecentList(v);
}

void displayHitListBack(Viewer& v) {
    if (!hitListBackShown(v)) return;
    const bool enabled = canGoBack(v);
    const Box box = hitListBackBox(v);
    if (v.readingButtons.hitListBackDrawn != static_cast<int>(enabled) ||
        media::spriteOwnWidth(sprite::hitListBack) != box.width) {
        media::createSprite(sprite::hitListBack, box.width, box.height);
        if (media::beginDrawing(sprite::hitListBack)) {
            drawListButton({0, 0, box.width, box.height}, "Back", enabled);
            media::endDrawing();
        }
        v.readingButtons.hitListBackDrawn = static_cast<int>(enabled);
    }
    media::displaySprite(sprite::hitListBack, box.x, box.y);
}

void displayRecentOnWelcome(Viewer& v) {
    if (v.frame.welcomeShown && !v.frame.recentPanelOpen) displayRecentList(v);
}
