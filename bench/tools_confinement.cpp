// What confining the tool programs costs: the 311-page manual converted as the viewer converts it
// (one pdftopng.exe run per page at 120 dpi, then pdftotext.exe once), by the confined tools and by
// the same program built without its confinement, page by page in turn within one run.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int pageCount = 311;

using Clock = std::chrono::steady_clock;

std::string documentPath() {
    return std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf";
}

// The program at path, started under the name the viewer starts it under; true when it succeeded.
// Viewer tests running beside the benchmark stop converters by name: such a run is repeated.
bool run(const std::string& path, std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    for (int attempt = 0; attempt < 3; ++attempt) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (spawned != 0 || waitpid(pid, &status, 0) != pid) return false;
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) continue;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return false;
}

struct Variant {
    const char* name;
    std::string program;  // pdftopng.exe, confined or not
    std::string folder;   // its own output folder
    double seconds = 0.0;
};

bool convertPage(Variant& variant, int page) {
    const auto start = Clock::now();
    const std::string number = std::to_string(page);
    const bool done = run(variant.program, {"pdftopng.exe", "-q", "-f", number, "-l", number, "-r", "120",
                                            documentPath(), variant.folder + "page"});
    variant.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    std::filesystem::remove(variant.folder + "page-" + std::string(6 - number.size(), '0') + number + ".png");
    return done;
}

bool extractText(Variant& variant) {
    const auto start = Clock::now();
    const bool done =
        run(variant.program, {"pdftotext.exe", "-q", documentPath(), variant.folder + "text.txt"});
    variant.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return done;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    char pattern[] = "/tmp/pagewell confinement XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string root = std::string(pattern) + "/";
    Variant confined{"confined", std::string(PAGEWELL_TOOL_FOLDER) + "pdftopng.exe", root + "confined/"};
    Variant unconfined{"unconfined", std::string(PAGEWELL_BUILD_DIR) + "/bench/pdftopng-unconfined",
                       root + "free/"};
    std::filesystem::create_directories(confined.folder);
    std::filesystem::create_directories(unconfined.folder);
    bool failed = false;
    // In turn, the order changing every page, so that neither meets the machine's busier moments more.
    for (int page = 1; page <= pageCount && !failed; ++page) {
        Variant& first = page % 2 ? confined : unconfined;
        Variant& second = page % 2 ? unconfined : confined;
        failed = !convertPage(first, page) || !convertPage(second, page);
    }
    failed = failed || !extractText(confined) || !extractText(unconfined);
    std::filesystem::remove_all(root);
    if (failed) {
        std::printf("confinement_failed: 1\n");
        return 1;
    }
    std::printf("confinement_311_pages_confined_s: %.2f\n", confined.seconds);
    std::printf("confinement_311_pages_unconfined_s: %.2f\n", unconfined.seconds);
    std::printf("confinement_ratio_confined_to_unconfined: %.3f\n", confined.seconds / unconfined.seconds);
    return 0;
}
