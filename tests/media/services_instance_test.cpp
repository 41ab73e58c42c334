// The viewer's socket inside one process: its name and folder, and the messages of later starts.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "media/media.h"
#include "tests/support/harness.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

int connectTo(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The one-byte answer of the viewer, or 0 when none came within a second.
char answerOn(int fd) {
    pollfd wait{fd, POLLIN, 0};
    char answer = 0;
    if (poll(&wait, 1, 1000) == 1 && recv(fd, &answer, 1, 0) != 1) answer = 0;
    return answer;
}

bool takeWithin(std::string& path, int polls) {
    for (int i = 0; i < polls; ++i) {
        if (media::takeHandedDocument(path)) return true;
        usleep(2000);
    }
    return false;
}

}  // namespace

struct SocketNameCase {
    std::string label;
    std::string display;
    std::string name;
};

class InstanceSocketName : public testing::TestWithParam<SocketNameCase> {};

TEST_P(InstanceSocketName, KeepsOnlySafeCharacters) {
    EXPECT_EQ(media::instanceSocketName(GetParam().display), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Displays, InstanceSocketName,
    testing::Values(SocketNameCase{"X", ":0", "pagewell-_0.sock"},
                    SocketNameCase{"Forwarded", "localhost:10.0", "pagewell-localhost_10.0.sock"},
                    SocketNameCase{"Wayland", "wayland-1", "pagewell-wayland-1.sock"},
                    SocketNameCase{"None", "", "pagewell-none.sock"},
                    SocketNameCase{"Slashes", "../../x y/:1", "pagewell-.._.._x_y__1.sock"},
                    SocketNameCase{"Long", std::string(200, 'd'),
                                   "pagewell-" + std::string(64, 'd') + ".sock"}),
    [](const testing::TestParamInfo<SocketNameCase>& info) { return info.param.label; });

// The runtime folder is used only when it is ours and closed to others; else a private folder under
// the temporary folder is made, and one of ours left open is closed.
TEST(InstanceFolder, RuntimeFolderOnlyWhenPrivateElseOwnFolderUnderTemporary) {
    std::string root = makeTemporaryFolder("pagewell-instance-folder");
    ASSERT_FALSE(root.empty());
    std::string runtime = root + "runtime/";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ScopedVariable temporary("TMPDIR", root);
    std::string fallback = root + "pagewell-" + std::to_string(geteuid()) + "/";
    {
        ScopedVariable variable("XDG_RUNTIME_DIR", root + "runtime");
        EXPECT_EQ(media::instanceFolder(), runtime);
        ASSERT_EQ(chmod(runtime.c_str(), 0755), 0);
        EXPECT_EQ(media::instanceFolder(), fallback);
        EXPECT_EQ(modeOf(fallback) & 0777, 0700u);
    }
    ScopedVariable relative("XDG_RUNTIME_DIR", "runtime");
    ASSERT_EQ(chmod(fallback.c_str(), 0777), 0);
    EXPECT_EQ(media::instanceFolder(), fallback);
    EXPECT_EQ(modeOf(fallback) & 0777, 0700u);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(fallback.c_str(), 65534, 65534), 0);
        EXPECT_EQ(media::instanceFolder(), "") << "another user's folder must never hold our socket";
    }
}

class InstanceOwner : public testing::Test {
protected:
    void SetUp() override {
        runtime_ = makeTemporaryFolder("pagewell-instance-owner");
        ASSERT_FALSE(runtime_.empty());
        runtimeVariable_.emplace("XDG_RUNTIME_DIR", runtime_);
        displayVariable_.emplace("DISPLAY", ":owner-test");
        socket_ = runtime_ + "pagewell-_owner-test.sock";
    }
    void TearDown() override { media::releaseInstance(); }

    std::string runtime_;
    std::string socket_;
    std::optional<ScopedVariable> runtimeVariable_;
    std::optional<ScopedVariable> displayVariable_;
};

// A message may arrive in pieces over several frames; it counts once its end mark is there, and
// only then is it answered.
TEST_F(InstanceOwner, TakesWholeMessagesOnlyAndAnswersEach) {
    media::InstanceClaim claim = media::claimInstance("");
    ASSERT_EQ(claim.role, media::InstanceRole::owner) << claim.problem;
    EXPECT_EQ(media::instanceSocketPath(), socket_);
    EXPECT_TRUE(S_ISSOCK(modeOf(socket_)));
    EXPECT_EQ(modeOf(socket_) & 0777, 0600u);

    int split = connectTo(socket_);
    ASSERT_GE(split, 0);
    std::string path;
    ASSERT_EQ(send(split, "/docs/a b", 9, 0), 9);
    EXPECT_FALSE(takeWithin(path, 20));
    ASSERT_EQ(send(split, ".pdf\0", 5, 0), 5);
    ASSERT_TRUE(takeWithin(path, 200));
    EXPECT_EQ(path, "/docs/a b.pdf");
    EXPECT_EQ(answerOn(split), 'y');
    close(split);

    int closedEarly = connectTo(socket_);
    ASSERT_EQ(send(closedEarly, "/cut", 4, 0), 4);
    close(closedEarly);
    int frontOnly = connectTo(socket_);
    ASSERT_EQ(send(frontOnly, "\0", 1, 0), 1);
    ASSERT_TRUE(takeWithin(path, 200));
    EXPECT_EQ(path, "") << "a message cut short must not open anything";
    EXPECT_EQ(answerOn(frontOnly), 'y');
    close(frontOnly);
    EXPECT_FALSE(takeWithin(path, 20));
}

// The file goes with the viewer, but a socket another viewer has put in its place stays.
TEST_F(InstanceOwner, ReleaseRemovesOnlyItsOwnSocketFile) {
    ASSERT_EQ(media::claimInstance("").role, media::InstanceRole::owner);
    media::releaseInstance();
    EXPECT_EQ(modeOf(socket_), 0u);
    EXPECT_EQ(media::instanceSocketPath(), "");

    ASSERT_EQ(media::claimInstance("").role, media::InstanceRole::owner);
    ASSERT_EQ(unlink(socket_.c_str()), 0);
    ASSERT_TRUE(media::writeWholeFile(socket_, "successor"));
    media::releaseInstance();
    std::string contents;
    EXPECT_TRUE(media::readWholeFile(socket_, contents));
    EXPECT_EQ(contents, "successor");
}

// Something of ours that answers no connection (a socket left by a crash, a stray file) is replaced.
TEST_F(InstanceOwner, ReplacesWhatNoViewerAnswers) {
    ASSERT_TRUE(media::writeWholeFile(socket_, "stray"));
    ASSERT_EQ(media::claimInstance("").role, media::InstanceRole::owner);
    EXPECT_TRUE(S_ISSOCK(modeOf(socket_)));
    int client = connectTo(socket_);
    EXPECT_GE(client, 0);
    if (client >= 0) close(client);
}
