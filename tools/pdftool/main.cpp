// The tool program's entry: chooses information, text or page images by the name it was started under.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "confine.h"
#include "tool.h"

namespace {

std::string lowerBaseName(const char* path) {
    std::string name = path ? path : "";
    std::size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// The tools never read standard input; a closed or terminal stdin must not make a library wait on it.
void detachStandardInput() {
    int nullInput = open("/dev/null", O_RDONLY);
    if (nullInput < 0) return;
    if (nullInput != STDIN_FILENO) {
        dup2(nullInput, STDIN_FILENO);
        close(nullInput);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string name = lowerBaseName(argc > 0 ? argv[0] : nullptr);
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    // A serving region renderer takes its requests on standard input.
    if (std::find(arguments.begin(), arguments.end(), "-serve") == arguments.end()) detachStandardInput();
    takePasswordFromEnvironment();
    setProgramName(name.empty() ? "pdftool" : name);
#ifndef PAGEWELL_TOOL_UNCONFINED  // a build for the benchmark's reference only
    // Before the document is opened: from here on the run reads it, writes only its output's folder.
    const Confinement confinement = confineRun(runBounds(name, arguments));
    if (!confinement.problem.empty())
        reportError("runs without part of its confinement: " + confinement.problem);
#endif
    if (name == "pdfinfo.exe" || name == "pdfinfo") return runInfo(arguments);
    if (name == "pdftotext.exe" || name == "pdftotext") return runText(arguments);
    if (name == "pdftopng.exe" || name == "pdftopng") return runRender(arguments);
    if (name == "pdfregion.exe" || name == "pdfregion") return runRegion(arguments);
    reportError("start me as pdfinfo.exe, pdftotext.exe or pdftopng.exe (a link to this program)");
    return kExitUsage;
}
