// The built viewer in a real X window (Xvfb, 1080 x 1920), started as users start it, with no SDL
// variable set (the renderer is the program's own choice), driven with xdotool: the share of one core
// it uses on the welcome screen, with a page shown and the pointer still or moving, and with the
// thumbnail sheet shown, and its frames per second against the 240 cap. "name: value" lines; the CPU
// shares are the viewer's own CPU time over the wall time measured.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/harness.h"

extern char** environ;

namespace {

constexpr int frameCap = 240;
constexpr double measuredSeconds = 5.0;
constexpr double settleSeconds = 1.5;
const char* const corpusDocument = "short-ltnews36.pdf";
// The Thumbnails button's centre at 1080 x 1920, in the tool bar shown while the pointer is near the top.
constexpr int thumbnailsX = 94, buttonY = 27;

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// The programs started and not yet waited for: an interrupted run ends them as well.
std::atomic<pid_t> running[16];

void remember(pid_t pid) {
    for (std::atomic<pid_t>& slot : running) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid)) return;
    }
}

void forget(pid_t pid) {
    for (std::atomic<pid_t>& slot : running) {
        pid_t expected = pid;
        slot.compare_exchange_strong(expected, 0);
    }
}

extern "C" void endRunningPrograms(int signal) {
    for (std::atomic<pid_t>& slot : running) {
        if (pid_t pid = slot.load(); pid > 0) kill(pid, SIGTERM);
    }
    _exit(128 + signal);
}

// Starts a program with the given environment; descriptor extraFd (when >= 0) becomes its descriptor 3.
pid_t spawn(const std::vector<std::string>& words, char** environment, int extraFd = -1,
            const std::string& logFile = "/dev/null") {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (extraFd >= 0) posix_spawn_file_actions_adddup2(&actions, extraFd, 3);
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environment);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return 0;
    remember(pid);
    return pid;
}

bool reaped(pid_t pid, int options, int* status = nullptr) {
    if (waitpid(pid, status, options) != pid) return false;
    forget(pid);
    return true;
}

bool waitForExit(pid_t pid, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        if (reaped(pid, WNOHANG)) return true;
        pause(0.05);
    }
    return false;
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!waitForExit(pid, 3.0)) {
        kill(pid, SIGKILL);
        reaped(pid, 0);
    }
}

// Reads the display number the server writes, up to its line end: the server writes the number and
// the line end separately and ends itself when the second write finds the pipe closed.
std::string readDisplayNumber(int channel) {
    std::string line;
    pollfd ready{channel, POLLIN, 0};
    char byte = 0;
    while (line.size() < 16 && poll(&ready, 1, 10000) == 1 && read(channel, &byte, 1) == 1 && byte != '\n') {
        line += byte;
    }
    if (byte != '\n' || line.empty()) return "";
    char name[24];
    std::snprintf(name, sizeof name, ":%d", std::atoi(line.c_str()));
    return name;
}

// The X server picks a free display itself and writes its number to descriptor 3.
pid_t startXvfb(const std::string& work, std::string& display) {
    int channel[2];
    if (pipe(channel) != 0) return 0;
    pid_t pid =
        spawn({"Xvfb", "-displayfd", "3", "-noreset", "-screen", "0", "1080x1920x24", "-nolisten", "tcp"},
              environ, channel[1], work + "xvfb.log");
    close(channel[1]);
    display = pid > 0 ? readDisplayNumber(channel[0]) : "";
    close(channel[0]);
    return pid;
}

struct Environment {
    std::vector<std::string> entries;
    std::vector<char*> pointers;

    void set(const std::string& name, const std::string& value) {
        std::erase_if(entries, [&](const std::string& e) { return e.rfind(name + "=", 0) == 0; });
        entries.push_back(name + "=" + value);
    }
    char** get() {
        pointers.clear();
        for (std::string& entry : entries) pointers.push_back(entry.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

struct Session {
    std::string work;     // temporary folder: frame counts, logs
    std::string display;  // the X display, e.g. ":99"
    Environment environment;
};

Environment viewerEnvironment(const std::string& work, const std::string& display) {
    Environment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("SDL_", 0) != 0) environment.entries.emplace_back(*entry);
    }
    environment.set("DISPLAY", display);
    environment.set("PAGEWELL_FRAME_COUNTS", work + "counts");
    environment.set("PAGEWELL_FILE_DIALOG", "");
    return environment;
}

// xdotool with the session's display; waits for it to end.
bool xdotool(Session& session, std::vector<std::string> words) {
    words.insert(words.begin(), "xdotool");
    pid_t pid = spawn(words, session.environment.get(), -1, session.work + "xdotool.log");
    int status = 0;
    return pid > 0 && reaped(pid, 0, &status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool windowShown(Session& session, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.1) {
        if (xdotool(session, {"search", "--onlyvisible", "--name", "Pagewell"})) return true;
        pause(0.1);
    }
    return false;
}

// The viewer measured: the one built beside this benchmark, or the one PAGEWELL_BENCH_VIEWER names (to
// measure an earlier build in the same conditions). Its program folder must be complete.
std::filesystem::path viewerProgram() {
    const char* other = std::getenv("PAGEWELL_BENCH_VIEWER");
    if (other != nullptr && *other != '\0') return std::filesystem::absolute(other);
    return std::filesystem::path(PAGEWELL_BUILD_DIR) / "pagewell";
}

pid_t startViewer(Session& session, const std::string& document) {
    std::vector<std::string> words{viewerProgram().string()};
    if (!document.empty()) words.push_back(document);
    pid_t pid = spawn(words, session.environment.get(), -1, session.work + "viewer.log");
    if (pid > 0 && windowShown(session, 20.0)) return pid;
    std::ifstream log(session.work + "viewer.log"), tool(session.work + "xdotool.log");
    std::fprintf(stderr, "window_idle: the viewer showed no window\n%s%s\n",
                 std::string(std::istreambuf_iterator<char>(log), {}).c_str(),
                 std::string(std::istreambuf_iterator<char>(tool), {}).c_str());
    stop(pid);
    return 0;
}

void endViewer(Session& session, pid_t viewer) {
    xdotool(session, {"key", "--clearmodifiers", "Escape"});
    if (!waitForExit(viewer, 3.0)) stop(viewer);
}

double cpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t end = text.rfind(')');
    if (end == std::string::npos) return 0;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    long long user = 0, system = 0;
    for (int index = 0; fields >> field; ++index) {
        if (index == 11) user = std::atoll(field.c_str());  // utime, the 14th field
        if (index == 12) system = std::atoll(field.c_str());
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long long framesSoFar(const Session& session) {
    std::ifstream file(session.work + "counts");
    std::string word;
    long long frames = -1;
    if (file >> word >> frames && word == "frames") return frames;
    return -1;
}

struct Figures {
    double cpuShare = 0;
    double fps = 0;
};

Figures measure(Session& session, pid_t viewer) {
    double cpuStart = cpuSeconds(viewer);
    long long framesStart = framesSoFar(session);
    auto start = std::chrono::steady_clock::now();
    pause(measuredSeconds);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Figures figures;
    figures.cpuShare = (cpuSeconds(viewer) - cpuStart) / wall;
    figures.fps = static_cast<double>(framesSoFar(session) - framesStart) / wall;
    return figures;
}

void print(const std::string& scene, const Figures& figures) {
    std::printf("window_idle.%s_cpu_share_of_core: %.3f\n", scene.c_str(), figures.cpuShare);
    std::printf("window_idle.%s_fps: %.1f\n", scene.c_str(), figures.fps);
    std::printf("window_idle.%s_fps_to_cap_ratio: %.3f\n", scene.c_str(), figures.fps / frameCap);
    std::fflush(stdout);
}

// The pointer circles the page's middle for longer than the measurement, one move every 8 ms.
pid_t startCircling(Session& session) {
    std::vector<std::string> words{"xdotool"};
    const int moves = static_cast<int>((measuredSeconds + 2.0) / 0.008);
    for (int i = 0; i < moves; ++i) {
        double angle = i * 0.05;
        words.insert(words.end(),
                     {"mousemove", std::to_string(540 + static_cast<int>(300 * std::cos(angle))),
                      std::to_string(960 + static_cast<int>(300 * std::sin(angle))), "sleep", "0.008"});
    }
    return spawn(words, session.environment.get(), -1, session.work + "xdotool.log");
}

// The viewer keeps its caches beside itself: a cache left by an earlier run is used.
bool cacheComplete() {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(viewerProgram().parent_path() / "cache", error)) {
        if (entry.path().filename().string().ends_with(std::string("_") + corpusDocument) &&
            std::filesystem::exists(entry.path() / "thumb_sheet.png")) {
            return true;
        }
    }
    return false;
}

// A first run converts the document, so that the measured runs show it from its complete cache.
bool convertDocument(Session& session, const std::string& document) {
    if (cacheComplete()) return true;
    pid_t viewer = startViewer(session, document);
    if (viewer == 0) return false;
    bool done = false;
    for (double waited = 0; waited < 180 && !done; waited += 0.5) {
        pause(0.5);
        done = cacheComplete();
    }
    pause(1.0);  // the sheet is written before the last of its clean-up
    endViewer(session, viewer);
    if (!done) std::fprintf(stderr, "window_idle: the document was not converted within 3 minutes\n");
    return done;
}

void welcomeScene(Session& session) {
    pid_t viewer = startViewer(session, "");
    if (viewer == 0) return;
    xdotool(session, {"mousemove", "540", "1500"});
    pause(settleSeconds);
    print("welcome_idle", measure(session, viewer));
    endViewer(session, viewer);
}

void pageScenes(Session& session, const std::string& document) {
    pid_t viewer = startViewer(session, document);
    if (viewer == 0) return;
    xdotool(session, {"mousemove", "540", "1200"});
    pause(settleSeconds);
    print("page_pointer_still", measure(session, viewer));
    pid_t mover = startCircling(session);
    pause(1.0);
    print("page_pointer_moving", measure(session, viewer));
    stop(mover);
    xdotool(session, {"mousemove", std::to_string(thumbnailsX), std::to_string(buttonY)});
    pause(0.3);
    xdotool(session, {"click", "1"});
    pause(0.3);
    xdotool(session, {"mousemove", "540", "1200"});
    pause(settleSeconds);
    print("thumbnail_sheet", measure(session, viewer));
    endViewer(session, viewer);
}

// Other programs on the machine may run X servers of their own and race for a display number: a
// server whose display cannot be used is replaced.
pid_t startServer(Session& session) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        pid_t server = startXvfb(session.work, session.display);
        session.environment = viewerEnvironment(session.work, session.display);
        if (server > 0 && !session.display.empty() && xdotool(session, {"getdisplaygeometry"})) return server;
        stop(server);
        pause(1.0);
    }
    return 0;
}

}  // namespace

int main() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, endRunningPrograms);
    if (!onPath("Xvfb") || !onPath("xdotool")) {
        std::printf("window_idle: skipped, Xvfb or xdotool is not installed\n");
        return 0;
    }
    Session session;
    session.work = makeTemporaryFolder("pagewell-window-idle");
    pid_t server = startServer(session);
    if (server == 0) {
        std::ifstream log(session.work + "xvfb.log");
        std::fprintf(stderr, "window_idle: Xvfb did not start\n%s\n",
                     std::string(std::istreambuf_iterator<char>(log), {}).c_str());
        return 1;
    }
    std::printf("window_idle.fps_cap: %d\n", frameCap);
    welcomeScene(session);
    std::string document = std::string(PAGEWELL_CORPUS_DIR) + corpusDocument;
    if (convertDocument(session, document)) pageScenes(session, document);
    stop(server);
    return 0;
}
