// For display tests on a real X server: an environment variable set for a scope, and an Xvfb server of
// the test's own (skipped where Xvfb is not installed).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "media/display/display.h"
#include "media/system/system.h"

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

// An X server of the test's own; it resets whenever its last client leaves. The display is stopped
// and the server ended at the end of the test.
class XServerTest : public testing::Test {
protected:
    void startServer(const std::string& screen) {
        if (access(server, X_OK) != 0) GTEST_SKIP() << "needs Xvfb";
        std::string numberFile = testing::TempDir() + "pagewell-xvfb-display-" + std::to_string(getpid());
        media::RunOptions options;
        options.standardOutputFile = numberFile;
        serverId_ = media::runProgram(server, {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"},
                                      options);
        ASSERT_NE(serverId_, 0);
        std::string number;
        for (int i = 0; i < 100 && number.empty(); ++i) {
            media::sleepMilliseconds(50);
            std::ifstream(numberFile) >> number;
        }
        ASSERT_FALSE(number.empty()) << "Xvfb gave no display number";
        display_ = ":" + number;
    }
    void TearDown() override {
        media::stopDisplay();
        if (serverId_ == 0) return;
        kill(serverId_, SIGTERM);  // lets it remove its socket and lock file
        waitpid(serverId_, nullptr, 0);
        media::reapFinishedPrograms();
    }

    static constexpr const char* server = "/usr/bin/Xvfb";
    int serverId_ = 0;
    std::string display_;
};
