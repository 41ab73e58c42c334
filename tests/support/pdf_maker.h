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

// Writes a PDF with the given pages; false on failure.
bool makeTestPdf(const std::string& path, const std::vector<TestPage>& pages);
// n A4 pages, page k (1-based) reading "Page k" and "word<k>" plus the given extra line per page.
bool makeNumberedPdf(const std::string& path, int pageCount);
// Two A4 pages, each of 48 lines "Line k: the quick brown fox jumps over the lazy dog".
bool makeTextPagesPdf(const std::string& path);
