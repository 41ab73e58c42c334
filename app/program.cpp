// The program: command line, start-up, the frame loop and the exit sequence.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/instance.h"
#include "app/opening.h"
#include "app/panels.h"
#include "app/startup_rules.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/media.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "view/kept_page.h"
#include "view/page_view.h"
#include "view/sharp_layer.h"

namespace {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool newWindow = false;
    int page = 0;  // --page: 0 none
    std::string error;
    std::string document;
};

// "--page N" or "--page=N": a whole number from 1 on.
bool takePageOption(int argc, char** argv, int& i, CommandLine& line) {
    const std::string argument = argv[i];
    std::string value;
    if (argument.rfind("--page=", 0) == 0) {
        value = argument.substr(7);
    } else if (argument == "--page" && i + 1 < argc) {
        value = argv[++i];
    } else if (argument != "--page") {
        return false;
    }
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), line.page);
    if (error != std::errc{} || end != value.data() + value.size() || line.page < 1) {
        line.error = "--page takes a page number (1 or more)";
        line.page = 0;
    }
    return true;
}

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && takePageOption(argc, argv, i, line)) {
            continue;
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
    if (line.page > 0 && line.document.empty() && line.error.empty())
        line.error = "--page needs a document to open";
    return line;
}

void printUsage() {
    std::printf(
        "Usage: pagewell [--new-window] [--page N] [file.pdf]\n"
        "A portrait-first PDF viewer for touch screens and mice.\n\n"
        "  --new-window  start a separate viewer, even when one runs on this display\n"
        "  --page N      open the document at page N (else where it was left off)\n"
        "  --help        show this help and exit\n"
        "  --version     show the version and exit\n\n"
        "A viewer already running on this display takes the file and comes to the front.\n\n"
        "Keys (while no panel takes typing):\n"
        "  Page Down, Right, Down, Space      next page (the mouse wheel: toward you)\n"
        "  Page Up, Left, Up, Backspace       previous page (the mouse wheel: away from you)\n"
        "  Home, End                          first page, last page\n"
        "  Alt+Left, the mouse's back button  back to the page before the last jump\n"
        "  Control+O                          open a PDF\n"
        "  Control+plus, Control+minus        zoom in, out about the middle of the screen\n"
        "  Control+0                          fit the page again\n"
        "  arrows, Home, End, Return          on the thumbnail sheet: move the highlight, open its page\n\n"
        "Escape or the Exit button ends the program; the page cache is kept for next time.\n");
}

// Why a later start does not hand the named document over, as an opening would refuse it.
void sayWhyNotHanded(const std::string& document, Choice choice) {
    if (choice == Choice::notPdf)
        std::fprintf(stderr, "pagewell: %s is not a PDF document\n", media::forTerminal(document).c_str());
    else
        std::fprintf(stderr, "pagewell: cannot read %s (missing, empty or not readable)\n",
                     media::forTerminal(document).c_str());
}

// Another viewer for this user and display takes the document (and the page asked for) and comes to
// the front. A document an opening would refuse is checked first and not handed over: that viewer only
// comes to the front, and this start says why and ends with status 1. Returns this process's exit code
// when that viewer answered, -1 when this process goes on as a viewer.
int handToRunningViewer(const std::string& document, int page) {
    const std::string path = document.empty() ? document : media::absolutePath(document);
    const Choice choice = path.empty() ? Choice::accepted : checkChosenDocument(path);
    InstanceClaim claim = claimInstance(choice == Choice::accepted ? handOverMessage(path, page) : "");
    if (!claim.problem.empty()) std::fprintf(stderr, "pagewell: %s\n", claim.problem.c_str());
    if (claim.role == InstanceRole::handedOver) {
        if (choice == Choice::accepted) return 0;
        sayWhyNotHanded(document, choice);
        return 1;
    }
    return claim.role == InstanceRole::unanswered ? 1 : -1;
}

}  // namespace

// A file named on the command line takes the same steps as one chosen with the Open button;
// one that cannot be read is said so, where the chooser's cancel would say nothing.
void openNamedDocument(Viewer& v, const std::string& document) {
    std::string path = media::absolutePath(document);
    if (media::fileSize(path) <= 0 || !media::canOpenForReading(path)) {
        v.place.requestedPage = 0;
        std::fprintf(stderr, "pagewell: cannot read %s\n", media::forTerminal(document).c_str());
        showMessagePanel(v, "Cannot read " + document);
        return;
    }
    openDocumentPath(v, path);
    dropInformationAhead(v);  // when the opening did not take it (a cached document, not a PDF)
    drawStatusLine(v);
}

namespace {

constexpr std::string_view handedPageKey = "page=";

}  // namespace

std::string handOverMessage(const std::string& path, int page) {
    if (page <= 0 || path.empty()) return path;
    return std::string(handedPageKey) + std::to_string(page) + "\n" + path;
}

HandedDocument readHandOverMessage(const std::string& message) {
    HandedDocument handed{message, 0};
    const std::size_t lineEnd = message.find('\n');
    if (message.rfind(handedPageKey, 0) != 0 || lineEnd == std::string::npos) return handed;
    const char* first = message.data() + handedPageKey.size();
    const auto [end, error] = std::from_chars(first, message.data() + lineEnd, handed.page);
    if (error != std::errc{} || end != message.data() + lineEnd || handed.page < 1) return {message, 0};
    handed.path = message.substr(lineEnd + 1);
    return handed;
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
    writePlaceNow(v);  // the page the reader is at, for the next opening
    stopAllTools(v);
    endSharpLayer(v);
    stopPageFileWorker(v);
    media::releaseFolder(v.document.cacheFolderHold);
    v.document.cacheFolderHold = -1;
    media::stopDisplay();
    releaseInstance();
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
        int handedOverCode = handToRunningViewer(line.document, line.page);
        if (handedOverCode >= 0) return handedOverCode;
    }
    auto viewer = std::make_unique<Viewer>();
    StartOptions options;
    options.documentToOpen = line.document;
    options.pageToOpen = line.page;
    if (!startUp(*viewer, options)) {
        dropInformationAhead(*viewer);
        media::stopDisplay();
        releaseInstance();
        return 1;
    }
    viewer->place.requestedPage = options.pageToOpen;
    if (!options.documentToOpen.empty()) openNamedDocument(*viewer, options.documentToOpen);
    FrameDump dump = frameDumpFromEnvironment();
    while (runFrame(*viewer)) saveFrameWhenDue(dump);
    exitSequence(*viewer);
    return 0;
}
