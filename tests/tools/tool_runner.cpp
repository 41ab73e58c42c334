// Test helpers for the tool programs: running one with a time limit, scratch folders, reading outputs.
#include "tests/tools/tool_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

bool waitWithLimit(pid_t pid, double seconds, int& status, const std::function<void(int)>& watch) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) return true;
        if (ended < 0) return false;
        if (watch) watch(static_cast<int>(pid));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
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
    const std::string program = words.front();
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
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
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
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
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

std::string handMadePdf(const std::vector<std::string>& bodies, const std::string& trailerExtra) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
    }
    std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf +=
        "trailer\n<< /Size " + std::to_string(bodies.size() + 1) + " /Root 1 0 R " + trailerExtra + " >>\n";
    return pdf + "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

std::string handMadePagePdf(const std::string& mediaBox, const std::string& extraPageKeys) {
    std::string text = "BT /F1 24 Tf 20 20 Td (Hello) Tj ET";
    return handMadePdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox + " " + extraPageKeys +
            " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    });
}

// The /U entry is not the one the empty password yields, so opening needs the (unknown) password.
std::string passwordProtectedPdf() {
    std::string hex32(64, 'A');
    std::string encrypt = "<< /Filter /Standard /V 1 /R 2 /Length 40 /P -44 /O <" + hex32 + "> /U <" +
                          std::string(64, '5') + "> >>";
    return handMadePdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>", encrypt},
        "/Encrypt 4 0 R /ID [<0123456789ABCDEF0123456789ABCDEF><0123456789ABCDEF0123456789ABCDEF>]");
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
