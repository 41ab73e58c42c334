// The frame's draw phase: the page, tool bar, panels, pointer and notices, back to front.
#include <algorithm>

#include "app/app.h"
#include "app/frame_steps.h"
#include "app/startup_rules.h"
#include "context/helpers.h"
#include "document/conversion.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/system/system.h"
#include "text/search.h"
#include "view/page_view.h"
#include "view/sharp_layer.h"
#include "view/sheet.h"

namespace {

// The message panel stays this long unless a press takes it away sooner.
constexpr std::int64_t messagePanelMilliseconds = 5000;

void displayCentred(const Viewer& v, int number, int intensity) {
    int x = v.layout.screenWidth / 2 - media::spriteWidth(number) / 2;
    int y = v.layout.screenHeight / 2 - media::spriteHeight(number) / 2;
    media::displayTransparentSprite(number, x, y, intensity);
}

struct ToolbarButton {
    Button hoverNumber;
    int face;
    int overlay;
    int Layout::*x;
    int Layout::*tip;
};

const ToolbarButton openButton{Button::open, sprite::openButton, sprite::openHover, &Layout::openButtonX,
                               &Layout::tipOpenSprite};
const ToolbarButton thumbsButton{Button::thumbnails, sprite::thumbsButton, sprite::thumbsHover,
                                 &Layout::thumbsButtonX, &Layout::tipThumbsSprite};
const ToolbarButton infoButton{Button::info, sprite::infoButton, sprite::infoHover, &Layout::infoButtonX,
                               &Layout::tipInfoSprite};
const ToolbarButton searchButton{Button::search, sprite::searchButton, sprite::searchHover,
                                 &Layout::searchButtonX, &Layout::tipSearchSprite};
const ToolbarButton textButton{Button::text, sprite::textButton, sprite::textHover, &Layout::textButtonX,
                               &Layout::tipTextSprite};
const ToolbarButton aboutButton{Button::about, sprite::aboutButton, sprite::aboutHover, &Layout::aboutButtonX,
                                &Layout::tipAboutSprite};
const ToolbarButton exitButton{Button::exit, sprite::exitButton, sprite::exitHover, &Layout::exitButtonX,
                               &Layout::tipExitSprite};
const ToolbarButton detachButton{Button::detach, sprite::detachButton, sprite::detachHover,
                                 &Layout::detachButtonX, &Layout::tipDetachSprite};

// Hover of one tool-bar button: the faint green tint over it and its tip below the band's light part.
void hoverButton(Viewer& v, const ToolbarButton& b, bool enabled) {
    if (!enabled || !v.frame.toolbarShown || v.frame.zoomDragging) return;
    int x = v.layout.*b.x, y = v.layout.mediumFontSize;
    if (!pointerOver(b.face, x, y)) return;
    v.frame.hoveredButton = b.hoverNumber;
    media::displayTransparentSprite(b.overlay, x, y, 60);
    int tipY = nearest(1.8 * media::spriteHeight(b.face));
    media::displayTransparentSprite(v.layout.*b.tip, 0, tipY, 255);
}

// Once the extracted text is in, also while pages are still converted: a hit on a page not made yet
// is made next.
bool searchEnabled(const Viewer& v) {
    return !v.text.pageTexts.empty();
}

void displayButtonFaces(const Viewer& v) {
    const Layout& layout = v.layout;
    int y = layout.mediumFontSize;
    media::displaySprite(sprite::openButton, layout.openButtonX, y);
    media::displaySprite(v.sheet.sheetReady ? sprite::thumbsButton : sprite::thumbsButtonOff,
                         layout.thumbsButtonX, y);
    media::displaySprite(sprite::infoButton, layout.infoButtonX, y);
    media::displaySprite(searchEnabled(v) ? sprite::searchButton : sprite::searchButtonOff,
                         layout.searchButtonX, y);
    media::displaySprite(v.text.textLines.empty() ? sprite::textButtonOff : sprite::textButton,
                         layout.textButtonX, y);
    media::displaySprite(sprite::aboutButton, layout.aboutButtonX, y);
    media::displaySprite(sprite::exitButton, layout.exitButtonX, y);
    media::displaySprite(sprite::detachButton, layout.detachButtonX, y);
}

}  // namespace

void displayPageOrSheet(Viewer& v) {
    FrameState& frame = v.frame;
    if (media::spriteExists(sprite::page) && !frame.thumbnailMode) {
        if (!sharpLayerCoversPage(v)) drawPage(v);  // the opaque layer hides all of it
        drawSharpLayer(v);
    } else if (frame.thumbnailMode && v.sheet.sheetReady && media::spriteExists(sprite::thumbnailSheet)) {
        frame.searchPanelOpen = false;
        showThumbnailMode(v);
        if (frame.cellHovered) frame.hoveredButton = Button::none;
    }
}

void hoverKeyboard(Viewer& v) {
    if (v.keyboard.keyboardDisabled) {
        v.frame.pointerOverKeyboard = false;
        return;
    }
    hoverKeys(v);
    bool over = pointerOver(v.keyboard.activeKeyboardSprite, v.keyboard.keyboardX, v.keyboard.keyboardY);
    v.frame.pointerOverKeyboard = over && typingPanelOpen(v);
}

// The tool bar shows while the pointer is in its zone. A button stays hovered only while the bar is
// shown: a pointer that leaves the bar at once (a touch elsewhere, a pointer leaving the detached
// window) must not make the next release anywhere act as a release on that button.
void displayToolbar(Viewer& v) {
    FrameState& frame = v.frame;
    bool inZone = pointerOver(sprite::toolbarZone, 0, 0) && !frame.zoomDragging && !frame.thumbnailMode;
    frame.toolbarShown = inZone;
    frame.hoveredButton = Button::none;
    if (!inZone) return;
    media::displayTransparentSprite(sprite::toolbar, 0, 0, 255);
    displayButtonFaces(v);
}

// A list panel over the page keeps the strips dark: its presses are its own.
void displayEdgeStrips(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.contentsPanelOpen || frame.recentPanelOpen) {
        frame.backStripHovered = frame.forwardStripHovered = false;
    } else if (!frame.toolbarShown) {
        drawStrips(v);
    }
}

void hoverOpenThumbnailsInfo(Viewer& v) {
    hoverButton(v, openButton, true);
    hoverButton(v, thumbsButton, v.sheet.sheetReady);
    hoverButton(v, infoButton, true);
}

void displayInfoPanel(Viewer& v) {
    if (!v.frame.infoPanelOpen) return;
    int x = innerWindowWidth(v) / 2 - media::spriteWidth(sprite::infoPanel) / 2;
    media::displaySprite(sprite::infoPanel, x, media::spriteHeight(sprite::toolbar));
}

void displaySearchLayer(Viewer& v) {
    if (!v.frame.searchPanelOpen) return;
    displaySearchPanel(v);
    if (!v.keyboard.keyboardDisabled) showKeyboard(v);
}

void displayHitListAndTextView(Viewer& v) {
    FrameState& frame = v.frame;
    if (frame.searchPanelOpen && !v.search.searchHits.empty()) displayHitList(v);
    if (frame.textViewOpen) {
        int x = innerWindowWidth(v) / 2 - media::spriteWidth(sprite::textView) / 2;
        media::displayTransparentSprite(sprite::textView, x, media::spriteHeight(sprite::toolbar), 250);
    }
    if (frame.searchPanelOpen) {
        displayHitCursor(v);
    } else {
        frame.pointerOverHitList = false;
    }
}

void hoverSearchTextAboutExit(Viewer& v) {
    hoverButton(v, searchButton, searchEnabled(v));
    hoverButton(v, textButton, !v.text.pageTexts.empty());
    hoverButton(v, aboutButton, true);
    hoverButton(v, exitButton, true);
}

void hoverSearchGo(Viewer& v) {
    if (v.frame.searchPanelOpen) {
        searchButtonHover(v);
    } else {
        v.frame.pointerOverSearchButton = false;
    }
}

void hoverDetach(Viewer& v) {
    hoverButton(v, detachButton, true);
}

void displayPointer(Viewer& v) {
    int x = media::mouseX() - media::spriteWidth(sprite::pointer) / 2;
    int y = media::mouseY() - media::spriteHeight(sprite::pointer) / 2;
    media::displayTransparentSprite(sprite::pointer, x, y, v.frame.pointerIntensity);
}

void displayPageCounter(Viewer& v) {
    int x = v.layout.screenWidth / 2 - media::spriteWidth(sprite::pageCounter) / 2;
    media::displayTransparentSprite(sprite::pageCounter, x, v.frame.pageCounterY, 200);
}

void displayTouchRing(Viewer& v) {
    (void)v;
    if (media::mouseDeltaX() == 0 && media::mouseDeltaY() == 0) return;
    int x = media::mouseX() - media::spriteWidth(sprite::touchRing) / 2;
    int y = media::mouseY() - media::spriteHeight(sprite::touchRing) / 2;
    media::displayTransparentSprite(sprite::touchRing, x, y, 255);
}

void displayProgressBar(Viewer& v) {
    int screenHeight = v.layout.screenHeight;
    int counterHeight = media::spriteHeight(sprite::pageCounter);
    if (!v.conversion.conversionRunning) {
        v.frame.pageCounterY = screenHeight - counterHeight;
        return;
    }
    int barHeight = media::spriteHeight(sprite::progressBar);
    media::displayTransparentSprite(sprite::progressBar, 0, screenHeight - barHeight, 230);
    v.frame.pageCounterY = screenHeight - barHeight - counterHeight;
}

void displayThumbWaitNotice(Viewer& v) {
    if (v.conversion.thumbnailGenerationActive.load()) displayCentred(v, sprite::thumbWait, 200);
}

void displayWelcome(Viewer& v) {
    FrameState& frame = v.frame;
    if (!frame.welcomeShown) return;
    const Layout& layout = v.layout;
    int welcomeX = layout.screenWidth / 2 - media::spriteWidth(sprite::welcome) / 2;
    int welcomeY = layout.screenHeight / 3 - media::spriteHeight(sprite::welcome) / 2;
    media::displayTransparentSprite(sprite::welcome, welcomeX, welcomeY, 255);
    int logoX = layout.screenWidth / 2 - media::spriteWidth(sprite::logo) / 2;
    media::displayTransparentSprite(sprite::logo, logoX, layout.screenHeight / 2, frame.welcomeFade);
    frame.welcomeFade = std::min(255, frame.welcomeFade + media::randomNumber(10));
}

void displayPageNotReady(Viewer& v) {
    if (v.view.pageNotReady) displayCentred(v, sprite::pageNotReady, 200);
}

void displayMessagePanel(Viewer& v) {
    FrameState& frame = v.frame;
    if (!frame.messagePanelShown) return;
    bool expired = media::elapsedMilliseconds() - frame.messagePanelSince > messagePanelMilliseconds;
    if (expired || frame.frameEvent == media::WindowEvent::leftDown) {
        frame.messagePanelShown = false;
        return;
    }
    int x = innerWindowWidth(v) / 2 - media::spriteWidth(sprite::infoMessage) / 2;
    media::displaySprite(sprite::infoMessage, x, media::spriteHeight(sprite::toolbar));
}
