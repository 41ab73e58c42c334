// make_locked_pdf: writes a numbered test document locked by a password (through qpdf) for the desktop
// tests.
//   make_locked_pdf rc4|aes256 <user password> <owner password> <pages> <file.pdf>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/pdf_maker.h"

int main(int argc, char** argv) {
    const std::string method = argc == 6 ? argv[1] : "";
    if (method != "rc4" && method != "aes256") {
        std::fprintf(stderr,
                     "usage: make_locked_pdf rc4|aes256 <user password> <owner password> <pages> <file>\n");
        return 2;
    }
    const PdfLock lock = method == "rc4" ? PdfLock::rc4 : PdfLock::aes256;
    return makeLockedPdf(argv[5], lock, argv[2], argv[3], std::max(1, std::atoi(argv[4]))) ? 0 : 1;
}
