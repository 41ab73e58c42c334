// X servers of a test's or a benchmark's own: Xvfb started with -displayfd, its display read from a pipe.
#include "tests/support/x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "media/media.h"

extern char** environ;

namespace {

constexpr int displayNumberMilliseconds = 10000;

pid_t spawnServer(const std::vector<std::string>& words, int channel, const std::string& logFile) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_adddup2(&actions, channel, 3);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : 0;
}

// The display number up to its line end, waiting for each byte at most the given time.
std::string readDisplayNumber(int channel) {
    std::string line;
    pollfd ready{channel, POLLIN, 0};
    char byte = 0;
    while (line.size() < 16 && poll(&ready, 1, displayNumberMilliseconds) == 1 &&
           read(channel, &byte, 1) == 1 && byte != '\n')
        line += byte;
    if (byte != '\n' || line.empty()) return "";
    return ":" + std::to_string(std::atoi(line.c_str()));
}

}  // namespace

bool XServer::installed() {
    std::stringstream folders(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/Xvfb").c_str(), X_OK) == 0) return true;
    return false;
}

bool XServer::start(const std::string& screen, const std::vector<std::string>& options,
                    const std::string& logFile) {
    stop();
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) return false;
    std::vector<std::string> words = {"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"};
    words.insert(words.end(), options.begin(), options.end());
    pid_ = spawnServer(words, channel[1], logFile);
    close(channel[1]);
    channel_ = channel[0];
    display_ = pid_ > 0 ? readDisplayNumber(channel_) : "";
    if (display_.empty()) stop();
    return !display_.empty();
}

void XServer::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (channel_ >= 0) close(channel_);
    pid_ = 0;
    channel_ = -1;
    display_.clear();
}

ScopedVariable::ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
}

ScopedVariable::~ScopedVariable() {
    old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_);
}

void XServerTest::startServer(const std::string& screen) {
    if (!XServer::installed()) GTEST_SKIP() << "needs Xvfb";
    ASSERT_TRUE(server_.start(screen)) << "Xvfb gave no display number";
    display_ = server_.display();
}

void XServerTest::TearDown() {
    media::stopDisplay();
    server_.stop();
}
