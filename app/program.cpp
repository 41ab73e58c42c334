// The program: command line, start-up, the frame loop and the exit sequence.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/opening.h"
#include "app/panels.h"
#include "app/startup_rules.h"
#include "document/conversion.h"
#include "document/tools.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/media.h"
#include "media/system/system.h"
#include "view/page_view.h"

namespace {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool newWindow = false;
    std::string error;
    std::string document;
};

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            line.help = true;
        } else if (!optionsEnded && argument == "--version") {
            line.version = true;
        } else if (!optionsEnded && argument == "--new-window") {
            line.newWindow = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            line.error = "unknown option " + argument;
        } else if (line.document.empty()) {
            line.document = argument;
        } else {
            line.error = "only one document can be opened";
        }
    }
    return line;
}

void printUsage() {
    std::printf(
        "Usage: pagewell [--new-window] [file.pdf]\n"
        "A portrait-first PDF viewer for touch screens and mice.\n\n"
        "  --new-window  start a separate viewer, even when one runs on this display\n"
        "  --help        show this help and exit\n"
        "  --version     show the version and exit\n\n"
        "A viewer already running on this display takes the file and comes to the front.\n\n"
        "Keys (while no panel takes typing):\n"
        "  Page Down, Right, Down, Space      next page (the mouse wheel: toward you)\n"
        "  Page Up, Left, Up, Backspace       previous page (the mouse wheel: away from you)\n"
        "  Home, End                          first page, last page\n"
        "  Control+O                          open a PDF\n"
        "  Control+plus, Control+minus        zoom in, out about the middle of the screen\n"
        "  Control+0                          fit the page again\n"
        "  arrows, Home, End, Return          on the thumbnail sheet: move the highlight, open its page\n\n"
        "Escape or the Exit button ends the program; the page cache is kept for next time.\n");
}

// Another viewer for this user and display takes the document and comes to the front. Returns this
// process's exit code when that viewer has it, -1 when this process goes on as a viewer.
int handToRunningViewer(const std::string& document) {
    std::string path = document.empty() ? document : media::absolutePath(document);
    if (!path.empty() && (media::fileSize(path) <= 0 || !media::canOpenForReading(path)))
        std::fprintf(stderr, "pagewell: cannot read %s\n", document.c_str());
    media::InstanceClaim claim = media::claimInstance(path);
    if (!claim.problem.empty()) std::fprintf(stderr, "pagewell: %s\n", claim.problem.c_str());
    if (claim.role == media::InstanceRole::handedOver) return 0;
    return claim.role == media::InstanceRole::unanswered ? 1 : -1;
}

}  // namespace

// A file named on the command line takes the same steps as one chosen with the Open button;
// one that cannot be read is said so, where the chooser's cancel would say nothing.
void openNamedDocument(Viewer& v, const std::string& document) {
    std::string path = media::absolutePath(document);
    if (media::fileSize(path) <= 0 || !media::canOpenForReading(path)) {
        std::fprintf(stderr, "pagewell: cannot read %s\n", document.c_str());
        showMessagePanel(v, "Cannot read " + document);
        return;
    }
    openDocumentPath(v, path);
    dropInformationAhead(v);  // when the opening did not take it (a cached document, not a PDF)
    drawStatusLine(v);
}

namespace {

// PAGEWELL_SAVE_FRAME=<file.png> saves one presented frame, once the screen has settled: a
// screenshot for scripts on displays that offer no capture tool of their own.
struct FrameDump {
    std::string file;
    int framesLeft = 60;
};

FrameDump frameDumpFromEnvironment() {
    FrameDump dump;
    const char* file = std::getenv("PAGEWELL_SAVE_FRAME");
    if (file != nullptr) dump.file = file;
    if (!dump.file.empty()) media::captureFrames(true);
    return dump;
}

void saveFrameWhenDue(FrameDump& dump) {
    if (dump.file.empty() || --dump.framesLeft > 0) return;
    if (!media::saveCapturedFrame(dump.file))
        std::fprintf(stderr, "pagewell: cannot save %s\n", dump.file.c_str());
    media::captureFrames(false);
    dump.file.clear();
}

}  // namespace

void exitSequence(Viewer& v) {
    stopAllTools(v);
    stopPageFileWorker(v);
    media::stopDisplay();
    media::releaseInstance();
}

int runPagewell(int argc, char** argv) {
    CommandLine line = parseCommandLine(argc, argv);
    if (!line.error.empty()) {
        std::fprintf(stderr, "pagewell: %s\nTry 'pagewell --help'.\n", line.error.c_str());
        return 2;
    }
    if (line.help) {
        printUsage();
        return 0;
    }
    if (line.version) {
        std::printf("%s\n", windowTitleFrom(identity::title, identity::version, identity::maker).c_str());
        return 0;
    }
    if (!line.newWindow) {
        int handedOverCode = handToRunningViewer(line.document);
        if (handedOverCode >= 0) return handedOverCode;
    }
    auto viewer = std::make_unique<Viewer>();
    StartOptions options;
    options.documentToOpen = line.document;
    if (!startUp(*viewer, options)) {
        dropInformationAhead(*viewer);
        media::stopDisplay();
        media::releaseInstance();
        return 1;
    }
    if (!options.documentToOpen.empty()) openNamedDocument(*viewer, options.documentToOpen);
    FrameDump dump = frameDumpFromEnvironment();
    while (runFrame(*viewer)) saveFrameWhenDue(dump);
    exitSequence(*viewer);
    return 0;
}
