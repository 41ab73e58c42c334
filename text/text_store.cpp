// The extracted-text store: TextualData.txt read once, split into normalised page texts, counted and
// cut into the text view's display lines.
#include "text/text_store.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "context/palette.h"
#include "context/viewer.h"
#include "media/display/display.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

namespace {

constexpr char blank = ' ';

// Bytes that end a page (form feed, zero) or change in the page text (CR of a CR LF pair, tab).
struct SpecialBytes {
    bool table[256] = {};
    SpecialBytes() { table['\f'] = table['\0'] = table['\r'] = table['\t'] = true; }
    bool operator()(char c) const { return table[static_cast<unsigned char>(c)]; }
};

// Appends the page text that starts at p, with line-end pairs and tabs made blanks (a lone CR or LF
// stays); returns where the page ended (its form feed or zero byte, or stop). Text between the special
// bytes is copied in spans: the file may be megabytes long.
const char* appendPageText(const char* p, const char* stop, std::string& text) {
    static const SpecialBytes special;
    while (p < stop) {
        const char* q = p;
        while (q < stop && !special(*q)) ++q;
        text.append(p, q);
        if (q == stop || *q == '\f' || *q == '\0') return q;
        const bool pair = *q == '\r' && q + 1 < stop && q[1] == '\n';
        text += *q == '\t' || pair ? blank : '\r';
        p = q + (pair ? 2 : 1);
    }
    return stop;
}

// What the replacement passes for L = 22 down to 2 leave of one maximal run of r blanks. Each pass
// replaces the non-overlapping L-blank groups found from the left by one blank each, so a run stays a
// run: r becomes r / L groups plus the r % L blanks left over.
std::size_t reducedRunLength(std::size_t r) {
    for (std::size_t length = 22; length >= 2; --length) r = r / length + r % length;
    return r;
}

std::size_t cachedReducedRunLength(std::size_t r) {
    static const std::vector<std::size_t> table = [] {
        std::vector<std::size_t> values(256);
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = reducedRunLength(i);
        return values;
    }();
    return r < table.size() ? table[r] : reducedRunLength(r);
}

std::string extractedWordsLine(long long count) {
    return "Extracted words:" + std::to_string(count) + " (single searcable words)";
}

void drawExtractedWordCount(const Viewer& v) {
    if (!media::spriteExists(sprite::infoPanel)) return;
    if (!media::beginDrawing(sprite::infoPanel)) return;
    media::setFont(font::base);
    media::setDrawingMode(media::mode::transparent);
    const int y = media::spriteOwnHeight(sprite::infoPanel) - v.layout.titleFontSize;
    media::drawText(10, y, extractedWordsLine(v.text.extractedWordCount), palette::white);
    media::endDrawing();
}

void normaliseAndCount(TextState& text) {
    text.extractedWordCount = 0;
    for (PageText& record : text.pageTexts) {
        record.text = normalisePageText(std::move(record.text));
        text.extractedWordCount += countBlanks(record.text);
    }
}

// Lines for every page the counter shows: a one-page document's page count is 0 once its page is
// finished, and its text may come after that.
void buildTextLines(Viewer& v) {
    const int pageCount = std::max({v.document.pageCount, v.document.pageCountShown, 0});
    const int lastLine = v.layout.textViewLastLine > 0 ? v.layout.textViewLastLine : 0;
    auto& lines = v.text.textLines;
    lines.assign(static_cast<std::size_t>(pageCount) + 1,
                 std::vector<std::string>(static_cast<std::size_t>(lastLine) + 1));
    for (const PageText& record : v.text.pageTexts) {
        if (record.page < 1 || record.page > pageCount) continue;
        std::vector<std::string> cut = cutDisplayLines(record.text, v.layout.textLineChars, lastLine + 1);
        auto& row = lines[static_cast<std::size_t>(record.page)];
        for (std::size_t i = 0; i < cut.size(); ++i) row[i] = std::move(cut[i]);
    }
}

}  // namespace

std::size_t advanceColumns(const std::string& text, std::size_t pos, std::size_t columns) {
    std::size_t used = 0;
    while (pos < text.size() && used < columns) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {  // most text is ASCII: one byte, one column
            ++pos;
            ++used;
            continue;
        }
        // Only characters from U+1100 on can be wide; their UTF-8 lead bytes are 0xE1 and above.
        const media::Utf8Character character = media::decodeUtf8(text, pos);
        const int codePoint = static_cast<int>(character.codePoint);
        const std::size_t width =
            lead >= 0xE1 ? static_cast<std::size_t>(media::displayColumns(codePoint)) : 1;
        if (used > 0 && used + width > columns) break;
        used += width;
        pos += character.length;
    }
    return pos;
}

std::vector<PageText> splitPages(const std::string& fileBytes) {
    std::vector<PageText> pages;
    const char* p = fileBytes.data();
    const char* const stop = p + fileBytes.size();
    for (int page = 1; p < stop; ++page) {
        PageText record{{}, page};
        p = appendPageText(p, stop, record.text) + 1;  // past the page's end byte
        pages.push_back(std::move(record));
    }
    return pages;
}

std::string normalisePageText(std::string text) {
    std::string reduced(text.size(), blank);  // a run never grows; its blanks are already there
    char* out = reduced.data();
    const char* p = text.data();
    const char* const stop = p + text.size();
    while (p < stop) {
        if (*p != blank) {
            *out++ = *p++;
            continue;
        }
        const char* runStart = p;
        while (p < stop && *p == blank) ++p;
        out += cachedReducedRunLength(static_cast<std::size_t>(p - runStart));
    }
    reduced.resize(static_cast<std::size_t>(out - reduced.data()));
    return media::trimmed(reduced);
}

long long countBlanks(const std::string& text) {
    long long count = 0;
    for (const char c : text) count += c == blank;
    return count;
}

// A cut by character count would be sound only where every character is one column wide; an
// ideograph or kana takes two columns of the monospace face, so lines are cut by display columns.
std::vector<std::string> cutDisplayLines(const std::string& text, int lineColumns, int maxLines) {
    std::vector<std::string> lines;
    if (maxLines < 1) return lines;
    const std::size_t perLine = lineColumns > 0 ? static_cast<std::size_t>(lineColumns) : 1;
    std::size_t start = 0;
    do {
        const std::size_t end = advanceColumns(text, start, perLine);
        lines.push_back(text.substr(start, end - start));
        start = end;
    } while (start < text.size() && lines.size() < static_cast<std::size_t>(maxLines));
    return lines;
}

void clearTextStore(Viewer& v) {
    v.text.textExtractionPending = false;  // the previous document's text is no longer awaited
    v.text.pageTexts.clear();
    v.text.textLines.clear();
    v.text.extractedWordCount = 0;
}

void awaitExtractedText(Viewer& v, std::int64_t fromFrame) {
    v.text.textExtractionPending = true;
    v.text.textReadFromFrame = fromFrame;
}

void loadExtractedText(Viewer& v) {
    const std::string file = v.document.documentCacheFolder + "TextualData.txt";
    if (media::fileSize(file) <= 0) return;
    // The search worker reads pageTexts in place: it is never rebuilt under a running search.
    if (v.search.searchWorkerState.load() == SearchWorker::running) {
        v.text.textExtractionPending = true;
        return;
    }
    std::string bytes;
    if (!media::readWholeFile(file, bytes) || bytes.empty()) return;
    v.text.textExtractionPending = false;
    v.text.pageTexts = splitPages(media::repairToUtf8(bytes));
    bytes = std::string();
    normaliseAndCount(v.text);
    drawExtractedWordCount(v);
    buildTextLines(v);
}
