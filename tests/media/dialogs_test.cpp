// Dialogs beside the frame loop: a chooser runs while frames go on and hands its answer out once,
// one chooser at a time, helper programs found on PATH and given their words without a shell, and
// no helper outliving the display.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "display_window.h"
#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/polling.h"
#include "tests/support/scratch.h"
#include "tests/support/x_server.h"

using namespace media;

namespace {

// A chooser program that prints its answer only once the test lets it go, so that the test sees it
// running; it notes its process id first.
class Dialogs : public DisplayWindow {
protected:
    std::string folder;

    void SetUp() override {
        DisplayWindow::SetUp();
        folder = testing::TempDir() + "pagewell_dialogs_" + std::to_string(getpid()) + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        setenv("PAGEWELL_FILE_DIALOG", "", 1);
        DisplayWindow::TearDown();
        std::filesystem::remove_all(folder);
    }
    void useChooser(const std::string& answer, int exitCode = 0) {
        writeScript(folder + "chooser", "echo $$ > '" + folder + "pid'\nwhile [ ! -e '" + folder +
                                            "go' ]; do sleep 0.01; done\nprintf '" + answer + "'\nexit " +
                                            std::to_string(exitCode) + "\n");
        setenv("PAGEWELL_FILE_DIALOG", (folder + "chooser").c_str(), 1);
    }
    void letGo() { std::ofstream(folder + "go") << "go"; }
    // Frames until the chooser has ended; false after ten seconds.
    bool framesUntilChooserEnds() {
        return eventually([] { return !fileChooserRunning(); }, 10.0,
                          [&] {
                              present();
                              media::sleepMilliseconds(2);
                          });
    }
    int chooserProcess() {
        eventually([&] { return !fileText(folder + "pid").empty(); }, 10.0);
        return std::atoi(fileText(folder + "pid").c_str());
    }
};

TEST_F(Dialogs, TheChooserRunsWhileFramesGoOnAndHandsItsAnswerOutOnce) {
    useChooser("/some where/it'\\''s.pdf\\nsecond line\\n");
    ASSERT_TRUE(startFileChooser("Select PDF file", "*.pdf", "PDF (*.pdf)|*.pdf"));
    for (int frame = 0; frame < 20; ++frame) present();
    EXPECT_TRUE(fileChooserRunning());
    EXPECT_TRUE(dialogRunning());
    EXPECT_EQ(takeChosenFile(), std::nullopt);
    EXPECT_FALSE(startFileChooser("Select PDF file", "*.pdf", "PDF (*.pdf)|*.pdf"))
        << "one chooser at a time";

    letGo();
    ASSERT_TRUE(framesUntilChooserEnds());
    EXPECT_FALSE(dialogRunning());
    EXPECT_EQ(takeChosenFile(), std::optional<std::string>("/some where/it's.pdf"));
    EXPECT_EQ(takeChosenFile(), std::nullopt) << "the answer is handed out once";
}

// Cancelling prints nothing (zenity then ends with 1); a Windows-style line end is not part of the path.
TEST_F(Dialogs, ACancelledChooserAnswersEmptyAndALineEndIsDropped) {
    const std::pair<const char*, const char*> cases[] = {{"", ""}, {"/tmp/a.pdf\\r\\n", "/tmp/a.pdf"}};
    for (const auto& [printed, expected] : cases) {
        std::filesystem::remove(folder + "go");
        useChooser(printed, std::string(printed).empty() ? 1 : 0);
        ASSERT_TRUE(startFileChooser("Select PDF file", "", "PDF (*.pdf)|*.pdf"));
        letGo();
        ASSERT_TRUE(framesUntilChooserEnds());
        EXPECT_EQ(takeChosenFile(), std::optional<std::string>(expected)) << "printed '" << printed << "'";
    }
}

// A viewer that ends while its chooser is up leaves no chooser behind.
TEST_F(Dialogs, StoppingTheDisplayEndsAChooserStillUp) {
    useChooser("/never.pdf");
    ASSERT_TRUE(startFileChooser("Select PDF file", "", "PDF (*.pdf)|*.pdf"));
    int process = chooserProcess();
    ASSERT_GT(process, 0);
    stopDisplay();
    EXPECT_EQ(kill(process, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(dialogRunning());
    EXPECT_EQ(takeChosenFile(), std::nullopt);
}

// The answer file is made where no other user can plant anything: a link planted under a name in the
// shared temporary folder is neither followed nor truncated, the file lies in a folder closed to others
// ($XDG_RUNTIME_DIR, else one made for it), and nothing is left behind.
TEST_F(Dialogs, TheAnswerFileIsPrivateAndNoPlantedLinkIsFollowed) {
    const std::string shared = folder + "tmp/", runtime = folder + "runtime/", victim = folder + "victim.txt";
    std::filesystem::create_directories(shared);
    mkdir(runtime.c_str(), 0700);
    std::ofstream(victim) << "precious";
    for (int n = 1; n <= 20; ++n)
        symlink(victim.c_str(),
                (shared + "pagewell-chooser-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".txt")
                    .c_str());
    ScopedVariable temporary("TMPDIR", shared.c_str()), runtimeVariable("XDG_RUNTIME_DIR", "");
    writeScript(folder + "chooser", "file=$(readlink /proc/$$/fd/1)\necho \"$file\" > '" + folder +
                                        "where'\nstat -c %a \"$(dirname \"$file\")\" > '" + folder +
                                        "mode'\necho /chosen.pdf\n");
    setenv("PAGEWELL_FILE_DIALOG", (folder + "chooser").c_str(), 1);
    for (const std::string& runtimeFolder : {std::string(), runtime}) {
        SCOPED_TRACE("XDG_RUNTIME_DIR='" + runtimeFolder + "'");
        setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
        const auto sharedBefore = std::distance(std::filesystem::directory_iterator(shared), {});
        ASSERT_TRUE(startFileChooser("Select PDF file", "", "PDF (*.pdf)|*.pdf") && framesUntilChooserEnds());
        EXPECT_EQ(takeChosenFile(), std::optional<std::string>("/chosen.pdf"));
        const std::string where = fileText(folder + "where");
        EXPECT_EQ(where.rfind(runtimeFolder.empty() ? shared + "pagewell-chooser-" : runtime, 0), 0u)
            << where;
        EXPECT_EQ(fileText(folder + "mode"), "700\n") << where;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared), {}), sharedBefore);
        EXPECT_TRUE(std::filesystem::is_empty(runtime));
    }
    EXPECT_EQ(fileText(victim), "precious");
}

// Without PAGEWELL_FILE_DIALOG the desktop's zenity is run from PATH, modal, each word one argument
// (a title holding quotes and "$(...)" runs nothing). Without an X11 window there is nothing to attach to.
TEST_F(Dialogs, ZenityFromThePathGetsItsWordsWithoutAShell) {
    std::filesystem::create_directories(folder + "bin");
    writeScript(folder + "bin/zenity", "for word in \"$@\"; do printf '%s\\n' \"$word\"; done > '" + folder +
                                           "words'\necho /x.pdf\n");
    const char* path = std::getenv("PATH");
    ScopedVariable searched("PATH", (folder + "bin:" + (path != nullptr ? path : "")).c_str());
    setenv("PAGEWELL_FILE_DIALOG", "", 1);
    const bool ran = startFileChooser("It's $(touch " + folder + "ran)", "*.pdf", "PDF (*.pdf)|*.pdf") &&
                     framesUntilChooserEnds();
    ASSERT_TRUE(ran);
    EXPECT_EQ(takeChosenFile(), std::optional<std::string>("/x.pdf"));
    EXPECT_EQ(fileText(folder + "words"), "--file-selection\n--title=It's $(touch " + folder +
                                              "ran)\n--filename=*.pdf\n--file-filter=PDF (*.pdf) | *.pdf\n"
                                              "--file-filter=All files | *\n--modal\n");
    EXPECT_FALSE(std::filesystem::exists(folder + "ran"));
}

}  // namespace
