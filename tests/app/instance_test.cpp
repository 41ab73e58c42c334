// One viewer per desktop: the socket's folder and messages within one process; then the real program
// started more than once: a later start hands its document to the running viewer and ends, a socket
// left by a crash is replaced, another user's is refused.
#include "app/instance.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/startup_rules.h"
#include "document/document.h"
#include "media/system/system.h"
#include "tests/support/harness.h"
#include "tests/support/pdf_maker.h"
#include "tests/support/polling.h"

namespace {

// The built program in its own process and folder; its output goes to the test's. Killed at the end.
class ViewerProcess {
public:
    ViewerProcess(const std::vector<std::string>& words, const std::string& folder) {
        media::RunOptions options;
        options.workingFolder = folder;
        pid_ = media::runProgram(std::string(PAGEWELL_BUILD_DIR) + "/pagewell", words, options);
    }
    ~ViewerProcess() { stop(SIGKILL); }
    bool running() {
        int status = 0;
        if (pid_ == 0 || exitCode_ >= 0) return false;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    // The exit code once the process has ended, -1 when it goes on.
    int exitCode() {
        eventually([this] { return !running(); });
        return exitCode_;
    }
    // Ends the viewer as closing its window would (SIGKILL: as a crash would).
    int stop(int signal = SIGTERM) {
        if (running()) kill(pid_, signal);
        return exitCode();
    }

private:
    pid_t pid_ = 0;
    int exitCode_ = -1;
};

struct stat factsOf(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) info.st_mode = 0;
    return info;
}

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

int boundSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address = addressOf(path);
    return bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

int connectTo(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = addressOf(path);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

// What a few frames take: the bytes sent so far are already in the socket, so frames need no pause.
bool takenInFrames(std::string& path, int frames = 3) {
    for (int i = 0; i < frames; ++i)
        if (takeHandedDocument(path)) return true;
    return false;
}

}  // namespace

// The runtime folder only when it is ours and closed to others; else our own folder under the
// temporary folder, closed when found open, and never another user's.
TEST(InstanceSocket, FolderIsAlwaysPrivate) {
    std::string root = makeTemporaryFolder("pagewell-instance-folder");
    std::string runtime = root + "runtime/", fallback = root + "pagewell-" + std::to_string(geteuid()) + "/";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    setenv("TMPDIR", root.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(instanceFolder(), runtime);
    ASSERT_EQ(chmod(runtime.c_str(), 0755), 0);
    EXPECT_EQ(instanceFolder(), fallback);
    ASSERT_EQ(chmod(fallback.c_str(), 0777), 0);
    EXPECT_EQ(instanceFolder(), fallback);
    EXPECT_EQ(factsOf(fallback).st_mode & 0777, 0700u);
    if (geteuid() != 0) return;  // only root can give the folder to someone else
    ASSERT_EQ(chown(fallback.c_str(), 65534, 65534), 0);
    EXPECT_EQ(instanceFolder(), "");
}

// A message counts, and is answered, only once whole, however many frames its pieces take; one cut
// short opens nothing.
TEST(InstanceSocket, OwnerTakesWholeMessagesOnly) {
    setenv("XDG_RUNTIME_DIR", makeTemporaryFolder("pagewell-instance-owner").c_str(), 1);
    ASSERT_EQ(claimInstance("").role, InstanceRole::owner);
    int split = connectTo(instanceSocketPath()), cut = connectTo(instanceSocketPath());
    std::string path;
    ASSERT_EQ(send(split, "/docs/a b", 9, 0), 9);
    ASSERT_EQ(send(cut, "/cut", 4, 0), 4);
    close(cut);
    EXPECT_FALSE(takenInFrames(path));
    ASSERT_EQ(send(split, ".pdf\0", 5, 0), 5);
    ASSERT_TRUE(takenInFrames(path));
    EXPECT_EQ(path, "/docs/a b.pdf");
    char answer = 0;
    pollfd wait{split, POLLIN, 0};
    EXPECT_TRUE(poll(&wait, 1, 5000) == 1 && recv(split, &answer, 1, 0) == 1 && answer == 'y');
    EXPECT_FALSE(takenInFrames(path));
    close(split);
    releaseInstance();
}

// Each test has its own runtime folder and display name, so that no viewer of the desktop and no other
// test shares its socket, and its own documents, whose cache folders it removes.
class OneViewerPerDisplay : public testing::Test {
protected:
    void SetUp() override {
        std::string display = ":instance-test-" + std::to_string(getpid());
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        setenv("DISPLAY", display.c_str(), 1);
        socket_ = runtime_ + instanceSocketName(display);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const std::string& cache : caches_)
            for (const std::string& folder : {runtime_, documents_})
                std::filesystem::remove_all(cacheRootFor(folder) + cache, ignored);
    }

    // Where a viewer started in folder keeps its caches: beside the program, or in that folder for a
    // program built in the temporary folder.
    static std::string cacheRootFor(const std::string& folder) {
        return cacheParentFolder(std::string(PAGEWELL_BUILD_DIR) + "/", media::temporaryFolder(), folder) +
               "cache/";
    }
    // A one-page document "<name> <pid>.pdf"; opened(n) tells when a viewer (started in the runtime or
    // the documents' folder) has the n-th one's information.
    std::string makeDocument(const std::string& name) {
        std::string file = name + " " + std::to_string(getpid()) + ".pdf";
        EXPECT_TRUE(makeNumberedPdf(documents_ + file, 1));
        caches_.push_back(cacheFolderName(file, media::fileModificationTime(documents_ + file)) + "/");
        return file;
    }
    bool opened(std::size_t document) {
        for (const std::string& folder : {runtime_, documents_})
            if (media::filePresent(cacheRootFor(folder) + caches_.at(document) + "Information.ini"))
                return true;
        return false;
    }
    // Started in the documents' folder, so that documents are named relative to it.
    std::unique_ptr<ViewerProcess> start(const std::vector<std::string>& words) {
        return std::make_unique<ViewerProcess>(words, documents_);
    }
    // A viewer without a document, in a folder of its own, once it listens.
    std::unique_ptr<ViewerProcess> startListening() {
        auto viewer = std::make_unique<ViewerProcess>(std::vector<std::string>{}, runtime_);
        EXPECT_TRUE(eventually([&] { return S_ISSOCK(factsOf(socket_).st_mode) || !viewer->running(); }));
        return viewer;
    }
    // The viewer opened the document itself and goes on running.
    void expectOpensItself(ViewerProcess& viewer, std::size_t document) {
        EXPECT_TRUE(eventually([&] { return opened(document) || !viewer.running(); }));
        EXPECT_TRUE(opened(document));
        EXPECT_EQ(viewer.stop(), 0);
    }

    std::string runtime_ = makeTemporaryFolder("pagewell-instance-runtime");
    std::string documents_ = makeTemporaryFolder("pagewell-instance-documents");
    std::string socket_;
    std::vector<std::string> caches_;  // the documents' cache folder names
};

TEST_F(OneViewerPerDisplay, LaterStartsHandOverUnlessANewWindowIsAsked) {
    std::string handed = makeDocument("handed over"), separate = makeDocument("own window");
    auto first = startListening();
    EXPECT_EQ(factsOf(socket_).st_uid, geteuid());
    EXPECT_EQ(factsOf(socket_).st_mode & 0777, 0600u);
    EXPECT_EQ(start({handed})->exitCode(), 0);
    EXPECT_TRUE(eventually([&] { return opened(0); })) << "the first viewer must open the handed document";
    EXPECT_EQ(start({})->exitCode(), 0) << "a start without a document only brings the viewer forward";
    auto second = start({"--new-window", separate});
    expectOpensItself(*second, 1);
    EXPECT_EQ(first->stop(), 0);
    EXPECT_EQ(factsOf(socket_).st_mode, 0u) << "the socket goes with its viewer";
}

// A later start checks its document as an opening would: one that is missing, empty or no PDF is
// not handed over, and the start ends with status 1 (the running viewer only comes to the front).
TEST_F(OneViewerPerDisplay, LaterStartsRefuseDocumentsThatCannotBeOpened) {
    std::string good = makeDocument("good");
    ASSERT_TRUE(media::writeWholeFile(documents_ + "empty.pdf", ""));
    ASSERT_TRUE(media::writeWholeFile(documents_ + "notes.pdf", "a shopping list, not a PDF\n"));
    auto first = startListening();
    for (const char* bad : {"missing.pdf", "empty.pdf", "notes.pdf"})
        EXPECT_EQ(start({bad})->exitCode(), 1) << bad;
    EXPECT_TRUE(first->running());
    EXPECT_EQ(start({good})->exitCode(), 0);
    EXPECT_TRUE(eventually([&] { return opened(0); }));
    EXPECT_EQ(first->stop(), 0);
}

// A crashed viewer left its socket: the next start opens its document itself and takes the socket
// over, so that the start after it is handed over again.
TEST_F(OneViewerPerDisplay, SocketOfACrashedViewerIsReplaced) {
    std::string document = makeDocument("after a crash");
    startListening()->stop(SIGKILL);
    ASSERT_TRUE(S_ISSOCK(factsOf(socket_).st_mode));
    auto successor = start({document});
    EXPECT_TRUE(eventually([&] { return opened(0) || !successor->running(); }));
    EXPECT_EQ(start({})->exitCode(), 0);
    expectOpensItself(*successor, 0);
}

// Nothing is handed to another user's socket, nor to a socket of ours that another user's process
// listens on, and neither is removed: the viewer runs on its own. Only root can play the other user.
TEST_F(OneViewerPerDisplay, SocketOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "playing another user needs root";
    std::string document = makeDocument("not handed"), second = makeDocument("not handed either");
    int listener = boundSocket(socket_);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(chown(socket_.c_str(), 65534, 65534), 0);
    expectOpensItself(*start({document}), 0);
    EXPECT_LT(accept(listener, nullptr, nullptr), 0) << "nothing may connect to another user's socket";
    EXPECT_EQ(factsOf(socket_).st_uid, 65534u);
    close(listener);

    ASSERT_EQ(unlink(socket_.c_str()), 0);
    listener = boundSocket(socket_);
    pid_t otherUser = fork();
    if (otherUser == 0) {
        if (setgid(65534) == 0 && setuid(65534) == 0 && listen(listener, 4) == 0) pause();
        _exit(1);
    }
    ASSERT_GT(otherUser, 0);
    EXPECT_TRUE(eventually([&] {
        const int fd = connectTo(socket_);
        return fd >= 0 && close(fd) == 0;
    }));
    expectOpensItself(*start({second}), 1);
    EXPECT_EQ(factsOf(socket_).st_uid, 0u);
    kill(otherUser, SIGKILL);
    waitpid(otherUser, nullptr, 0);
    close(listener);
}
