// The long generated document the benchmarks share: A4 pages of sixty numbered lines each, made once
// and kept in the build folder (the launch script uses it too).
#pragma once

#include <string>
#include <vector>

#include "media/system/system.h"
#include "tests/support/pdf_maker.h"

constexpr int longDocumentPages = 2415;

// Line l (from 1) of page p (from 1) ends in the number (p - 1) x 60 + l, found on that page alone.
inline std::string longDocumentNumber(int page, int line) {
    return std::to_string((page - 1) * 60 + line);
}

// The document's path, or "" when it cannot be made.
inline std::string longDocument() {
    const std::string path =
        std::string(PAGEWELL_BUILD_DIR) + "/bench/numbered-" + std::to_string(longDocumentPages) + ".pdf";
    if (media::fileSize(path) > 0) return path;
    std::vector<TestPage> pages(longDocumentPages);
    for (int page = 0; page < longDocumentPages; ++page) {
        pages[page].lines.push_back("Page " + std::to_string(page + 1));
        for (int line = 1; line < 60; ++line)
            pages[page].lines.push_back("Line " + std::to_string(line) +
                                        ": the quick brown fox jumps over the lazy dog " +
                                        longDocumentNumber(page + 1, line));
    }
    return makeTestPdf(path, pages) ? path : "";
}
