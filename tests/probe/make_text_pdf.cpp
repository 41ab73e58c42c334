// make_text_pdf: writes an A4 document of two pages of text, the first a title page, for the desktop
// scripts: make_text_pdf <file.pdf>. Exit status 1 when it cannot be written.
#include <cstdio>

#include "tests/support/pdf_maker.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_text_pdf <file.pdf>\n");
        return 2;
    }
    return makeTitlePagePdf(argv[1]) ? 0 : 1;
}
