// make_text_pdf <file.pdf>: an A4 document of two pages of text lines for the desktop scripts.
#include "tests/support/pdf_maker.h"

int main(int argc, char** argv) {
    TestPage page;
    for (int line = 0; line < 48; ++line)
        page.lines.push_back("Line " + std::to_string(line) +
                             ": the quick brown fox jumps over the lazy dog");
    return argc == 2 && makeTestPdf(argv[1], {page, page}) ? 0 : 1;
}
