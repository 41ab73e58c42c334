// A long day: 74 documents opened one after another in one viewer, each converted whole (pages, text,
// sheet), as a reader who opens document after document does. Resident memory after the 5th opening
// and after the 74th, and their ratio; "name: value" lines.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/conversion.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

namespace {

namespace fs = std::filesystem;

constexpr int documentCount = 74;
constexpr int reference = 5;

void report(const std::string& name, double value) {
    std::printf("%s: %.2f\n", name.c_str(), value);
}

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024.0;
    return -1.0;
}

// A generated document: pages of some size, each with a few lines.
bool makeDocument(const std::string& path, int pages, double width, double height) {
    std::vector<TestPage> list(static_cast<std::size_t>(pages));
    for (int page = 0; page < pages; ++page) {
        list[page].widthPoints = width;
        list[page].heightPoints = height;
        for (int line = 0; line < 30; ++line)
            list[page].lines.push_back("Page " + std::to_string(page + 1) + ", line " + std::to_string(line) +
                                       ": a day of reading, one document after another");
    }
    return makeTestPdf(path, list);
}

// Three kinds in turn, each varied: the corpus's shorter documents (among them slides of small
// pages converted at 600 dpi and a manual full of photographs), generated A4 documents of 2 to 21
// pages, and generated A5 or landscape ones. Each has a name of its own, so that every opening
// converts afresh; the 5th and the 74th are of one kind, so that what the two measures differ by is
// what earlier openings left behind.
std::vector<std::string> dayOfDocuments(const std::string& folder) {
    const std::string corpus = PAGEWELL_CORPUS_DIR;
    const char* real[] = {"short-ltnews36.pdf", "slides-beamer-conference-talk.pdf", "a5-hyperref-paper.pdf",
                          "images-expeyes-eyesj.pdf"};
    std::vector<std::string> documents;
    for (int i = 0; i < documentCount; ++i) {
        const std::string path = folder + "day " + std::to_string(i + 1) + ".pdf";
        bool made = false;
        if (i % 3 == 0)
            made = fs::copy_file(corpus + real[(i / 3) % 4], path);
        else if (i % 3 == 1)
            made = makeDocument(path, 2 + i % 20, 595.276, 841.89);
        else
            made = i % 2 ? makeDocument(path, 1 + i % 15, 419.53, 595.276)
                         : makeDocument(path, 1 + i % 9, 842, 595);
        if (!made) return {};
        documents.push_back(path);
    }
    return documents;
}

bool openAndConvert(Harness& h, const std::string& path) {
    Viewer& v = h.v();
    h.open(path);
    auto done = [&] {
        const int pages = v.document.pageCount;
        return pages >= 1 && conversionFinished(v, pages) && (pages == 1 || v.sheet.sheetReady) &&
               !v.text.textExtractionPending;
    };
    return h.runUntil(done, 100000000, 5, 600.0);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string folder = makeTemporaryFolder("pagewell-long-day");
    const std::vector<std::string> documents = dayOfDocuments(folder);
    if (documents.empty()) {
        report("long_day_failed", 1);
        return 1;
    }
    HarnessOptions options;
    options.realClock = true;
    Harness h(options);
    media::captureFrames(false);  // the harness keeps every frame for tests; a viewer does not
    h.frames(2);
    report("long_day_after_start_up_mb", residentMegabytes());
    const auto start = std::chrono::steady_clock::now();
    double afterReference = 0.0;
    for (int i = 0; i < documentCount; ++i) {
        if (!openAndConvert(h, documents[i])) {
            report("long_day_conversion_failed_at", i + 1);
            return 1;
        }
        const double resident = residentMegabytes();
        if (i + 1 == reference) afterReference = resident;
        if (i + 1 == reference || (i + 1) % 10 == 0 || i + 1 == documentCount)
            report("long_day_after_" + std::to_string(i + 1) + "_mb", resident);
    }
    report("long_day_s", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    report("long_day_ratio_74_to_5", residentMegabytes() / afterReference);
    return 0;
}
