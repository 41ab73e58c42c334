// Measures pdftopng.exe at 120 dpi on the longest corpus manual: one process per page against one for all.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kPageCount = 311;
constexpr int kPagesPerEnd = 20;
constexpr const char* kDotsPerInch = "120";

std::string toolPath() {
    return std::string(PAGEWELL_TOOL_FOLDER) + "pdftopng.exe";
}
std::string documentPath() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}

// Runs the converter for pages first..last once: 0 done, 1 failed, 2 killed by SIGKILL from outside.
int convertOnce(int first, int last, const std::string& root) {
    std::vector<std::string> words = {toolPath(),           "-q", "-f",         std::to_string(first), "-l",
                                      std::to_string(last), "-r", kDotsPerInch, documentPath(),        root};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid) return 1;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return 2;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

// False when the converter does not succeed (its message goes to stderr). Viewer tests running at the
// same time stop converters by name; such a run is repeated.
bool convert(int first, int last, const std::string& root) {
    int result = 2;
    for (int attempt = 0; attempt < 3 && result == 2; ++attempt) result = convertOnce(first, last, root);
    return result == 0;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Milliseconds per page, or a negative value when a run failed.
double perPageProcesses(int first, int last, const std::string& root) {
    auto start = std::chrono::steady_clock::now();
    for (int page = first; page <= last; ++page)
        if (!convert(page, page, root)) return -1;
    return millisecondsSince(start) / (last - first + 1);
}

double oneProcess(int first, int last, const std::string& root) {
    auto start = std::chrono::steady_clock::now();
    if (!convert(first, last, root)) return -1;
    return millisecondsSince(start) / (last - first + 1);
}

void report(const char* name, double value) {
    std::printf("%s: %.1f\n", name, value);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/pagewell bench XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    std::string root = std::string(pattern) + "/page";
    const int lastFirst = kPageCount - kPagesPerEnd + 1;
    double firstSeparate = perPageProcesses(1, kPagesPerEnd, root);
    double lastSeparate = perPageProcesses(lastFirst, kPageCount, root);
    double firstTogether = oneProcess(1, kPagesPerEnd, root);
    double lastTogether = oneProcess(lastFirst, kPageCount, root);
    std::filesystem::remove_all(pattern);
    report("first_20_pages_ms_per_page_one_process_each", firstSeparate);
    report("last_20_pages_ms_per_page_one_process_each", lastSeparate);
    report("first_20_pages_ms_per_page_one_process", firstTogether);
    report("last_20_pages_ms_per_page_one_process", lastTogether);
    if (firstTogether > 0 && lastTogether > 0) {
        report("ratio_first_process_each_to_one_process", firstSeparate / firstTogether);
        report("ratio_last_process_each_to_one_process", lastSeparate / lastTogether);
    }
    bool failed = firstSeparate < 0 || lastSeparate < 0 || firstTogether < 0 || lastTogether < 0;
    return failed ? 1 : 0;
}
