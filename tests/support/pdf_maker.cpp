// Writes test PDF documents with cairo's PDF surface (one page per TestPage, text in a standard font
// or the one named for a line), locks them with qpdf, or writes them by hand.
#include "tests/support/pdf_maker.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

extern char** environ;

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
    if (!page.blueSquare) return;
    cairo_set_source_rgb(cr, 0, 0, 0.8);
    cairo_rectangle(cr, 72, y + kLineHeight, 300, 300);
    cairo_fill(cr);
}

// The program's exit status, -1 when it could not be run or a signal ended it.
int runAndWait(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Each entry's parent is the latest entry one level up.
void addOutline(cairo_surface_t* surface, const std::vector<TestOutlineEntry>& outline) {
    std::vector<int> parents = {CAIRO_PDF_OUTLINE_ROOT};
    for (const TestOutlineEntry& entry : outline) {
        parents.resize(static_cast<std::size_t>(std::max(entry.level, 1)));
        const std::string link = "page=" + std::to_string(entry.page);
        const int id = cairo_pdf_surface_add_outline(surface, parents.back(), entry.title.c_str(),
                                                     link.c_str(), static_cast<cairo_pdf_outline_flags_t>(0));
        parents.push_back(id);
    }
}

std::vector<TestPage> numberedPages(int pageCount, bool blueSquares) {
    std::vector<TestPage> pages;
    for (int k = 1; k <= pageCount; ++k) {
        TestPage page;
        page.lines = {"Page " + std::to_string(k), "word" + std::to_string(k)};
        page.blueSquare = blueSquares;
        pages.push_back(page);
    }
    return pages;
}

}  // namespace

bool makeTestPdf(const std::string& path, const std::vector<TestPage>& pages,
                 const std::vector<TestOutlineEntry>& outline, const std::string& title) {
    if (pages.empty()) return false;
    cairo_surface_t* surface =
        cairo_pdf_surface_create(path.c_str(), pages.front().widthPoints, pages.front().heightPoints);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    if (!title.empty()) cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_t* cr = cairo_create(surface);
    for (const TestPage& page : pages) {
        cairo_pdf_surface_set_size(surface, page.widthPoints, page.heightPoints);
        drawPageLines(cr, page);
        cairo_show_page(cr);
    }
    addOutline(surface, outline);
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

bool makeNumberedPdf(const std::string& path, int pageCount) {
    return makeTestPdf(path, numberedPages(pageCount, false));
}

const char* lockName(PdfLock lock) {
    static constexpr const char* names[] = {"RC4_40", "RC4", "AES128", "AES256"};  // in PdfLock's order
    return names[static_cast<int>(lock)];
}

bool makeLockedPdf(const std::string& path, PdfLock lock, const std::string& userPassword,
                   const std::string& ownerPassword, int pages, const std::string& title) {
    const std::string plain = path + ".plain.pdf";
    if (!makeTestPdf(plain, numberedPages(pages, true), {}, title)) return false;
    std::vector<std::string> words = {"qpdf"};
    if (lock == PdfLock::rc4With40Bits || lock == PdfLock::rc4) words.push_back("--allow-weak-crypto");
    const char* bits = lock == PdfLock::rc4With40Bits ? "40" : lock == PdfLock::aes256 ? "256" : "128";
    words.insert(words.end(),
                 {"--encrypt", userPassword, ownerPassword.empty() ? userPassword : ownerPassword, bits});
    if (lock == PdfLock::rc4 || lock == PdfLock::aes128)
        words.push_back(lock == PdfLock::rc4 ? "--use-aes=n" : "--use-aes=y");
    words.insert(words.end(), {"--", plain, path});
    const bool locked = runAndWait(words) == 0;
    std::filesystem::remove(plain);
    return locked;
}

std::string handWrittenPdf(const std::vector<std::string>& bodies, const std::string& trailerExtra) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf +=
        "trailer\n<< /Size " + std::to_string(bodies.size() + 1) + " /Root 1 0 R " + trailerExtra + " >>\n";
    return pdf + "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

std::string onePagePdf(const std::string& mediaBox, const std::string& extraPageKeys) {
    const std::string text = "BT /F1 24 Tf 20 20 Td (Hello) Tj ET";
    return handWrittenPdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox + " " + extraPageKeys +
            " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    });
}

std::string pagelessPdf() {
    return handWrittenPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"});
}

std::string unopenableLockedPdf() {
    const std::string encrypt = "<< /Filter /Standard /V 1 /R 2 /Length 40 /P -44 /O <" +
                                std::string(64, 'A') + "> /U <" + std::string(64, '5') + "> >>";
    return handWrittenPdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>", encrypt},
        "/Encrypt 4 0 R /ID [<0123456789ABCDEF0123456789ABCDEF><0123456789ABCDEF0123456789ABCDEF>]");
}

bool makeTextPagesPdf(const std::string& path) {
    TestPage page;
    for (int line = 0; line < 48; ++line)
        page.lines.push_back("Line " + std::to_string(line) +
                             ": the quick brown fox jumps over the lazy dog");
    return makeTestPdf(path, {page, page});
}
