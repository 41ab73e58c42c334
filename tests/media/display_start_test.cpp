// Starting the video system: a driver named in SDL_VIDEODRIVER is taken as it is; otherwise only a
// driver that shows a window, found again across an X server's reset, or a clear message and failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"

using namespace media;

namespace {

// Sets (or, with nullptr, removes) an environment variable for the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) setenv(name, value, 1);
        if (value == nullptr) unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_) setenv(name_, old_->c_str(), 1);
        if (!old_) unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

bool showsWindow(const std::string& driver) {
    return !driver.empty() && driver != "offscreen" && driver != "dummy" && driver != "evdev";
}

class VideoStart : public testing::TestWithParam<const char*> {
protected:
    void TearDown() override { stopDisplay(); }
};

TEST_P(VideoStart, ADriverChosenInTheEnvironmentIsTakenAsItIs) {
    ScopedVariable driver("SDL_VIDEODRIVER", GetParam());
    ASSERT_TRUE(startDisplay());
    EXPECT_EQ(videoDriver(), GetParam());
    stopDisplay();
    EXPECT_EQ(videoDriver(), "");
}

INSTANTIATE_TEST_SUITE_P(Display, VideoStart, testing::Values("dummy", "offscreen"));

// Nothing to show a window on: SDL alone would fall back to its off-screen driver without a word.
TEST(Display, WithNoDisplayToReachTheStartFailsAndSaysSoInsteadOfRunningUnseen) {
    std::string emptyRuntime = testing::TempDir() + "pagewell-no-wayland";
    std::filesystem::create_directories(emptyRuntime);
    ScopedVariable driver("SDL_VIDEODRIVER", nullptr);
    ScopedVariable x11("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
    ScopedVariable runtime("XDG_RUNTIME_DIR", emptyRuntime.c_str());
    testing::internal::CaptureStderr();
    bool started = startDisplay();
    std::string message = testing::internal::GetCapturedStderr();
    if (started) {
        EXPECT_TRUE(showsWindow(videoDriver())) << videoDriver();  // a console's own display, say
    } else {
        EXPECT_THAT(message, testing::HasSubstr("Pagewell cannot open the display (DISPLAY not set"));
        EXPECT_EQ(videoDriver(), "");
    }
    stopDisplay();
}

// An X server of its own, which resets whenever its last client leaves.
class ResettingXServer : public testing::Test {
protected:
    void SetUp() override {
        if (access(server, X_OK) != 0 || access(client, X_OK) != 0) GTEST_SKIP() << "needs Xvfb and xdpyinfo";
        std::string numberFile = testing::TempDir() + "pagewell-xvfb-display";
        RunOptions options;
        options.standardOutputFile = numberFile;
        serverId_ = runProgram(server, {"-displayfd", "1", "-screen", "0", "320x240x24", "-nolisten", "tcp"},
                               options);
        ASSERT_NE(serverId_, 0);
        std::string number;
        for (int i = 0; i < 100 && number.empty(); ++i) {
            sleepMilliseconds(50);
            std::ifstream(numberFile) >> number;
        }
        ASSERT_FALSE(number.empty()) << "Xvfb gave no display number";
        display_ = ":" + number;
    }
    void TearDown() override {
        stopDisplay();
        if (serverId_ == 0) return;
        kill(serverId_, SIGTERM);  // lets it remove its socket and lock file
        waitpid(serverId_, nullptr, 0);
        reapFinishedPrograms();
    }
    // A client connects and leaves: the server resets as this returns.
    void touchServer() {
        RunOptions options;
        options.wait = true;
        options.standardOutputFile = "/dev/null";
        runProgram(client, {"-display", display_}, options);
    }

    static constexpr const char* server = "/usr/bin/Xvfb";
    static constexpr const char* client = "/usr/bin/xdpyinfo";
    int serverId_ = 0;
    std::string display_;
};

TEST_F(ResettingXServer, TheViewerStartedRightAfterAClientLeftStillGetsItsX11Display) {
    ScopedVariable driver("SDL_VIDEODRIVER", nullptr);
    ScopedVariable x11("DISPLAY", display_.c_str());
    for (int round = 0; round < 20; ++round) {
        touchServer();
        ASSERT_TRUE(startDisplay()) << "round " << round;
        ASSERT_EQ(videoDriver(), "x11") << "round " << round;
        stopDisplay();
    }
}

}  // namespace
