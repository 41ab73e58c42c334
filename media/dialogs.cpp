// Message boxes, the clipboard, and the desktop's file chooser run as a helper program.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/display_internal.h"
#include "media/media.h"

namespace media {

namespace {

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

std::string uniqueTemporaryFile() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    static int counter = 0;
    std::string name =
        "pagewell-chooser-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".txt";
    return (folder / name).string();
}

// Runs the chooser, its standard output into a temporary file; the first line is the answer.
bool runChooser(const std::string& program, const std::vector<std::string>& arguments, std::string& chosen) {
    std::string output = uniqueTemporaryFile();
    RunOptions options;
    options.wait = true;
    options.standardOutputFile = output;
    bool started = runProgram(program, arguments, options) != 0;
    std::ifstream file(output);
    std::getline(file, chosen);
    file.close();
    std::error_code error;
    std::filesystem::remove(output, error);
    if (!chosen.empty() && chosen.back() == '\r') chosen.pop_back();
    return started;
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

std::vector<std::string> zenityArguments(const std::string& title, const std::string& defaultFile,
                                         const std::string& pattern) {
    std::string description, filter;
    splitPattern(pattern, description, filter);
    std::vector<std::string> arguments{"--file-selection", "--title=" + title};
    if (!defaultFile.empty()) arguments.push_back("--filename=" + defaultFile);
    if (!pattern.empty()) arguments.push_back("--file-filter=" + description + " | " + filter);
    arguments.push_back("--file-filter=All files | *");
    return arguments;
}

std::vector<std::string> kdialogArguments(const std::string& title, const std::string& defaultFile,
                                          const std::string& pattern) {
    std::string description, filter;
    splitPattern(pattern, description, filter);
    std::vector<std::string> arguments{"--getopenfilename", defaultFile.empty() ? "." : defaultFile};
    if (!pattern.empty()) arguments.push_back(filter + "|" + description);
    arguments.insert(arguments.end(), {"--title", title});
    return arguments;
}

}  // namespace

void messageBox(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    // A video driver without a screen (the tests' dummy): a box shown some other way would wait for ever.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && !detail::driverShowsWindow(driver)) return;
    // A captured pointer could not reach the box's button.
    SDL_Window* window = detail::display().window;
    if (window != nullptr) SDL_SetWindowGrab(window, SDL_FALSE);
    int cursor = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), window);
    SDL_ShowCursor(cursor);
    if (window != nullptr) releasePointer(!detail::display().pointerCaptured);
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

std::string chooseFileToOpen(const std::string& title, const std::string& defaultFile,
                             const std::string& pattern, bool* chooserAvailable) {
    std::string chosen;
    bool ran = false;
    const char* custom = std::getenv("PAGEWELL_FILE_DIALOG");
    if (custom != nullptr && *custom != '\0') {
        std::string program = findInPath(custom);
        ran = !program.empty() && runChooser(program, {}, chosen);
    } else if (std::string zenity = findInPath("zenity"); !zenity.empty()) {
        ran = runChooser(zenity, zenityArguments(title, defaultFile, pattern), chosen);
    } else if (std::string kdialog = findInPath("kdialog"); !kdialog.empty()) {
        ran = runChooser(kdialog, kdialogArguments(title, defaultFile, pattern), chosen);
    }
    if (chooserAvailable != nullptr) *chooserAvailable = ran;
    return ran ? chosen : std::string();
}

}  // namespace media
