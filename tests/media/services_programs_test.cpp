// External programs with real child processes: starting, arguments, working folder, output capture,
// finding by name, reaping and stopping.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "media/system/system.h"
#include "tests/support/polling.h"
#include "tests/support/scratch.h"

namespace {

class Programs : public ::testing::Test {
protected:
    std::string folder = freshFolder("pw_programs_");
    std::vector<int> started;

    // A copy of sleep under a name no other process has.
    std::string sleeper(const std::string& name) {
        std::string contents;
        EXPECT_TRUE(media::readWholeFile("/bin/sleep", contents));
        std::string path = folder + name;
        EXPECT_TRUE(media::writeWholeFile(path, contents));
        ::chmod(path.c_str(), 0755);
        return path;
    }
    int startSleeper(const std::string& path, const std::string& seconds = "30") {
        int pid = media::runProgram(path, {seconds}, {});
        if (pid) started.push_back(pid);
        return pid;
    }
    void TearDown() override {
        for (int pid : started) media::stopProgram(pid);
        media::deleteFilesInFolder(folder + "work/", "*");
        media::deleteFilesInFolder(folder, "*");
    }
};

TEST_F(Programs, StartedProgramIsFoundByNameWithoutRegardToCaseAndStopped) {
    std::string name = "pwsl" + std::to_string(::getpid() % 100000);
    int pid = startSleeper(sleeper(name));
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(eventually([&] { return media::isProgramRunning(name) == pid; }));
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(media::isProgramRunning(upper), pid);
    EXPECT_EQ(media::isProgramRunning("/some/folder/" + name), pid) << "only the file name counts";
    EXPECT_TRUE(media::stopProgram(pid));
    EXPECT_EQ(media::isProgramRunning(name), 0) << "a stopped program is gone at once, not left as a zombie";
}

TEST_F(Programs, NamesLongerThanTheKernelKeepsAreStillTellApart) {
    std::string base = "pwtest_sleep_" + std::to_string(::getpid());
    int pid = startSleeper(sleeper(base + "_a"));
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(eventually([&] { return media::isProgramRunning(base + "_a") == pid; }));
    EXPECT_EQ(media::isProgramRunning(base + "_b"), 0);
}

TEST_F(Programs, EndedChildIsReapedAndNoLongerFound) {
    std::string name = "pwend" + std::to_string(::getpid() % 100000);
    int pid = startSleeper(sleeper(name), "0.2");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(eventually([&] { return media::isProgramRunning(name) == pid; }));
    EXPECT_TRUE(eventually([&] { return media::isProgramRunning(name) == 0; }));
    media::reapFinishedPrograms();
    EXPECT_NE(::access(("/proc/" + std::to_string(pid)).c_str(), F_OK), 0) << "the zombie was not reaped";
}

TEST_F(Programs, ArgumentsReachTheChildUnchanged) {
    std::vector<std::string> arguments = {"-n",        "with space", "\"quoted\"", "it's",
                                          "$HOME",     "`id`",       "$(id)",      "a;b|c&d>e",
                                          "--leading", "",           "tab\there",  "ünïcödé"};
    std::string output = folder + "out.txt";
    const media::RunOptions options{"", true, output, {}};
    std::vector<std::string> printed = {"%s\\n"};
    printed.insert(printed.end(), arguments.begin(), arguments.end());
    ASSERT_GT(media::runProgram("/usr/bin/printf", printed, options), 0);
    EXPECT_EQ(media::readLines(output), arguments);
}

TEST_F(Programs, StandardOutputFileIsTruncatedAndWorkingFolderHonoured) {
    ASSERT_TRUE(media::createFolder(folder + "work/", false));
    std::string output = folder + "pwd.txt";
    ASSERT_TRUE(media::writeWholeFile(output, std::string(1000, 'x')));
    media::RunOptions options{folder + "work/", true, output, {}};
    ASSERT_GT(media::runProgram("/bin/pwd", {}, options), 0);
    std::vector<std::string> lines = media::readLines(output);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0] + "/", folder + "work/");
}

TEST_F(Programs, ProgramWithoutFolderIsFoundInTheWorkingFolder) {
    ASSERT_TRUE(media::createFolder(folder + "work/", false));
    writeScript(folder + "work/tool", "echo tool ran \"$1\"\n");
    media::RunOptions options{folder + "work/", true, folder + "tool.txt", {}};
    ASSERT_GT(media::runProgram("./tool", {"x y"}, options), 0);
    EXPECT_EQ(media::readLines(folder + "tool.txt"), (std::vector<std::string>{"tool ran x y"}));
}

// A password handed to a tool goes into that child's environment alone, never into the program's.
TEST_F(Programs, EnvironmentChangesReachTheChildAloneAndReplaceOrRemoveVariables) {
    ::setenv("PAGEWELL_TEST_KEPT", "kept", 1);
    ::setenv("PAGEWELL_TEST_REPLACED", "old", 1);
    ::setenv("PAGEWELL_TEST_REMOVED", "there", 1);
    media::RunOptions options{"", true, folder + "env.txt", {}};
    options.environment = {"PAGEWELL_TEST_ADDED=a value", "PAGEWELL_TEST_REPLACED=new",
                           "PAGEWELL_TEST_REMOVED"};
    ASSERT_GT(media::runProgram("/usr/bin/env", {}, options), 0);
    std::vector<std::string> seen;
    for (const std::string& line : media::readLines(folder + "env.txt"))
        if (line.rfind("PAGEWELL_TEST_", 0) == 0) seen.push_back(line);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"PAGEWELL_TEST_ADDED=a value", "PAGEWELL_TEST_KEPT=kept",
                                              "PAGEWELL_TEST_REPLACED=new"}));
    EXPECT_EQ(std::getenv("PAGEWELL_TEST_ADDED"), nullptr);
    EXPECT_STREQ(std::getenv("PAGEWELL_TEST_REPLACED"), "old");
    EXPECT_STREQ(std::getenv("PAGEWELL_TEST_REMOVED"), "there");
    for (const char* name : {"PAGEWELL_TEST_KEPT", "PAGEWELL_TEST_REPLACED", "PAGEWELL_TEST_REMOVED"})
        ::unsetenv(name);
}

TEST_F(Programs, AWaitedProgramsExitStatusIsReported) {
    media::RunOptions wait;
    wait.wait = true;
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"-c", "exit 0"}, 0}, {{"-c", "exit 4"}, 4}, {{"-c", "exit 255"}, 255}, {{"-c", "kill -9 $$"}, -1}};
    for (const auto& [arguments, expected] : cases) {
        int status = 1234;
        EXPECT_GT(media::runProgram("/bin/sh", arguments, wait, &status), 0) << arguments[1];
        EXPECT_EQ(status, expected) << arguments[1];
    }
    int status = 1234;
    EXPECT_EQ(media::runProgram(folder + "missing", {}, wait, &status), 0);
    EXPECT_EQ(status, -1);
}

// A program that cannot start gives 0 and says why, and one that is missing or cannot be executed
// makes no output file that could be taken for its output. A working folder or an output file that
// keeps a program from starting is not the program's fault.
TEST_F(Programs, ProgramsThatCannotStartGiveZeroSayWhyAndWriteNoOutput) {
    ASSERT_TRUE(media::writeWholeFile(folder + "not_executable", "#!/bin/sh\n"));
    ASSERT_TRUE(media::createFolder(folder + "a_folder/", false));
    ASSERT_TRUE(media::writeWholeFile(folder + "no_program", std::string("\x7f"
                                                                         "ELF\x01",
                                                                         5)));
    ::chmod((folder + "no_program").c_str(), 0755);
    const std::pair<std::string, const char*> cases[] = {{folder + "missing", "No such file or directory"},
                                                         {"", "No such file or directory"},
                                                         {folder + "not_executable", "Permission denied"},
                                                         {folder + "a_folder", "Is a directory"}};
    for (const auto& [program, reason] : cases) {
        std::string why;
        media::RunOptions options{"", true, folder + "output.txt", {}, -1, &why};
        EXPECT_EQ(media::runProgram(program, {}, options), 0) << program;
        EXPECT_EQ(why, reason) << program;
        EXPECT_FALSE(media::filePresent(folder + "output.txt")) << program;
    }
    std::string why = "unchanged";
    media::RunOptions noProgram{"", true, "", {}, -1, &why};
    EXPECT_EQ(media::runProgram(folder + "no_program", {}, noProgram), 0);
    EXPECT_EQ(why, "Exec format error");
    media::RunOptions badFolder{folder + "no/such/folder/", false, "", {}, -1, &why};
    EXPECT_EQ(media::runProgram("/bin/true", {}, badFolder), 0);
    EXPECT_EQ(why, "");
    media::RunOptions badOutput{"", true, folder + "no/such/out.txt", {}, -1, &why};
    EXPECT_EQ(media::runProgram("/bin/true", {}, badOutput), 0);
    EXPECT_EQ(why, "");
}

TEST_F(Programs, StoppingNothingOrTheVanishedFails) {
    EXPECT_FALSE(media::stopProgram(0));
    EXPECT_FALSE(media::stopProgram(-5));
    media::RunOptions wait;
    wait.wait = true;
    int pid = media::runProgram("/bin/true", {}, wait);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(media::stopProgram(pid)) << "the ended and reaped program cannot be stopped";
    media::raiseProgramPriority(0);
    media::raiseProgramPriority(pid);  // silently nothing
}

// The viewer follows its own programs by id: an ended one's exit status is kept until it is taken,
// also when the frame's reaping collected it first.
TEST_F(Programs, AnEndedProgramsExitStatusIsKeptUntilTaken) {
    const std::pair<const char*, int> cases[] = {{"exit 0", 0}, {"exit 3", 3}, {"kill -9 $$", -1}};
    for (const auto& [script, expected] : cases) {
        const int pid = media::runProgram("/bin/sh", {"-c", script}, {});
        ASSERT_GT(pid, 0) << script;
        EXPECT_TRUE(eventually([&] { return !media::programRunning(pid); })) << script;
        media::reapFinishedPrograms();
        EXPECT_FALSE(media::stopProgram(pid)) << "an ended program of ours is never signalled";
        EXPECT_EQ(media::takeExitStatus(pid), expected) << script;
        EXPECT_EQ(media::takeExitStatus(pid), std::nullopt) << "taken once: " << script;
    }
    const int running = startSleeper(sleeper("pwstatus" + std::to_string(::getpid() % 100000)));
    ASSERT_GT(running, 0);
    EXPECT_TRUE(media::programRunning(running));
    EXPECT_EQ(media::takeExitStatus(running), std::nullopt);
    EXPECT_TRUE(media::stopProgram(running));
    EXPECT_FALSE(media::programRunning(running));
    EXPECT_EQ(media::takeExitStatus(0), std::nullopt);
}

TEST_F(Programs, ALineChannelCarriesWholeLinesWithoutBlockingAndOutlivesItsProgramQuietly) {
    media::LineChannel channel;
    ASSERT_TRUE(media::openLineChannel(channel));
    media::RunOptions options;
    options.standardInputDescriptor = options.standardOutputDescriptor = channel.theirs;
    const int process =
        media::runProgram("/bin/sh", {"-c", "read line; echo \"got $line\"; printf half"}, options);
    media::handOver(channel);
    ASSERT_NE(process, 0);
    EXPECT_EQ(media::takeLine(channel), std::nullopt) << "nothing has come yet";
    EXPECT_TRUE(media::sendLine(channel, "one"));
    media::waitForProgram(process);
    EXPECT_EQ(media::takeLine(channel), std::optional<std::string>("got one"));
    EXPECT_EQ(media::takeLine(channel), std::nullopt) << "a line without its end";
    EXPECT_FALSE(media::sendLine(channel, "two")) << "its end has closed, and no signal ends the test";
    media::closeLineChannel(channel);
}

TEST_F(Programs, SharedMemoryReachesTheProgramAsItsDescriptorThree) {
    media::SharedMemory memory;
    ASSERT_TRUE(media::makeSharedMemory(4096, memory));
    media::RunOptions options;
    options.wait = true;
    options.sharedDescriptor = memory.descriptor;
    int status = -1;
    media::runProgram("/bin/sh", {"-c", "printf written >&3"}, options, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.bytes), 8), std::string("written\0", 8));
    media::releaseSharedMemory(memory);
    EXPECT_EQ(memory.bytes, nullptr);
}

TEST(NoticeBoards, EveryReaderSeesEveryNoticeAndAWaiterWakesForANoticeOrItsStop) {
    media::NoticeBoard board;
    board.post({1, 0});
    std::atomic<bool> stop{false};
    std::vector<media::NoticeBoard::Notice> seen;
    media::Thread reader;
    ASSERT_TRUE(reader.start([&] {
        while (seen.size() < 2) {  // the first is there already, the second comes meanwhile
            const auto more = board.waitFrom(seen.size(), stop);
            seen.insert(seen.end(), more.begin(), more.end());
        }
    }));
    board.post({2, 7});
    reader.join();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].key, 2);
    EXPECT_EQ(seen[1].value, 7);
    EXPECT_EQ(board.readFrom(1).size(), 1u) << "a second reader reads at its own pace";
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(reader.start([&] {
        waiting = true;
        seen = board.waitFrom(2, stop);
    }));
    while (!waiting) std::this_thread::yield();
    stop = true;
    board.wakeAll();
    reader.join();
    EXPECT_TRUE(seen.empty());
    board.clear();
    EXPECT_TRUE(board.readFrom(0).empty());
}

TEST(Threads, RunJoinAndRefuseASecondStartWhileAttached) {
    std::atomic<int> counter{0};
    std::atomic<bool> release{false};
    media::Thread thread;
    EXPECT_FALSE(thread.joinable());
    ASSERT_TRUE(thread.start([&] {
        while (!release) std::this_thread::yield();
        ++counter;
    }));
    EXPECT_TRUE(thread.joinable());
    EXPECT_FALSE(thread.start([&] { counter += 100; }));
    release = true;
    thread.join();
    EXPECT_FALSE(thread.joinable());
    EXPECT_EQ(counter, 1);
    ASSERT_TRUE(thread.start([&] { ++counter; }));
    thread.join();
    EXPECT_EQ(counter, 2);
}

TEST(Threads, DestructorJoins) {
    std::atomic<int> counter{0};
    {
        media::Thread thread;
        thread.start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ++counter;
        });
    }
    EXPECT_EQ(counter, 1);
}

}  // namespace
