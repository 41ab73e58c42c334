// X servers of a test's or a benchmark's own: Xvfb on a display it picks itself, and a test fixture
// that runs the display on one (skipped where Xvfb is not installed).
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Xvfb started on a free display, which it names itself; ended (and waited for) when it goes.
class XServer {
public:
    XServer() = default;
    ~XServer() { stop(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    static bool installed();  // Xvfb is on the PATH
    // Starts Xvfb with the screen ("1080x1920x24") and further options, its output to logFile; true
    // once it has named its display (within ten seconds).
    bool start(const std::string& screen, const std::vector<std::string>& options = {},
               const std::string& logFile = "/dev/null");
    void stop();                                             // SIGTERM: it removes its socket and lock
    const std::string& display() const { return display_; }  // ":N", or "" when not running
    pid_t processId() const { return pid_; }

private:
    pid_t pid_ = 0;
    int channel_ = -1;  // the display number's pipe, open while the server runs
    std::string display_;
};

// Sets (or, with nullptr, removes) an environment variable for the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// An X server of the test's own; without -noreset it resets whenever its last client leaves. The
// display is stopped and the server ended at the end of the test.
class XServerTest : public testing::Test {
protected:
    void startServer(const std::string& screen);
    void TearDown() override;

    XServer server_;
    std::string display_;
};
