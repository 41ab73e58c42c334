// The on-screen keyboard's three faces, the key rectangles and the key highlight sprites, drawn once.
#include <array>
#include <cmath>

#include "context/helpers.h"
#include "context/palette.h"
#include "context/viewer.h"
#include "keyboard/keyboard.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"

namespace {

constexpr media::Colour outlineColour = media::rgb(2, 2, 2);  // K: outlines and labels
constexpr media::Colour faceColour = palette::lightGrey;      // G: the key faces
constexpr media::Colour notFound = 0xFFFFFFFFu;               // pixelColour outside the target

struct FaceGeometry {
    int W = 0, H = 0, keyWidth = 0, kh = 0, m = 0;
    std::array<int, 5> baseline{};  // label y of rows 1..5
};

// One face being drawn: its labels and, for the lower-case face only, where the rectangles go.
struct Face {
    const FaceGeometry& g;
    const std::vector<KeyEntry>& labels;
    std::vector<KeyEntry>* rectangles;

    const std::string& label(int index) const { return labels[static_cast<std::size_t>(index)].label; }
    int rowTop(int row) const { return (row - 1) * (g.kh + 2); }
    void store(int index, int x, int y, int width, int height) const {
        if (!rectangles) return;
        auto& key = (*rectangles)[static_cast<std::size_t>(index)];
        key.x = x;
        key.y = y;
        key.width = width;
        key.height = height;
    }
};

FaceGeometry faceGeometry(const Viewer& v) {
    FaceGeometry g;
    g.W = v.layout.screenWidth - media::spriteWidth(sprite::backStrip) -
          media::spriteWidth(sprite::forwardStrip);
    g.H = nearest(v.layout.screenHeight / 5.5);
    g.keyWidth = nearest(g.W / 15.5);
    g.kh = nearest(g.H / 5.6);
    g.m = g.W / 95;
    return g;
}

// Needs font 3 selected on a drawing target.
void computeBaselines(FaceGeometry& g) {
    const int th = media::textHeight("H");
    const int kh = g.kh;
    g.baseline = {nearest(kh / 2 - th / 2.5), (3 * kh) / 2 - th / 2 + 2, (5 * kh) / 2 - th / 2 + 4,
                  (7 * kh) / 2 - th / 2 + 6, (9 * kh) / 2 - th / 2 + 8};
}

void drawLabel(int x, int y, const std::string& text) {
    if (!text.empty()) media::drawText(x, y, text, outlineColour, faceColour);
}

void drawLabelCentred(double centreX, int y, const std::string& text) {
    drawLabel(nearest(centreX - media::textWidth(text) / 2.0), y, text);
}

// A rounded outline in K flood-filled with G from just inside its top-left corner.
void keyBox(int x, int y, int width, int height, int fillDepth) {
    media::roundBox(x, y, width, height, 5, 5, outlineColour);
    media::floodFill(x + 2, y + fillDepth, faceColour, outlineColour);
}

// The regular keys of one row, from index first on, the real cursor starting at c.
void drawRegularKeys(const Face& face, int first, int count, double c, int row) {
    const int y = face.rowTop(row);
    for (int index = first; index < first + count; ++index) {
        keyBox(nearest(c), y, face.g.keyWidth, face.g.kh, 2);
        drawLabelCentred(c + face.g.keyWidth / 2.0, face.g.baseline[static_cast<std::size_t>(row - 1)],
                         face.label(index));
        const int x = nearest(c + 2);
        c = c + face.g.keyWidth + 2;
        face.store(index, x, y, nearest(c - x), face.g.kh);
    }
}

// The first non-black pixel of a pixel row, from the left; its x / 9 is the edge of a left-side key.
int leftScanEdge(int y, int width) {
    for (int x = 0; x < width; ++x) {
        const media::Colour colour = media::pixelColour(x, y);
        if (colour != notFound && colour > 0) return x / 9;
    }
    return 0;
}

// The last outline pixel of a pixel row, from the right (-1 when there is none), plus step.
int rightScanX(int y, int width, int step) {
    int x = width - 1;
    while (x >= 0 && media::pixelColour(x, y) != outlineColour) --x;
    return x + step;
}

void drawLeftKeys(const Face& face) {
    const auto& g = face.g;
    drawRegularKeys(face, 15, 12, g.W / 9.0, 2);
    const int tabWidth = g.W / 9 - leftScanEdge(g.kh + 4, g.W);
    keyBox(g.m, face.rowTop(2), tabWidth, g.kh, 2);
    face.store(14, g.m, face.rowTop(2), tabWidth, g.kh);

    drawRegularKeys(face, 29, 12, g.W / 7.8, 3);
    const int capsWidth = nearest(g.W / 7.8 - leftScanEdge(face.rowTop(3), g.W));
    keyBox(g.m, face.rowTop(3), capsWidth, g.kh, 4);
    face.store(28, g.m, face.rowTop(3), capsWidth, g.kh);

    drawRegularKeys(face, 43, 11, g.W / 10.0, 4);
    const int shiftWidth = g.W / 10 - leftScanEdge(face.rowTop(4), g.W);
    keyBox(g.m, face.rowTop(4), shiftWidth, g.kh, 4);
    face.store(42, g.m, face.rowTop(4), shiftWidth, g.kh);
}

// Row 5's keys of fixed place: 55, the left AltGr, the space bar, the right AltGr.
void drawBottomKeys(const Face& face) {
    const auto& g = face.g;
    const int y = face.rowTop(5);
    const int sideWidth = nearest(1.5 * g.keyWidth);
    const std::array<std::array<int, 3>, 4> keys{
        {{55, g.m, sideWidth},
         {56, nearest(1.55 * g.keyWidth + g.m), sideWidth},
         {57, nearest(3.1 * g.keyWidth + g.m), nearest(9.08 * g.keyWidth)},
         {58, nearest(12.21 * g.keyWidth + g.m), sideWidth}}};
    for (const auto& [index, x, width] : keys) {
        keyBox(x, y, width, g.kh, 2);
        drawLabelCentred(x + width / 2.0, g.baseline[4] + 5, face.label(index));
        face.store(index, x, y, width, g.kh);
    }
}

// A key reaching to the right edge, placed after the last outline found on pixel row scanY.
void drawRightKey(const Face& face, int index, int scanY, int row, int labelY) {
    const auto& g = face.g;
    const int x = rightScanX(scanY, g.W, 4);
    const int width = g.W - x - 2;
    keyBox(x, face.rowTop(row), width, g.kh, 2);
    const std::string& text = face.label(index);
    drawLabel(x + width / 2 - media::textWidth(text) / 2, labelY, text);
    face.store(index, x, face.rowTop(row), width, g.kh);
}

// The inverted-L Enter key: two outlines joined into one and filled.
void drawEnter(const Face& face) {
    const auto& g = face.g;
    const int upperX = rightScanX(g.kh + 2, g.W, 6);
    media::roundBox(upperX, face.rowTop(2), g.W - upperX - 2, g.kh, 5, 5, outlineColour);
    face.store(27, upperX, face.rowTop(2), g.W - upperX - 2, g.kh);
    const int lowerX = rightScanX(3 * g.kh + 2, g.W, 6);
    media::roundBox(lowerX, face.rowTop(3), g.W - lowerX - 2, g.kh, 5, 5, outlineColour);
    face.store(41, lowerX, face.rowTop(3), g.W - lowerX - 2, g.kh);

    media::setDrawingMode(media::mode::standard);
    media::fillBox(lowerX, nearest(1.98 * g.kh), g.W - lowerX - 3, 8, faceColour);
    const int leftTop = nearest(2.01 * g.kh), rightTop = nearest(1.95 * g.kh);
    media::line(lowerX, leftTop, lowerX, leftTop + 19, outlineColour);
    media::line(g.W - 3, rightTop, g.W - 3, rightTop + 19, outlineColour);
    media::floodFill(lowerX + 10, g.kh + 4, faceColour,
                     outlineColour);  // through the join into the lower half
    drawLabel(lowerX - 10, g.baseline[1], face.label(41));
}

void drawFace(int number, const FaceGeometry& geometry, const std::vector<KeyEntry>& labels,
              std::vector<KeyEntry>* rectangles) {
    media::createSprite(number, geometry.W, geometry.H);
    if (!media::beginDrawing(number)) return;
    media::fillBox(0, 0, geometry.W, geometry.H, palette::black);
    media::setDrawingMode(media::mode::outlined);
    media::setFont(font::title);
    const Face face{geometry, labels, rectangles};
    const auto& g = geometry;
    drawRegularKeys(face, 0, 13, g.W / 100.0, 1);
    drawLeftKeys(face);

    media::setFont(font::medium);
    drawLabelCentred(g.keyWidth * 1.35 / 2 + g.m, g.baseline[3] + 5, face.label(42));
    drawBottomKeys(face);
    drawRightKey(face, 13, g.kh / 2, 1, g.baseline[0] + 3);
    drawRightKey(face, 54, 3 * g.kh + 8, 4, g.baseline[3] + 4);
    drawRightKey(face, 59, 4 * g.kh + 12, 5, g.baseline[4] + 5);
    drawEnter(face);
    drawLabelCentred(g.m + g.keyWidth * 1.5 / 2, g.baseline[1] + 4, face.label(14));
    drawLabelCentred(g.m + g.keyWidth * 1.78 / 2, g.baseline[2] + 4, face.label(28));
    media::endDrawing();
}

// The gradient colours of the two looks: hover light to dark green, pressed dark to light grey.
struct Look {
    media::Colour top, bottom;
};
constexpr Look hoverLook{media::rgb(170, 255, 170), media::rgb(0, 34, 0)};
constexpr Look pressedLook{media::rgb(34, 34, 34), palette::white};

bool beginGradient(int number, int width, int height, Look look) {
    if (width <= 0 || height <= 0 || !media::createSprite(number, width, height)) return false;
    if (!media::beginDrawing(number)) return false;
    media::setBackColour(look.top);
    media::setFrontColour(look.bottom);
    media::setDrawingMode(media::mode::gradient);
    media::linearGradient(0, 0, 0, height);
    return true;
}

void drawHighlight(int number, int width, int height, Look look) {
    if (!beginGradient(number, width, height, look)) return;
    media::roundBox(0, 0, width, height, 5, 5);
    media::endDrawing();
}

// The Enter highlight follows the key's inverted-L shape; the rest stays black (transparent).
void drawEnterHighlight(int number, const FaceGeometry& g, int width, Look look) {
    const int height = nearest(2.05 * g.kh);
    if (!beginGradient(number, width, height, look)) return;
    media::roundBox(0, 0, width, g.kh, 5, 5);
    media::roundBox(nearest(g.keyWidth / 3.4), g.kh + 2, width, g.kh, 5, 5);
    media::fillBox(nearest(g.keyWidth / 3.2), g.kh - 4, width, 8);
    media::endDrawing();
}

struct HighlightPair {
    int hover, pressed, sizeKey;  // sizeKey: the key whose width the pair takes; -1 a regular key
};
constexpr std::array<HighlightPair, 10> highlightPairs{{{93, 106, -1},
                                                        {94, 107, 14},
                                                        {96, 108, 55},
                                                        {97, 109, 59},
                                                        {98, 110, 57},
                                                        {99, 111, 13},
                                                        {101, 112, 28},
                                                        {102, 113, 42},
                                                        {103, 114, 54},
                                                        {104, 115, 27}}};

void drawHighlights(const FaceGeometry& g, const std::vector<KeyEntry>& keys) {
    for (const auto& pair : highlightPairs) {
        const int width = pair.sizeKey < 0 ? g.keyWidth : keys[static_cast<std::size_t>(pair.sizeKey)].width;
        for (const auto& [number, look] :
             {std::pair{pair.hover, hoverLook}, std::pair{pair.pressed, pressedLook}}) {
            if (pair.hover == 104)
                drawEnterHighlight(number, g, width, look);
            else
                drawHighlight(number, width, g.kh, look);
        }
    }
}

}  // namespace

int pressedKeySpriteFor(int hoverSprite) {
    for (const auto& pair : highlightPairs)
        if (pair.hover == hoverSprite) return pair.pressed;
    return 0;
}

void drawKeyboards(Viewer& v) {
    auto& k = v.keyboard;
    if (k.lowerKeys.size() != keyCount || k.upperKeys.size() != keyCount || k.altGrKeys.size() != keyCount)
        return;
    FaceGeometry g = faceGeometry(v);
    if (g.W <= 0 || g.H <= 0 || g.kh <= 0) return;
    media::createSprite(sprite::keyboardLower, g.W, g.H);
    if (media::beginDrawing(sprite::keyboardLower)) {
        media::setFont(font::title);
        computeBaselines(g);
        media::endDrawing();
    }
    drawFace(sprite::keyboardLower, g, k.lowerKeys, &k.lowerKeys);
    drawFace(sprite::keyboardUpper, g, k.upperKeys, nullptr);
    drawFace(sprite::keyboardAltGr, g, k.altGrKeys, nullptr);
    drawHighlights(g, k.lowerKeys);
    k.width = g.W;
    k.height = g.H;
    k.keyWidth = g.keyWidth;
    k.keyHeight = g.kh;
}

void placeKeyboard(Viewer& v) {
    KeyboardState& k = v.keyboard;
    const int face = k.activeKeyboardSprite;
    if (!media::spriteExists(face)) return;
    k.keyboardX = v.layout.screenWidth / 2 - media::spriteWidth(face) / 2;
    k.keyboardY =
        media::windowHeight() - media::spriteHeight(face) - media::spriteHeight(sprite::pageCounter) / 2;
}
