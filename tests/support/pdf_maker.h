// Makes PDF documents for tests with cairo: known page counts, sizes and words per page.
#pragma once

#include <string>
#include <vector>

struct TestPage {
    double widthPoints = 595.276;  // A4 portrait
    double heightPoints = 841.89;
    std::vector<std::string> lines;      // text lines drawn top-down
    std::vector<std::string> lineFonts;  // a line's font family where given, else DejaVu Sans: cairo
                                         // embeds the one face, so CJK lines need a CJK family
};

// An entry of a document's outline (its bookmarks): level 1 is the top, each entry at most one level
// below the one before it.
struct TestOutlineEntry {
    std::string title;
    int level = 1;
    int page = 1;
};

// Writes a PDF with the given pages and outline; false on failure.
bool makeTestPdf(const std::string& path, const std::vector<TestPage>& pages,
                 const std::vector<TestOutlineEntry>& outline = {});
// n A4 pages, page k (1-based) reading "Page k" and "word<k>" plus the given extra line per page.
bool makeNumberedPdf(const std::string& path, int pageCount);
