// The status line (page position, conversion parameters, the document's name, in the tool bar) and the
// page counter under the page.
#include <string>

#include "context/helpers.h"
#include "context/palette.h"
#include "context/viewer.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "view/page_view.h"

namespace {

constexpr media::Colour nearBlack = media::rgb(1, 1, 1);

int buttonHeight(const Viewer& v) {
    int height = media::spriteHeight(sprite::thumbsButton);
    return height > 0 ? height : 3 * v.layout.baseFontSize;
}

std::string fileNamePart(const std::string& path) {
    std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string pageText(const Viewer& v) {
    return "Page: " + std::to_string(v.view.currentPage) + "/" + std::to_string(v.document.pageCountShown) +
           " (Cached) ";
}

std::string parameterText(const Viewer& v) {
    const DocumentState& document = v.document;
    return "DPI: " + std::to_string(nearest(document.renderDpi)) + ", Size: " + document.pageWidthText + "x" +
           document.pageHeightText + " ";
}

}  // namespace

void drawStatusLine(Viewer& v) {
    if (!media::beginDrawing(sprite::toolbar)) return;
    const Layout& layout = v.layout;
    int height = buttonHeight(v);
    media::fillBox(0, 0, layout.screenWidth, nearest(1.8 * height), palette::lightGrey);
    media::setFont(font::base);
    std::string page = pageText(v);
    std::string parameters = parameterText(v);
    int lineHeight = media::textHeight("H");
    media::drawText(layout.detachButtonX - media::textWidth(page), layout.mediumFontSize, page, nearBlack,
                    palette::lightGrey);
    media::drawText(layout.detachButtonX - media::textWidth(parameters),
                    layout.mediumFontSize + lineHeight + 1, parameters, nearBlack, palette::lightGrey);
    std::string document = fileNamePart(v.document.documentPath) + " (" + v.document.documentSizeText + ") ";
    media::drawText(layout.screenWidth - media::textWidth(document) - 2, nearest(2.4 * height), document,
                    media::rgb(254, 254, 254), palette::panelGrey);
    media::endDrawing();
}

void drawPageCounter(Viewer& v) {
    int width = media::spriteOwnWidth(sprite::pageCounter);
    int height = media::spriteOwnHeight(sprite::pageCounter);
    v.view.pageCounterText =
        std::to_string(v.view.currentPage) + "/" + std::to_string(v.document.pageCountShown);
    if (!media::beginDrawing(sprite::pageCounter)) return;
    media::fillBox(0, 0, width, height, media::rgb(1, 1, 1));
    media::setFont(font::base);
    const std::string& text = v.view.pageCounterText;
    media::drawText(width / 2 - media::textWidth(text) / 2, height / 2 - media::textHeight("H") / 2 + 1, text,
                    palette::lightGrey, media::rgb(1, 1, 1));
    media::endDrawing();
}
