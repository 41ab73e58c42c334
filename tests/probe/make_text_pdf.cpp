// make_text_pdf: writes an A4 document of two pages of text lines, top to bottom, for the desktop
// scripts: make_text_pdf <file.pdf>. Exit status 1 when it cannot be written.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/pdf_maker.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_text_pdf <file.pdf>\n");
        return 2;
    }
    std::vector<TestPage> pages(2);
    for (int line = 0; line < 48; ++line) {
        pages[0].lines.push_back("Line " + std::to_string(line) +
                                 ": the quick brown fox jumps over the lazy dog");
        pages[1].lines.push_back("Second page, line " + std::to_string(line));
    }
    return makeTestPdf(argv[1], pages) ? 0 : 1;
}
