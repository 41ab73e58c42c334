// Makes PDF documents for tests: with cairo (known page counts, sizes and words per page), locked by a
// password with qpdf, or written by hand object by object for odd structures.
#pragma once

#include <string>
#include <vector>

struct TestPage {
    double widthPoints = 595.276;  // A4 portrait
    double heightPoints = 841.89;
    std::vector<std::string> lines;      // text lines drawn top-down
    std::vector<std::string> lineFonts;  // a line's font family where given, else DejaVu Sans: cairo
                                         // embeds the one face, so CJK lines need a CJK family
    bool blueSquare = false;             // a square of rgb(0, 0, 204) below the lines
};

// An entry of a document's outline (its bookmarks): level 1 is the top, each entry at most one level
// below the one before it.
struct TestOutlineEntry {
    std::string title;
    int level = 1, page = 1;
};

// Writes a PDF with the given pages, outline and title; false on failure.
bool makeTestPdf(const std::string& path, const std::vector<TestPage>& pages,
                 const std::vector<TestOutlineEntry>& outline = {}, const std::string& title = "");
// n A4 pages, page k (1-based) reading "Page k" and "word<k>" plus the given extra line per page.
bool makeNumberedPdf(const std::string& path, int pageCount);

// The standard security handler's locks as PDF writers make them.
enum class PdfLock { rc4With40Bits, rc4, aes128, aes256 };
const char* lockName(PdfLock lock);  // "RC4_40", "RC4" (128 bits), "AES128", "AES256"
// pages numbered pages (makeNumberedPdf's, each with a blue square) with the given title, locked by
// qpdf. The empty user password opens a document locked by an owner password only; an empty owner
// password is the user password. False when qpdf is missing or fails.
bool makeLockedPdf(const std::string& path, PdfLock lock, const std::string& userPassword,
                   const std::string& ownerPassword, int pages,
                   const std::string& title = "Locked test document");

// A PDF written from object bodies (object k is bodies[k-1]); trailerExtra goes into the trailer.
std::string handWrittenPdf(const std::vector<std::string>& bodies, const std::string& trailerExtra = "");
// One page with the given media box (and further page keys: boxes, rotation) showing "Hello".
std::string onePagePdf(const std::string& mediaBox, const std::string& extraPageKeys = "");
// A catalog whose page tree has no pages.
std::string pagelessPdf();
// Locked by a password that no password opens: its /U entry is not one any password yields.
std::string unopenableLockedPdf();
// Two A4 pages, each of 48 lines "Line k: the quick brown fox jumps over the lazy dog".
bool makeTextPagesPdf(const std::string& path);
