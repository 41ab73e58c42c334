// Test helpers for the tool programs: running one with a time limit, scratch folders, reading outputs.
#include "tests/tools/tool_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "tests/support/polling.h"

extern char** environ;

namespace {

bool waitWithLimit(pid_t pid, double seconds, int& status, const std::function<void(int)>& watch) {
    pid_t ended = 0;
    auto look = [&] {
        ended = waitpid(pid, &status, WNOHANG);
        if (ended == 0 && watch) watch(static_cast<int>(pid));
        return ended != 0;
    };
    if (eventually(look, seconds)) return ended == pid;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

std::vector<char*> environmentWith(const std::vector<std::string>& additions) {
    std::vector<char*> entries;
    for (char** entry = environ; *entry; ++entry)
        if (std::string(*entry).rfind("PAGEWELL_PASSWORD=", 0) != 0) entries.push_back(*entry);
    for (const std::string& addition : additions) entries.push_back(const_cast<char*>(addition.c_str()));
    entries.push_back(nullptr);
    return entries;
}

// One run of words[0]; killedFromOutside is set when something else sent the process SIGKILL.
ToolRun runOnce(std::vector<std::string> words, double timeLimitSeconds,
                const std::vector<std::string>& environment, const std::function<void(int)>& watch,
                bool& killedFromOutside) {
    ToolRun run;
    ScratchFolder capture;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, capture.path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, capture.path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    std::vector<char*> envp = environmentWith(environment);
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    run.timedOut = !waitWithLimit(pid, timeLimitSeconds, status, watch);
    killedFromOutside = !run.timedOut && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (!run.timedOut && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.standardOutput = readWholeFile(capture.path("out"));
    run.standardError = readWholeFile(capture.path("err"));
    return run;
}

}  // namespace

// Viewer tests running at the same time stop converters by name ("pdftopng.exe") with SIGKILL; a crash
// never ends with SIGKILL, so such a run is simply repeated.
ToolRun runTool(const std::string& name, const std::vector<std::string>& arguments, double timeLimitSeconds,
                const std::vector<std::string>& environment) {
    std::vector<std::string> words = {toolPath(name)};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runCommand(words, timeLimitSeconds, {}, environment);
}

ToolRun runCommand(const std::vector<std::string>& words, double timeLimitSeconds,
                   const std::function<void(int)>& watch, const std::vector<std::string>& environment) {
    ToolRun run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool killedFromOutside = false;
        run = runOnce(words, timeLimitSeconds, environment, watch, killedFromOutside);
        if (!killedFromOutside) break;
    }
    return run;
}

std::string toolPath(const std::string& name) {
    return std::string(PAGEWELL_TOOL_FOLDER) + name;
}

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/pagewell tools XXXXXX";
    const char* made = mkdtemp(pattern);
    folder_ = made ? std::string(made) + "/" : "/tmp/";
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (folder_ != "/tmp/") std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::string> ScratchFolder::fileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readWholeFile(const std::string& path) {
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

bool writeWholeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
    return static_cast<bool>(file);
}

bool fileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

bool readPngHeader(const std::string& path, PngHeader& header) {
    std::string bytes = readWholeFile(path).substr(0, 26);
    if (bytes.size() < 26 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return false;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    header.width = (at(16) << 24) | (at(17) << 16) | (at(18) << 8) | at(19);
    header.height = (at(20) << 24) | (at(21) << 16) | (at(22) << 8) | at(23);
    header.bitDepth = at(24);
    header.colourType = at(25);
    return true;
}

InfoValues parseInfo(const std::string& output) {
    InfoValues values;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Pages:", 0) == 0) {
            values.pages = std::atoi(line.c_str() + 6);
            ++values.pageLines;
        }
        if (line.rfind("Page size:", 0) == 0 &&
            std::sscanf(line.c_str() + 10, " %lf x %lf", &values.width, &values.height) != 2)
            values.width = values.height = -1;
    }
    return values;
}

std::vector<CorpusDocument> corpusDocuments() {
    std::vector<CorpusDocument> documents;
    std::istringstream lines(readWholeFile(std::string(PAGEWELL_CORPUS_DIR) + "SOURCES.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > 4 && line[0] != ' ' && line.compare(line.size() - 4, 4, ".pdf") == 0)
            documents.push_back({std::string(PAGEWELL_CORPUS_DIR) + line});
        else if (!documents.empty() && line.rfind("  pages:", 0) == 0)
            documents.back().pages = std::atoi(line.c_str() + 8);
        else if (!documents.empty() && line.rfind("  size:", 0) == 0)
            std::sscanf(line.c_str() + 7, " %lf x %lf", &documents.back().width, &documents.back().height);
    }
    return documents;
}
