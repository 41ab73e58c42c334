// Message boxes, the clipboard, and the desktop's file chooser: dialogs run as helper programs beside
// the frame loop, followed once a frame.
#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "media/desktop/desktop.h"
#include "media/desktop/desktop_internal.h"
#include "media/display/display_internal.h"
#include "media/system/system.h"
#include "media/text/text.h"

namespace media {

namespace {

// How often the blocking file chooser looks whether its helper program has ended.
constexpr auto chooserPoll = std::chrono::milliseconds(10);

// Where a chooser's standard output goes: a file made with mkstemp in a folder only this user can
// enter, read back through the descriptor made with it. madeFolder is the folder made for it alone.
struct AnswerFile {
    int descriptor = -1;
    std::string path;
    std::string madeFolder;
};

// A helper program showing a dialog. A chooser's standard output goes into its answer file.
struct Dialog {
    int processId = 0;
    AnswerFile answer;  // no descriptor for a message box
    bool chooser() const { return answer.descriptor >= 0; }
};

struct DialogState {
    std::vector<Dialog> running;
    std::optional<std::string> chosen;  // the ended chooser's answer, until it is taken
};

DialogState& dialogs() {
    static DialogState state;
    return state;
}

// A program and its arguments; no program when none is installed.
struct Helper {
    std::string program;
    std::vector<std::string> arguments;
};

// The program's full path when it can be run from a folder of PATH; empty otherwise.
std::string findInPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : "";
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(start, end - start);
        candidate = (candidate.empty() ? "." : candidate) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
            return candidate;
        start = end + 1;
    }
    return "";
}

// Ours, not a symbolic link, no rights for group or others.
bool privateFolder(const std::string& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

// $XDG_RUNTIME_DIR when it is private, else a folder made for this answer alone. A fixed name in the
// shared temporary folder would let another user plant a link there and have it truncated or read.
AnswerFile makeAnswerFile() {
    AnswerFile answer;
    std::string folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && privateFolder(runtime)) {
        folder = std::string(runtime) + "/";
    } else {
        std::string pattern = temporaryFolder() + "pagewell-chooser-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return answer;
        answer.madeFolder = pattern;
        folder = pattern + "/";
    }
    std::string pattern = folder + "pagewell-chooser-XXXXXX";
    answer.descriptor = mkostemp(pattern.data(), O_CLOEXEC);
    if (answer.descriptor >= 0) answer.path = pattern;
    return answer;
}

void removeAnswerFile(AnswerFile& answer) {
    if (answer.descriptor >= 0) close(answer.descriptor);
    if (!answer.path.empty()) unlink(answer.path.c_str());
    if (!answer.madeFolder.empty()) rmdir(answer.madeFolder.c_str());
    answer = AnswerFile{};
}

// The first line the chooser printed, read through the descriptor the file was made with; the file
// and its folder are removed.
std::string readAnswer(AnswerFile& answer) {
    std::string printed;
    char buffer[4096];
    ssize_t count = 0;
    for (off_t at = 0; (count = pread(answer.descriptor, buffer, sizeof buffer, at)) > 0; at += count) {
        printed.append(buffer, static_cast<std::size_t>(count));
        if (printed.find('\n') != std::string::npos) break;
    }
    removeAnswerFile(answer);
    std::string chosen = printed.substr(0, printed.find('\n'));
    if (!chosen.empty() && chosen.back() == '\r') chosen.pop_back();
    return chosen;
}

// "PDF (*.pdf)|*.pdf" -> description and filter, the filter's ";" separators made into blanks.
void splitPattern(const std::string& pattern, std::string& description, std::string& filter) {
    std::size_t bar = pattern.find('|');
    description = pattern.substr(0, bar);
    filter = bar == std::string::npos ? "*" : pattern.substr(bar + 1);
    for (char& c : filter) {
        if (c == ';') c = ' ';
    }
    if (description.empty()) description = filter;
}

// The viewer's window as the dialog's owner, where the helper can be told of it.
void addZenityOwner(std::vector<std::string>& arguments) {
    arguments.push_back("--modal");
    std::string window = detail::viewerWindowId();
    if (!window.empty()) arguments.push_back("--attach=" + window);
}

void addKdialogOwner(std::vector<std::string>& arguments) {
    std::string window = detail::viewerWindowId();
    if (!window.empty()) arguments.insert(arguments.end(), {"--attach", window});
}

std::vector<std::string> zenityChooserArguments(const std::string& title, const std::string& defaultFile,
                                                const std::string& pattern) {
    std::string description, filter;
    splitPattern(pattern, description, filter);
    std::vector<std::string> arguments{"--file-selection", "--title=" + title};
    if (!defaultFile.empty()) arguments.push_back("--filename=" + defaultFile);
    if (!pattern.empty()) arguments.push_back("--file-filter=" + description + " | " + filter);
    arguments.push_back("--file-filter=All files | *");
    addZenityOwner(arguments);
    return arguments;
}

std::vector<std::string> kdialogChooserArguments(const std::string& title, const std::string& defaultFile,
                                                 const std::string& pattern) {
    std::string description, filter;
    splitPattern(pattern, description, filter);
    std::vector<std::string> arguments{"--getopenfilename", defaultFile.empty() ? "." : defaultFile};
    if (!pattern.empty()) arguments.push_back(filter + "|" + description);
    arguments.insert(arguments.end(), {"--title", title});
    addKdialogOwner(arguments);
    return arguments;
}

// PAGEWELL_FILE_DIALOG, else zenity, else kdialog.
Helper chooserHelper(const std::string& title, const std::string& defaultFile, const std::string& pattern) {
    const char* custom = std::getenv("PAGEWELL_FILE_DIALOG");
    if (custom != nullptr && *custom != '\0') return {findInPath(custom), {}};
    if (std::string zenity = findInPath("zenity"); !zenity.empty())
        return {zenity, zenityChooserArguments(title, defaultFile, pattern)};
    if (std::string kdialog = findInPath("kdialog"); !kdialog.empty())
        return {kdialog, kdialogChooserArguments(title, defaultFile, pattern)};
    return {};
}

bool titleNamesAnError(const std::string& title) {
    std::string lower = title;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("error") != std::string::npos;
}

// zenity reads backslash escapes in its text: a backslash of the message is written twice.
std::string zenityText(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '\\') escaped += c;
    }
    return escaped;
}

Helper messageHelper(const std::string& title, const std::string& text) {
    bool error = titleNamesAnError(title);
    if (std::string zenity = findInPath("zenity"); !zenity.empty()) {
        std::vector<std::string> arguments{error ? "--error" : "--info", "--title=" + title,
                                           "--text=" + zenityText(text), "--no-markup"};
        addZenityOwner(arguments);
        return {zenity, arguments};
    }
    if (std::string kdialog = findInPath("kdialog"); !kdialog.empty()) {
        std::vector<std::string> arguments{error ? "--error" : "--msgbox", text, "--title", title};
        addKdialogOwner(arguments);
        return {kdialog, arguments};
    }
    return {};
}

// A chooser gets an answer file; a message box none.
bool startDialog(const Helper& helper, bool chooser) {
    if (helper.program.empty()) return false;
    AnswerFile answer;
    if (chooser && (answer = makeAnswerFile()).descriptor < 0) return false;
    RunOptions options;
    options.standardOutputDescriptor = answer.descriptor;
    int processId = runProgram(helper.program, helper.arguments, options);
    if (processId == 0) {
        removeAnswerFile(answer);
        return false;
    }
    dialogs().running.push_back({processId, answer});
    if (dialogs().running.size() == 1) detail::freePointerForDialogs(true);
    return true;
}

// Ended helpers leave the list; an ended chooser leaves its answer. The pointer is captured again
// (where the viewer wants it so) once the last dialog has gone.
void finishEndedDialogs() {
    DialogState& state = dialogs();
    if (state.running.empty()) return;
    std::erase_if(state.running, [&state](Dialog& dialog) {
        if (programRunning(dialog.processId)) return false;
        if (dialog.chooser()) state.chosen = readAnswer(dialog.answer);
        return true;
    });
    if (!state.running.empty()) return;
    detail::forgetDialogWindows();
    detail::freePointerForDialogs(false);
}

bool windowShown() {
    SDL_Window* window = detail::display().window;
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
}

// SDL's own box, which waits to be closed.
void showWaitingBox(const std::string& title, const std::string& text) {
    // A captured pointer could not reach the box's button.
    SDL_Window* window = detail::display().window;
    if (window != nullptr) SDL_SetWindowGrab(window, SDL_FALSE);
    int cursor = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), window);
    SDL_ShowCursor(cursor);
    detail::applyPointerCapture();
}

}  // namespace

namespace detail {

bool dialogsUp() {
    return !dialogs().running.empty();
}

void tendDialogs() {
    finishEndedDialogs();
    std::vector<int> processIds;
    for (const Dialog& dialog : dialogs().running) processIds.push_back(dialog.processId);
    attachDialogWindows(processIds);
}

void stopDialogs() {
    for (Dialog& dialog : dialogs().running) {
        stopProgram(dialog.processId);
        removeAnswerFile(dialog.answer);
    }
    dialogs() = DialogState{};
    forgetDialogWindows();
}

}  // namespace detail

void messageBox(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", forTerminal(title).c_str(), forTerminal(text).c_str());
    // A video driver without a screen (the tests' dummy): a box shown some other way would wait for ever.
    // Without any video driver the display could not be opened: a box there would wait unseen, or
    // stand on a display the viewer itself could not reach; the message on standard error is all.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || !detail::driverShowsWindow(driver)) return;
    if (windowShown() && startDialog(messageHelper(title, text), false)) return;
    showWaitingBox(title, text);
}

void setClipboardText(const std::string& utf8) {
    if (detail::startVideo()) SDL_SetClipboardText(utf8.c_str());
}

std::string clipboardText() {
    if (!detail::startVideo() || !SDL_HasClipboardText()) return "";
    char* text = SDL_GetClipboardText();
    std::string result = text != nullptr ? text : "";
    SDL_free(text);
    return result;
}

bool startFileChooser(const std::string& title, const std::string& defaultFile, const std::string& pattern) {
    if (fileChooserRunning()) return false;
    dialogs().chosen.reset();
    return startDialog(chooserHelper(title, defaultFile, pattern), true);
}

bool fileChooserRunning() {
    finishEndedDialogs();
    const std::vector<Dialog>& running = dialogs().running;
    return std::any_of(running.begin(), running.end(), [](const Dialog& dialog) { return dialog.chooser(); });
}

std::optional<std::string> takeChosenFile() {
    finishEndedDialogs();
    std::optional<std::string> chosen = dialogs().chosen;
    dialogs().chosen.reset();
    return chosen;
}

bool dialogRunning() {
    finishEndedDialogs();
    return detail::dialogsUp();
}

std::string chooseFileToOpen(const std::string& title, const std::string& defaultFile,
                             const std::string& pattern, bool* chooserAvailable) {
    bool started = startFileChooser(title, defaultFile, pattern);
    if (chooserAvailable != nullptr) *chooserAvailable = started;
    if (!started) return "";
    while (fileChooserRunning()) std::this_thread::sleep_for(chooserPoll);
    return takeChosenFile().value_or("");
}

}  // namespace media
