// One viewer per desktop, with the real program started twice: a later start hands its document to
// the running viewer and ends; a socket left by a crash is replaced; another user's is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "document/document.h"
#include "media/media.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"

extern char** environ;

namespace {

constexpr uid_t nobody = 65534;

// Waits for a condition for up to a generous limit: a guard against hanging, not a measure of speed.
bool eventually(const std::function<bool()>& condition, double seconds = 60) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// The built program as its own process, its output in a log file; killed if still running at the end.
class ViewerProcess {
public:
    ViewerProcess(const std::vector<std::string>& arguments, const std::string& folder,
                  const std::string& log) {
        std::vector<std::string> words{std::string(PAGEWELL_BUILD_DIR) + "/pagewell"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        if (posix_spawn(&pid_, words[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ViewerProcess() {
        if (!running()) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    bool running() {
        if (pid_ == 0 || ended_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    // The exit code once the process has ended by itself, -1 when it did not.
    int exitCode() {
        eventually([this] { return !running(); });
        return ended_ ? exitCode_ : -1;
    }
    // Asks the viewer to end as the window manager's close would, and returns its exit code.
    int stop() {
        if (running()) kill(pid_, SIGTERM);
        return exitCode();
    }
    void crash() {
        kill(pid_, SIGKILL);
        exitCode();
    }

private:
    pid_t pid_ = 0;
    bool ended_ = false;
    int exitCode_ = -1;
};

struct FileFacts {
    bool exists = false;
    bool socket = false;
    uid_t owner = 0;
    mode_t rights = 0;
};

FileFacts factsOf(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return {};
    return {true, S_ISSOCK(info.st_mode), info.st_uid, info.st_mode & 0777};
}

int listeningSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

// Each test has its own runtime folder and display name, so that neither a viewer of the desktop nor
// another test shares its socket, and its own documents, whose cache folders it removes.
class OneViewerPerDisplay : public testing::Test {
protected:
    void SetUp() override {
        runtime_ = makeTemporaryFolder("pagewell-instance-runtime");
        documents_ = makeTemporaryFolder("pagewell-instance-documents");
        ASSERT_FALSE(runtime_.empty());
        ASSERT_FALSE(documents_.empty());
        std::string display = ":instance-test-" + std::to_string(getpid());
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        setenv("DISPLAY", display.c_str(), 1);
        socket_ = runtime_ + media::instanceSocketName(display);
        log_ = runtime_ + "viewers.log";
    }
    void TearDown() override {
        std::error_code ignored;
        for (const std::string& folder : cacheFolders_) std::filesystem::remove_all(folder, ignored);
        if (HasFailure()) {
            std::string log;
            media::readWholeFile(log_, log);
            std::fprintf(stderr, "viewers' output:\n%s\n", log.c_str());
        }
    }

    // A one-page document "<name> <pid>.pdf" and the cache folder a viewer makes for it.
    std::string makeDocument(const std::string& name) {
        std::string file = name + " " + std::to_string(getpid()) + ".pdf";
        EXPECT_TRUE(makeNumberedPdf(documents_ + file, 1));
        std::string path = documents_ + file;
        cacheFolders_.push_back(std::string(PAGEWELL_BUILD_DIR) + "/cache/" +
                                cacheFolderName(path, media::fileModificationTime(path)) + "/");
        return file;
    }
    // The viewer has opened the document: its information is in the cache.
    bool opened(std::size_t document) {
        return media::filePresent(cacheFolders_.at(document) + "Information.ini");
    }
    std::unique_ptr<ViewerProcess> start(const std::vector<std::string>& arguments) {
        return std::make_unique<ViewerProcess>(arguments, documents_, log_);
    }
    std::unique_ptr<ViewerProcess> startListening() {
        auto viewer = start({});
        EXPECT_TRUE(eventually([&] { return factsOf(socket_).socket || !viewer->running(); }));
        EXPECT_TRUE(viewer->running());
        return viewer;
    }

    std::string runtime_, documents_, socket_, log_;
    std::vector<std::string> cacheFolders_;
};

// The later start names its document relative to its own folder, which the first viewer does not
// share; it ends at once with status 0 and the first viewer opens the document.
TEST_F(OneViewerPerDisplay, LaterStartHandsItsDocumentToTheRunningViewer) {
    std::string document = makeDocument("handed over");
    auto first = startListening();
    FileFacts socket = factsOf(socket_);
    EXPECT_EQ(socket.owner, geteuid());
    EXPECT_EQ(socket.rights, 0600u);

    auto second = start({document});
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(eventually([&] { return opened(0); }));
    auto frontOnly = start({});
    EXPECT_EQ(frontOnly->exitCode(), 0);
    EXPECT_TRUE(first->running());

    EXPECT_EQ(first->stop(), 0);
    EXPECT_FALSE(factsOf(socket_).exists) << "the socket goes with its viewer";
}

TEST_F(OneViewerPerDisplay, NewWindowStartsASeparateViewer) {
    std::string document = makeDocument("own window");
    auto first = startListening();
    auto second = start({"--new-window", document});
    EXPECT_TRUE(eventually([&] { return opened(0) || !second->running(); }));
    EXPECT_TRUE(opened(0));
    EXPECT_TRUE(second->running());
    EXPECT_EQ(second->stop(), 0);
    EXPECT_TRUE(factsOf(socket_).socket) << "the separate viewer must leave the first one's socket alone";
    EXPECT_EQ(first->stop(), 0);
}

// A viewer that crashed left its socket file: the next start opens the document itself and takes
// the socket over, so that the start after it is handed over again.
TEST_F(OneViewerPerDisplay, SocketOfACrashedViewerIsReplaced) {
    std::string document = makeDocument("after a crash");
    auto crashed = startListening();
    crashed->crash();
    ASSERT_TRUE(factsOf(socket_).socket);

    auto successor = start({document});
    EXPECT_TRUE(eventually([&] { return opened(0) || !successor->running(); }));
    EXPECT_TRUE(opened(0));
    EXPECT_TRUE(successor->running());
    auto later = start({});
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_EQ(successor->stop(), 0);
}

enum class Foreign { socketFile, listener };

class ForeignSocket : public OneViewerPerDisplay, public testing::WithParamInterface<Foreign> {};

// Nothing is handed to another user's socket, nor is it removed: the viewer runs on its own and says
// why. Only root can make a socket belong to someone else.
TEST_P(ForeignSocket, IsRefusedAndLeftAlone) {
    if (geteuid() != 0) GTEST_SKIP() << "making a socket of another user needs root";
    std::string document = makeDocument("not handed");
    int fd = listeningSocket(socket_);
    ASSERT_GE(fd, 0);
    pid_t listener = 0;
    if (GetParam() == Foreign::socketFile) {
        ASSERT_EQ(listen(fd, 4), 0);
        ASSERT_EQ(chown(socket_.c_str(), nobody, nobody), 0);
    } else {
        // The file stays ours; the process listening on it is another user's.
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        listener = fork();
        ASSERT_GE(listener, 0);
        if (listener == 0) {
            if (setgid(nobody) != 0 || setuid(nobody) != 0 || listen(fd, 4) != 0) _exit(1);
            if (write(ready[1], "l", 1) != 1) _exit(1);
            while (true) pause();
        }
        close(ready[1]);
        char listening = 0;
        ASSERT_EQ(read(ready[0], &listening, 1), 1);
        close(ready[0]);
    }
    FileFacts before = factsOf(socket_);
    auto viewer = start({document});
    EXPECT_TRUE(eventually([&] { return opened(0) || !viewer->running(); }));
    EXPECT_TRUE(opened(0));
    EXPECT_EQ(viewer->stop(), 0);
    std::string log;
    media::readWholeFile(log_, log);
    EXPECT_NE(log.find("another user"), std::string::npos);
    FileFacts after = factsOf(socket_);
    EXPECT_TRUE(after.socket);
    EXPECT_EQ(after.owner, before.owner);
    if (GetParam() == Foreign::socketFile) {
        EXPECT_LT(accept(fd, nullptr, nullptr), 0) << "the viewer must not connect to another user's socket";
    } else {
        kill(listener, SIGKILL);
        waitpid(listener, nullptr, 0);
    }
    close(fd);
}

INSTANTIATE_TEST_SUITE_P(Owners, ForeignSocket, testing::Values(Foreign::socketFile, Foreign::listener),
                         [](const testing::TestParamInfo<Foreign>& info) {
                             return info.param == Foreign::socketFile ? "FileOfAnotherUser"
                                                                      : "ListenerOfAnotherUser";
                         });
