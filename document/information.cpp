// Document information: reading Information.ini, the page count, the page size, renderDpi, the panel.
#include "document/information.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "context/helpers.h"
#include "context/palette.h"
#include "context/viewer.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

namespace {

std::string informationFile(const Viewer& v) {
    return v.document.documentCacheFolder + "Information.ini";
}

// The file's lines as read; a file that cannot be opened has none. A CR left by a file written
// with CR LF line ends is not part of the line.
std::vector<std::string> readInformationLines(const Viewer& v) {
    std::vector<std::string> lines = media::readLines(informationFile(v));
    for (std::string& line : lines) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    return lines;
}

// Leading blanks and tabs, an optional sign, then digits up to the first other character. Values
// beyond an int are held at its limits.
int readDecimalInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 32);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A number at the start of the text, or 0; "inf" and "nan" are not numbers here.
float readFloat(const std::string& text) {
    const float value = std::strtof(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0f;
}

std::string removeAll(std::string text, const std::string& part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

std::string beforeFirstSpace(const std::string& text) {
    return text.substr(0, text.find(' '));
}

void takePageCount(Viewer& v, const std::string& line) {
    if (!isPagesLine(line)) return;
    v.document.pageCount = parsePagesLine(line);
    v.document.pageCountShown = v.document.pageCount;
}

void takePageSize(Viewer& v, const std::string& line) {
    if (!isPageSizeLine(line)) return;
    DocumentState& d = v.document;
    parsePageSizeLine(line, d.pageWidthText, d.pageHeightText, d.pageWidthPoints, d.pageHeightPoints);
    d.renderDpi = computeRenderDpi(d.pageWidthPoints, d.pageHeightPoints, d.fallbackDpi);
}

std::vector<std::string> shownLines(const std::vector<std::string>& lines) {
    std::vector<std::string> shown;
    shown.reserve(lines.size());
    for (const std::string& line : lines) shown.push_back(media::repairToUtf8(line));
    return shown;
}

// The widest line (never narrower than the width measured before) and the lines' total height.
void measureInfoLines(Viewer& v) {
    DocumentState& d = v.document;
    const int base = std::max(1, v.layout.baseFontSize);
    const int lines = static_cast<int>(d.infoLines.size());
    const int provisionalHeight = std::max(1, nearest(lines * base * 2.35));
    media::createSprite(sprite::infoPanel, std::max(1, d.infoPanelTextWidth), provisionalHeight);
    int width = d.infoPanelTextWidth;
    int height = 0;
    if (media::beginDrawing(sprite::infoPanel)) {
        media::setFont(font::base);
        for (const std::string& line : d.infoLines) {
            width = std::max(width, media::textWidth(line));
            height += media::textHeight("H");
        }
        media::endDrawing();
    }
    media::freeSprite(sprite::infoPanel);
    d.infoPanelTextWidth = width;
    d.infoPanelTextHeight = height;
}

void drawInfoLines(Viewer& v, bool cachedVariant, int width, int height) {
    const int base = v.layout.baseFontSize;
    const double lineStep = cachedVariant ? 1.3 : 1.2;
    media::fillBox(0, 0, width, height, palette::panelGrey);
    media::setDrawingMode(media::mode::outlined);
    media::fillBox(0, 0, width, height, palette::black);
    media::setDrawingMode(media::mode::transparent);
    media::setFont(font::base);
    int i = 1;
    for (const std::string& line : v.document.infoLines) {
        media::drawText(10, nearest(i * base * lineStep - 5), line, palette::white);
        ++i;
    }
}

}  // namespace

bool isPagesLine(const std::string& line) {
    return line.compare(0, 6, "Pages:") == 0;
}

int parsePagesLine(const std::string& line) {
    const std::size_t first = line.find(':');
    if (first == std::string::npos) return 0;
    const std::size_t second = line.find(':', first + 1);
    const std::size_t length = second == std::string::npos ? std::string::npos : second - first - 1;
    return readDecimalInteger(line.substr(first + 1, length));
}

bool isPageSizeLine(const std::string& line) {
    return line.compare(0, 10, "Page size:") == 0;
}

void parsePageSizeLine(const std::string& line, std::string& widthText, std::string& heightText,
                       float& widthPoints, float& heightPoints) {
    const std::string rest = media::trimmed(removeAll(line, "Page size:"));
    const std::size_t firstX = rest.find('x');
    const std::string before = rest.substr(0, firstX);
    std::string between;
    if (firstX != std::string::npos) {
        const std::size_t secondX = rest.find('x', firstX + 1);
        const std::size_t length = secondX == std::string::npos ? std::string::npos : secondX - firstX - 1;
        between = rest.substr(firstX + 1, length);
    }
    widthText = beforeFirstSpace(media::trimmed(before));
    heightText = beforeFirstSpace(media::trimmed(between));
    widthPoints = readFloat(widthText);
    heightPoints = readFloat(heightText);
}

// Every step is a single-precision operation, so each intermediate result is rounded to float.
float computeRenderDpi(float widthPoints, float heightPoints, float fallbackDpi) {
    float d = widthPoints * heightPoints;
    d = d - 18444.0f;
    d = d / 31.0f;
    d = d / 31.0f;
    d = d / 4.0f;
    if (!(d > 120.0f)) d = fallbackDpi;
    const float h = heightPoints;
    if (h > 400.0f && h < 600.0f) d = 190.0f;
    if (h > 600.0f) d = 120.0f;
    if (h > 300.0f && h < 400.0f) d = 300.0f;
    return d;
}

void readCachedInformation(Viewer& v) {
    std::vector<std::string> lines = readInformationLines(v);
    for (std::string& line : lines) {
        line = media::trimmed(line);
        takePageCount(v, line);
    }
    v.document.infoLines = shownLines(lines);
    buildInfoPanel(v, true);
}

int runInformationStep(Viewer& v) {
    const int status = runInformationProgram(v);
    v.document.infoLines = shownLines(readInformationLines(v));
    buildInfoPanel(v, false);
    return status;
}

void readPageData(Viewer& v) {
    for (const std::string& line : readInformationLines(v)) {
        takePageCount(v, line);
        takePageSize(v, line);
    }
}

void buildInfoPanel(Viewer& v, bool cachedVariant) {
    measureInfoLines(v);
    const DocumentState& d = v.document;
    const int base = v.layout.baseFontSize;
    const int width = std::max(1, d.infoPanelTextWidth + 3 * base);
    const int height = std::max(1, d.infoPanelTextHeight + (cachedVariant ? 2 : 1) * base);
    media::createSprite(sprite::infoPanel, width, height);
    if (!media::beginDrawing(sprite::infoPanel)) return;
    drawInfoLines(v, cachedVariant, width, height);
    media::endDrawing();
}
