// make_locked_pdf: writes a test document locked by a password for the desktop tests.
//   make_locked_pdf rc4|aes256 <user password> <owner password> <pages> <file.pdf>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/protected_pdf.h"

int main(int argc, char** argv) {
    const std::string method = argc == 6 ? argv[1] : "";
    if (method != "rc4" && method != "aes256") {
        std::fprintf(stderr,
                     "usage: make_locked_pdf rc4|aes256 <user password> <owner password> <pages> <file>\n");
        return 2;
    }
    const PdfLock lock = method == "rc4" ? PdfLock::rc4 : PdfLock::aes256;
    std::ofstream file(argv[5], std::ios::binary);
    file << lockedPdf(lock, argv[2], argv[3], std::max(1, std::atoi(argv[4])));
    return file.good() ? 0 : 1;
}
