// The tool bar's faces, tool tips, the welcome panel and the fixed message panels.
#include "app/panels.h"

#include <algorithm>

#include "app/startup_rules.h"
#include "context/assets.h"
#include "context/helpers.h"
#include "context/palette.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "text/search.h"
#include "view/page_view.h"
#include "view/sheet.h"

namespace {

int labelLength(const std::string& label) {
    return static_cast<int>(media::characterCount(label));
}

// Draws text centred in a width x height area, its height taken from the reference text.
void drawCentred(int width, int height, const std::string& text, const std::string& reference, int yShift,
                 media::Colour front, media::Colour back) {
    int x = width / 2 - media::textWidth(text) / 2;
    int y = height / 2 - media::textHeight(reference) / 2 + yShift;
    media::drawText(x, y, text, front, back);
}

void drawFrame(int width, int height, media::Colour colour) {
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, width, height, colour);
    media::setDrawingMode(media::mode::standard);
}

void createFilled(int number, int width, int height, media::Colour colour) {
    media::createSprite(number, width, height);
    media::beginDrawing(number);
    media::fillBox(0, 0, width, height, colour);
    media::endDrawing();
}

int tip(const Layout& layout, const std::string& text) {
    int number = media::createSpriteAnyNumber(layout.screenWidth, layout.titleFontSize);
    media::beginDrawing(number);
    media::setFont(font::base);
    media::drawText(8, 2, text, media::rgb(254, 254, 254));
    media::endDrawing();
    return number;
}

struct FaceStyle {
    int font = font::medium;
    int yShift = 1;
    media::Colour front = media::rgb(1, 1, 1);
    media::Colour back = media::rgb(254, 254, 254);
    bool framed = true;
};

void drawFace(int number, int width, int height, const std::string& label, const FaceStyle& style) {
    media::createSprite(number, width, height);
    media::beginDrawing(number);
    media::fillBox(0, 0, width, height, palette::white);
    media::setFont(style.font);
    drawCentred(width, height, label, "H", style.yShift, style.front, style.back);
    if (style.framed) drawFrame(width, height, palette::black);
    media::endDrawing();
}

void drawHoverOverlay(int face, int overlay) {
    media::copySprite(face, overlay);
    media::beginDrawing(overlay);
    media::fillBox(0, 0, media::spriteOwnWidth(overlay), media::spriteOwnHeight(overlay),
                   media::rgb(0, 200, 0));
    media::endDrawing();
}

// The common text-button face and its green hover overlay.
void drawTextButton(const Layout& layout, int face, int overlay, const std::string& label, int yShift) {
    int width = labelLength(label) * layout.mediumFontSize + layout.baseFontSize;
    FaceStyle style;
    style.yShift = yShift;
    drawFace(face, width, 3 * layout.baseFontSize, label, style);
    drawHoverOverlay(face, overlay);
}

void drawGreyedTextButton(const Layout& layout, int face, const std::string& label) {
    FaceStyle style;
    style.front = media::rgb(150, 150, 150);
    style.framed = false;
    drawFace(face, labelLength(label) * layout.mediumFontSize + layout.baseFontSize, 3 * layout.baseFontSize,
             label, style);
}

// The thumbnails face is drawn in the drawing service's default font.
void drawThumbnailFaces(const Layout& layout) {
    const std::string label = "\u00A6\u00A6\u00A6\u00A6\u00A6";
    int width = 2 * layout.titleFontSize, height = 3 * layout.baseFontSize;
    FaceStyle style;
    style.font = -1;
    style.yShift = -1;
    style.front = palette::black;
    style.back = palette::white;
    drawFace(sprite::thumbsButton, width, height, label, style);
    drawHoverOverlay(sprite::thumbsButton, sprite::thumbsHover);
    style.front = palette::lightGrey;
    style.framed = false;
    drawFace(sprite::thumbsButtonOff, width, height, label, style);
}

void placeButtons(Layout& layout) {
    layout.buttonGap = layout.deskWidth / 256;
    int gap = layout.buttonGap;
    layout.openButtonX = 10;
    layout.thumbsButtonX = layout.openButtonX + media::spriteWidth(sprite::openButton) + gap;
    layout.infoButtonX = layout.thumbsButtonX + media::spriteWidth(sprite::thumbsButton) + gap;
    layout.searchButtonX = layout.infoButtonX + media::spriteWidth(sprite::infoButton) + gap;
    layout.textButtonX = layout.searchButtonX + media::spriteWidth(sprite::searchButton) + gap;
    layout.aboutButtonX = layout.textButtonX + media::spriteWidth(sprite::textButton) + gap;
    layout.exitButtonX = layout.aboutButtonX + media::spriteWidth(sprite::aboutButton) + gap;
    layout.detachButtonX = layout.screenWidth - media::spriteWidth(sprite::detachButton) - 10;
}

void drawBand(const Layout& layout) {
    int width = layout.screenWidth;
    int faceHeight = media::spriteHeight(sprite::thumbsButton);
    int light = nearest(1.8 * faceHeight);
    media::createSprite(sprite::toolbar, width, 3 * faceHeight);
    media::beginDrawing(sprite::toolbar);
    media::fillBox(0, 0, width, light, palette::lightGrey);
    media::fillBox(0, light, width, 100, palette::panelGrey);
    media::line(0, light, width - 1, light, media::rgb(1, 1, 1));
    media::endDrawing();
}

void drawPageNotReadyPanel(const Layout& layout) {
    const std::string text = "Page not ready, please wait 2 seconds";
    int width = labelLength(text) * layout.largeFontSize;
    int height = nearest(2.5 * layout.largeFontSize);
    createFilled(sprite::pageNotReady, width, height, palette::panelGrey);
    media::beginDrawing(sprite::pageNotReady);
    media::setFont(font::large);
    drawCentred(width, height, text, "H", 0, palette::white, palette::panelGrey);
    media::endDrawing();
}

// The search panel is sized from the window's inner width (the display's until the window is detached).
int searchPanelWidth(const Viewer& v) {
    return nearest(innerWindowWidth(v) / 1.7);
}

void drawSearchGoButton() {
    int width = nearest(media::spriteWidth(sprite::searchHeader) / 4.95);
    int height = nearest(media::spriteHeight(sprite::searchHeader) / 2.5);
    createFilled(sprite::searchGo, width, height, palette::buttonGreen);
    media::beginDrawing(sprite::searchGo);
    media::setFont(font::large);
    drawCentred(width, height, "Search", "Search", 0, palette::white, palette::buttonGreen);
    drawFrame(width, height, media::rgb(1, 1, 1));
    media::endDrawing();
}

}  // namespace

void drawToolTips(Viewer& v) {
    Layout& layout = v.layout;
    const std::string& title = layout.programTitle;
    layout.tipOpenSprite = tip(layout, "Open up a PDF file, convert to JPG (or use previous cache).");
    layout.tipThumbsSprite = tip(layout, "Show all pages as thumbnails, catalog style.");
    layout.tipInfoSprite = tip(layout, "Information about current loaded PDF.");
    layout.tipSearchSprite = tip(layout, "Search in text extracted from PDF (result in page number).");
    layout.tipAboutSprite = tip(layout, "About " + title + " and its concept.");
    layout.tipExitSprite = tip(layout, "Exit " + title + " leaving cache intact for next time.");
    layout.tipDetachSprite = tip(layout,
                                 "Detach from window, show titlebar and release mouse, so you can "
                                 "use other programs.");
    layout.tipTextSprite = tip(layout, "Show extracted text from PDF as plain text (turn on off).");
}

namespace {

void drawLogo(const Layout& layout) {
    if (!media::loadSpriteFromMemory(sprite::logo, embeddedLogoData(), embeddedLogoSize())) return;
    int widthDivisor = media::spriteWidth(sprite::logo) / 50;
    int heightDivisor = media::spriteHeight(sprite::logo) / 63;
    // A picture smaller than 50 x 63 would divide by zero: it is then shown at its own size.
    if (widthDivisor <= 0 || heightDivisor <= 0) return;
    media::zoomSprite(sprite::logo, layout.screenWidth / widthDivisor, layout.screenHeight / heightDivisor);
}

void drawWelcomePanel(Viewer& v) {
    const Layout& layout = v.layout;
    int m = layout.mediumFontSize;
    media::createSprite(sprite::welcome, 660, 200);
    media::beginDrawing(sprite::welcome);
    auto centredLine = [](int y, const std::string& text) {
        media::drawText(330 - media::textWidth(text) / 2, y, text, palette::white);
    };
    media::setFont(font::large);
    centredLine(0, "Welcome to ");
    centredLine(3 * m, layout.programTitle + " " + layout.versionText);
    centredLine(8 * m, layout.makerLine);
    media::setFont(font::medium);
    centredLine(17 * m, "\"Best viewed in Portrait with Single Touch Screen\"");
    media::endDrawing();
}

}  // namespace

void drawWelcome(Viewer& v) {
    drawLogo(v.layout);   // logo (119)
    drawWelcomePanel(v);  // welcome (6)
}

bool welcomeDrawn() {
    return media::spriteExists(sprite::welcome);
}

void drawMessagePanels(Viewer& v) {
    drawPageNotReadyPanel(v.layout);
    drawThumbWaitSprite(v);
    media::createSprite(sprite::pageCounter, labelLength("1000/1000") * v.layout.baseFontSize,
                        v.layout.largeFontSize + 2);
    drawPageCounter(v);
}

void drawToolbar(Viewer& v) {
    Layout& layout = v.layout;
    drawTextButton(layout, sprite::openButton, sprite::openHover, "Open", 0);
    drawThumbnailFaces(layout);
    drawTextButton(layout, sprite::infoButton, sprite::infoHover, "Info", 1);
    drawTextButton(layout, sprite::searchButton, sprite::searchHover, "Search", 1);
    drawGreyedTextButton(layout, sprite::searchButtonOff, "Search");
    drawTextButton(layout, sprite::textButton, sprite::textHover, "Text", 1);
    drawGreyedTextButton(layout, sprite::textButtonOff, "Text");
    drawTextButton(layout, sprite::aboutButton, sprite::aboutHover, " ? ", 1);
    drawTextButton(layout, sprite::exitButton, sprite::exitHover, "Exit", 1);
    drawTextButton(layout, sprite::detachButton, sprite::detachHover, "[\u00A4]", 1);
    placeButtons(layout);
    drawBand(layout);
}

void drawInfoPlaceholder(Viewer& v) {
    (void)v;
    const std::string text = "Load a PDF first...";
    int width = labelLength(text) * 10, height = 20;
    createFilled(sprite::infoPanel, width, height, palette::panelGrey);
    media::beginDrawing(sprite::infoPanel);
    drawFrame(width, height, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::base);
    media::drawText(width / 2 - media::textWidth(text) / 2, height / 2 - media::textHeight("pH") / 2, text,
                    palette::white);
    media::endDrawing();
}

void drawSearchPanelSprites(Viewer& v) {
    const Layout& layout = v.layout;
    int width = searchPanelWidth(v);
    media::createSprite(sprite::searchHeader, width, 4 * layout.titleFontSize);
    int listHeight = layout.screenHeight - media::spriteHeight(sprite::toolbar) -
                     media::spriteHeight(sprite::searchHeader);
    createFilled(sprite::searchList, width, listHeight, palette::panelGrey);
    createFilled(sprite::searchCursor, width, 2 * layout.baseFontSize, media::rgb(0, 255, 0));
    drawSearchGoButton();
    drawSearchHeader(v);
}

void showMessagePanel(Viewer& v, const std::string& text) {
    const Layout& layout = v.layout;
    int large = layout.largeFontSize;
    int width = std::min(layout.screenWidth, labelLength(text) * large + 2 * large);
    int height = nearest(2.5 * large);
    createFilled(sprite::infoMessage, width, height, palette::panelGrey);
    media::beginDrawing(sprite::infoMessage);
    media::setFont(font::large);
    drawCentred(width, height, text, "H", 0, palette::white, palette::panelGrey);
    drawFrame(width, height, media::rgb(1, 1, 1));
    media::endDrawing();
    v.frame.messagePanelShown = true;
    v.frame.messagePanelText = text;
    v.frame.messagePanelSince = media::elapsedMilliseconds();
}

void sayToolProblem(Viewer& v) {
    const std::string problem = takeToolProblem(v);
    if (!problem.empty()) showMessagePanel(v, problem);
}

TextViewSize textViewSize(const Layout& layout) {
    int width =
        layout.screenWidth - media::spriteWidth(sprite::backStrip) - media::spriteWidth(sprite::forwardStrip);
    int height =
        layout.screenHeight - media::spriteHeight(sprite::toolbar) - media::spriteHeight(sprite::pageCounter);
    return {width, height};
}

void drawTextView(const Layout& layout) {
    const auto [width, height] = textViewSize(layout);
    media::createSprite(sprite::textView, width, height);
    media::beginDrawing(sprite::textView);
    media::fillBox(0, 0, width, height, media::rgb(30, 30, 30));
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, width, height, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::base);
    std::string text = "Load a PDF first...";
    media::drawText(width / 2 - media::textWidth(text) / 2, height / 2 - media::textHeight("pH") / 2, text,
                    palette::white);
    media::endDrawing();
}
