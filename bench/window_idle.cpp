// The built viewer in a real X window (Xvfb, 1080 x 1920), started as users start it, with no SDL
// variable set (the renderer is the program's own choice), driven with xdotool: the share of one core
// it uses on the welcome screen, with a page shown and the pointer still or moving, with a zoomed page
// nobody touches, and with the thumbnail sheet shown, and its frames per second against the 240 cap;
// then its peak memory while zooming and panning for 30 s on a 4K portrait screen (2160 x 3840)
// against the same on the 1080 x 1920 one. "name: value" lines; the CPU shares are the viewer's own
// CPU time over the wall time measured.
#include <fcntl.h>
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
#include "tests/support/x_server.h"

extern char** environ;

namespace {

constexpr int frameCap = 240;
constexpr double measuredSeconds = 5.0;
constexpr double settleSeconds = 1.5;
constexpr double zoomingSeconds = 30.0;
const char* const portraitScreen = "1080x1920x24";
const char* const portrait4kScreen = "2160x3840x24";
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

// Starts a program with the given environment, its output to logFile.
pid_t spawn(const std::vector<std::string>& words, char** environment, const std::string& logFile) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
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
    pid_t pid = spawn(words, session.environment.get(), session.work + "xdotool.log");
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
    pid_t pid = spawn(words, session.environment.get(), session.work + "viewer.log");
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
    return spawn(words, session.environment.get(), session.work + "xdotool.log");
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
    xdotool(session, {"mousemove", "540", "1200"});
    for (int step = 0; step < 3; ++step) xdotool(session, {"key", "--clearmodifiers", "ctrl+equal"});
    pause(settleSeconds);
    print("page_zoomed_still", measure(session, viewer));
    xdotool(session, {"key", "--clearmodifiers", "ctrl+0"});
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
bool startServer(Session& session, XServer& server, const std::string& screen = portraitScreen) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool started = server.start(screen, {"-noreset"}, session.work + "xvfb.log");
        if (started) remember(server.processId());
        session.display = server.display();
        session.environment = viewerEnvironment(session.work, session.display);
        if (started && xdotool(session, {"getdisplaygeometry"})) return true;
        forget(server.processId());
        server.stop();
    }
    return false;
}

long peakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// A reader's zooming and panning, in fractions of the screen: Control+plus twice, taps that glide the
// page, a zoom drag, Control+minus, the fit again; over and over for the given time.
void zoomAndPan(Session& session, int width, int height, double seconds) {
    auto at = [&](double x, double y) {
        return std::vector<std::string>{std::to_string(static_cast<int>(x * width)),
                                        std::to_string(static_cast<int>(y * height))};
    };
    auto click = [&](double x, double y) {
        std::vector<std::string> move = at(x, y);
        xdotool(session, {"mousemove", move[0], move[1], "click", "1"});
    };
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0;
         std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds; ++round) {
        xdotool(session, {"key", "--clearmodifiers", "ctrl+equal"});
        pause(0.3);
        xdotool(session, {"key", "--clearmodifiers", "ctrl+equal"});
        pause(0.6);
        click(0.3 + 0.05 * (round % 3), 0.35);
        pause(0.6);
        click(0.65, 0.6 - 0.05 * (round % 2));
        pause(0.6);
        std::vector<std::string> from = at(0.4, 0.5);
        xdotool(session, {"mousemove", from[0], from[1], "mousedown", "1"});
        for (int step = 1; step <= 6; ++step) {
            std::vector<std::string> to = at(0.4 + 0.02 * step, 0.5);
            xdotool(session, {"mousemove", to[0], to[1], "sleep", "0.02"});
        }
        xdotool(session, {"mouseup", "1"});
        pause(0.6);
        xdotool(session, {"key", "--clearmodifiers", "ctrl+minus"});
        pause(0.4);
        xdotool(session, {"key", "--clearmodifiers", "ctrl+0"});
        pause(0.4);
    }
}

// The viewer's peak resident memory over zooming and panning on a screen of its own; -1 on failure.
long zoomingPeak(const std::string& screen, int width, int height, const std::string& document) {
    Session session;
    session.work = makeTemporaryFolder("pagewell-window-memory");
    XServer server;
    if (!startServer(session, server, screen)) return -1;
    long peak = -1;
    if (pid_t viewer = startViewer(session, document); viewer != 0) {
        xdotool(session, {"mousemove", std::to_string(width / 2), std::to_string(height / 2)});
        pause(settleSeconds);
        zoomAndPan(session, width, height, zoomingSeconds);
        pause(settleSeconds);
        peak = peakKilobytes(viewer);
        endViewer(session, viewer);
    }
    forget(server.processId());
    server.stop();
    return peak;
}

void memoryScenes(const std::string& document) {
    const long portrait = zoomingPeak(portraitScreen, 1080, 1920, document);
    const long portrait4k = zoomingPeak(portrait4kScreen, 2160, 3840, document);
    if (portrait <= 0 || portrait4k <= 0) {
        std::printf("window_memory_failed: 1\n");
        return;
    }
    std::printf("window_memory.zooming_30s_peak_rss_1080x1920_mb: %.1f\n", portrait / 1024.0);
    std::printf("window_memory.zooming_30s_peak_rss_2160x3840_mb: %.1f\n", portrait4k / 1024.0);
    std::printf("window_memory.zooming_30s_peak_rss_ratio_4k_to_1080x1920: %.3f\n",
                static_cast<double>(portrait4k) / static_cast<double>(portrait));
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, endRunningPrograms);
    if (!XServer::installed() || !onPath("xdotool")) {
        std::printf("window_idle: skipped, Xvfb or xdotool is not installed\n");
        return 0;
    }
    Session session;
    session.work = makeTemporaryFolder("pagewell-window-idle");
    XServer server;
    if (!startServer(session, server)) {
        std::ifstream log(session.work + "xvfb.log");
        std::fprintf(stderr, "window_idle: Xvfb did not start\n%s\n",
                     std::string(std::istreambuf_iterator<char>(log), {}).c_str());
        return 1;
    }
    std::printf("window_idle.fps_cap: %d\n", frameCap);
    welcomeScene(session);
    std::string document = std::string(PAGEWELL_CORPUS_DIR) + corpusDocument;
    const bool converted = convertDocument(session, document);
    if (converted) pageScenes(session, document);
    forget(server.processId());
    server.stop();
    if (converted) memoryScenes(document);
    return 0;
}
