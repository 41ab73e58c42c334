// Fuzz target: the tool programs' own command line and environment. The first byte chooses the
// tool, the words (split at zero bytes) are its PAGEWELL_PASSWORD and then its arguments, read as
// the confinement reads them and then run. Every "/" becomes "_", and runs happen in a folder of
// their own holding one small document, so that nothing outside it is read or written.
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/pdftool/confine.h"
#include "tools/pdftool/tool.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t wordsAtMost = 16;

// One point square page with a word on it: any resolution renders it in an instant.
const char* const smallDocument =
    "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
    "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
    "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] /Contents 4 0 R >> endobj\n"
    "4 0 obj << /Length 8 >> stream\n0 0 1 1 re\nendstream endobj\n"
    "trailer << /Root 1 0 R >>\n%%EOF\n";

// Empties the fuzzer's own folder (made once, the working folder; standard output goes nowhere) of what
// a run wrote, and writes the document again: a run may have written over it.
void clearRunFolder() {
    static const std::string folder = [] {
        std::string pattern = fs::temp_directory_path().string() + "/pagewell-fuzz-tools-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) std::abort();
        std::freopen("/dev/null", "w", stdout);
        return pattern;
    }();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) fs::remove_all(entry.path(), error);
    std::ofstream(folder + "/doc.pdf") << smallDocument;
}

std::vector<std::string> wordsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size && words.size() <= wordsAtMost; ++i)
        data[i] == 0 ? words.emplace_back()
                     : words.back() += data[i] == '/' ? '_' : static_cast<char>(data[i]);
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    clearRunFolder();
    static const char* const names[] = {"pdfinfo.exe", "pdftotext.exe", "pdftopng.exe"};
    const std::string name = names[data[0] % 3];
    std::vector<std::string> words = wordsOf(data + 1, size - 1);
    setenv("PAGEWELL_PASSWORD", words.front().c_str(), 1);
    takePasswordFromEnvironment();
    words.erase(words.begin());
    setProgramName(name);
    runBounds(name, words);
    (name == "pdfinfo.exe" ? runInfo : name == "pdftotext.exe" ? runText : runRender)(words);
    alarm(0);  // the watchdog a run armed
    return 0;
}
