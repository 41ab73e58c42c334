// make_text_pdf <file.pdf>: an A4 document of two pages of text lines for the desktop scripts.
#include "tests/support/pdf_maker.h"

int main(int argc, char** argv) {
    return argc == 2 && makeTextPagesPdf(argv[1]) ? 0 : 1;
}
