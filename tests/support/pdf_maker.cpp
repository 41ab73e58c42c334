// Writes test PDF documents with cairo's PDF surface: one page per TestPage, text in a standard font
// or the one named for a line.
#include "tests/support/pdf_maker.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>

namespace {

constexpr double kFontSize = 12.0;
constexpr double kLineHeight = 16.0;

void drawPageLines(cairo_t* cr, const TestPage& page) {
    // Small pages (A7 and below) get a small margin so their lines still fit.
    double margin = std::min(36.0, page.widthPoints / 10.0);
    cairo_set_source_rgb(cr, 0, 0, 0);
    double y = margin + kFontSize;
    for (std::size_t i = 0; i < page.lines.size(); ++i) {
        const bool named = i < page.lineFonts.size() && !page.lineFonts[i].empty();
        cairo_select_font_face(cr, named ? page.lineFonts[i].c_str() : "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, kFontSize);
        cairo_move_to(cr, margin, y);
        cairo_show_text(cr, page.lines[i].c_str());
        y += kLineHeight;
    }
}

}  // namespace

bool makeTestPdf(const std::string& path, const std::vector<TestPage>& pages) {
    if (pages.empty()) return false;
    cairo_surface_t* surface =
        cairo_pdf_surface_create(path.c_str(), pages.front().widthPoints, pages.front().heightPoints);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_t* cr = cairo_create(surface);
    for (const TestPage& page : pages) {
        cairo_pdf_surface_set_size(surface, page.widthPoints, page.heightPoints);
        drawPageLines(cr, page);
        cairo_show_page(cr);
    }
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

bool makeNumberedPdf(const std::string& path, int pageCount) {
    std::vector<TestPage> pages;
    for (int k = 1; k <= pageCount; ++k) {
        TestPage page;
        page.lines = {"Page " + std::to_string(k), "word" + std::to_string(k)};
        pages.push_back(page);
    }
    return makeTestPdf(path, pages);
}

bool makeTextPagesPdf(const std::string& path) {
    TestPage page;
    for (int line = 0; line < 48; ++line)
        page.lines.push_back("Line " + std::to_string(line) +
                             ": the quick brown fox jumps over the lazy dog");
    return makeTestPdf(path, {page, page});
}
