// Files and folders: sizes, the modification-time rule, folder clean-up, whole-file and line reading.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>

#include "media/system/system.h"
#include "tests/support/scratch.h"
#include "tests/support/x_server.h"

namespace {

// Runs a check under a fixed time zone and restores the previous one (members end in reverse order:
// the variable is restored before the zone is read again).
struct TimeZone {
    struct Reread {
        ~Reread() { ::tzset(); }
    } reread;
    ScopedVariable variable;
    explicit TimeZone(const char* zone) : variable("TZ", zone) { ::tzset(); }
};

class Files : public ::testing::Test {
protected:
    std::string folder = freshFolder("pw_files_");
    void TearDown() override {
        ::chmod(folder.c_str(), 0700);
        media::deleteFilesInFolder(folder + "sub/deeper/", "*");
        media::deleteFilesInFolder(folder + "sub/", "*");
        media::deleteFilesInFolder(folder, "*");
    }
};

TEST_F(Files, SizeTellsMissingFolderEmptyAndFilled) {
    EXPECT_EQ(media::fileSize(folder + "missing"), -1);
    EXPECT_EQ(media::fileSize(folder), -2);
    ASSERT_TRUE(media::writeWholeFile(folder + "empty", ""));
    EXPECT_EQ(media::fileSize(folder + "empty"), 0);
    EXPECT_FALSE(media::filePresent(folder + "empty"));
    ASSERT_TRUE(media::writeWholeFile(folder + "five", "12345"));
    EXPECT_EQ(media::fileSize(folder + "five"), 5);
    EXPECT_TRUE(media::filePresent(folder + "five"));
    EXPECT_FALSE(media::filePresent(folder));
}

TEST(ModificationTime, LocalSecondsCountTheLocalClockAsIfItWereUtc) {
    {
        TimeZone zone("UTC0");
        EXPECT_EQ(media::localSecondsFromUtc(1000000000), 1000000000);
    }
    {
        TimeZone zone("XST-2");  // two hours east of Greenwich, no summer time
        EXPECT_EQ(media::localSecondsFromUtc(1000000000), 1000000000 + 7200);
        EXPECT_EQ(media::localSecondsFromUtc(0), 7200);
    }
    {
        TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(media::localSecondsFromUtc(1719835200), 1719835200 + 7200);  // 2024-07-01 12:00 UTC
        EXPECT_EQ(media::localSecondsFromUtc(1704110400), 1704110400 + 3600);  // 2024-01-01 12:00 UTC
    }
}

TEST_F(Files, ModificationTimeIsLocalAndCutAtTheEndsOfItsRange) {
    std::string file = folder + "dated";
    ASSERT_TRUE(media::writeWholeFile(file, "x"));
    TimeZone zone("XST-2");
    struct utimbuf times {
        1000000000, 1000000000
    };
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    EXPECT_EQ(media::fileModificationTime(file), 1000000000 + 7200);
    times = {2147483647 - 3600, 2147483647 - 3600};  // local time 2038-01-19 04:14:07: past the end
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    EXPECT_EQ(media::fileModificationTime(file), -1);
    times = {2147483647 - 7200, 2147483647 - 7200};  // local time exactly 2038-01-19 03:14:07
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    EXPECT_EQ(media::fileModificationTime(file), 2147483647);
    EXPECT_EQ(media::fileModificationTime(folder + "missing"), 0);
}

TEST_F(Files, ModificationTimeBeforeNineteenSeventyLocalTimeIsOutOfRange) {
    TimeZone zone("XST+5");  // five hours west: 1970-01-01 03:00 UTC is still 1969 there
    EXPECT_LT(media::localSecondsFromUtc(3 * 3600), 0);
    std::string file = folder + "old";
    ASSERT_TRUE(media::writeWholeFile(file, "x"));
    struct utimbuf times {
        3 * 3600, 3 * 3600
    };
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    EXPECT_EQ(media::fileModificationTime(file), -1);
    times = {5 * 3600, 5 * 3600};
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
    EXPECT_EQ(media::fileModificationTime(file), 0) << "local midnight of 1970-01-01 is inside the range";
}

TEST_F(Files, CreateFolderRefusesAnExistingOneAndMakesParentsOnlyWhenAsked) {
    EXPECT_FALSE(media::createFolder(folder, false));
    EXPECT_FALSE(media::createFolder(folder + "sub/deeper/", false));
    EXPECT_TRUE(media::createFolder(folder + "sub/deeper/", true));
    EXPECT_TRUE(media::folderExists(folder + "sub/deeper/"));
    EXPECT_FALSE(media::createFolder(folder + "sub/deeper", true));
    ASSERT_TRUE(media::writeWholeFile(folder + "plain", "x"));
    EXPECT_FALSE(media::folderExists(folder + "plain"));
    EXPECT_FALSE(media::createFolder(folder + "plain", false));
}

TEST_F(Files, DeleteRemovesReadOnlyFilesButNeverFolders) {
    std::string file = folder + "locked";
    ASSERT_TRUE(media::writeWholeFile(file, "x"));
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_TRUE(media::deleteFile(file));
    EXPECT_EQ(media::fileSize(file), -1);
    EXPECT_FALSE(media::deleteFile(file));
    ASSERT_TRUE(media::createFolder(folder + "sub", false));
    EXPECT_FALSE(media::deleteFile(folder + "sub"));
    EXPECT_TRUE(media::folderExists(folder + "sub"));
}

TEST_F(Files, DeleteFilesInFolderMatchesThePatternAndLeavesSubFolders) {
    ASSERT_TRUE(media::createFolder(folder + "sub/", false));
    for (const char* name :
         {"page-000001.png", "page-000002.png", "page-000001.jpg", ".hidden.png", "Info.ini"})
        ASSERT_TRUE(media::writeWholeFile(folder + name, "x"));
    ::chmod((folder + "page-000002.png").c_str(), 0400);
    media::deleteFilesInFolder(folder, "*.png");
    EXPECT_EQ(media::fileSize(folder + "page-000001.png"), -1);
    EXPECT_EQ(media::fileSize(folder + "page-000002.png"), -1);
    EXPECT_EQ(media::fileSize(folder + ".hidden.png"), -1);
    EXPECT_EQ(media::fileSize(folder + "page-000001.jpg"), 1);
    media::deleteFilesInFolder(folder, "*");
    EXPECT_EQ(media::fileSize(folder + "Info.ini"), -1);
    EXPECT_TRUE(media::folderExists(folder + "sub/")) << "sub-folders stay, and so does their parent";
    EXPECT_TRUE(media::folderExists(folder));
    ASSERT_TRUE(::rmdir((folder + "sub").c_str()) == 0);
    media::deleteFilesInFolder(folder, "*");
    EXPECT_FALSE(media::folderExists(folder)) << "an emptied folder is removed";
    media::deleteFilesInFolder(folder + "never-there/", "*");
}

TEST_F(Files, WholeFilesAppendAndReplaceKeepingPermissions) {
    std::string file = folder + "data.bin";
    std::string bytes("a\0b\r\n\xff", 6);
    ASSERT_TRUE(media::writeWholeFile(file, bytes));
    ASSERT_TRUE(media::appendToFile(file, "tail"));
    std::string read;
    ASSERT_TRUE(media::readWholeFile(file, read));
    EXPECT_EQ(read, bytes + "tail");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(media::writeWholeFile(file, "new"));
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    ASSERT_TRUE(media::readWholeFile(file, read));
    EXPECT_EQ(read, "new");
    EXPECT_FALSE(media::readWholeFile(folder + "missing", read));
    EXPECT_FALSE(media::readWholeFile(folder, read)) << "a folder is not a file";
    EXPECT_FALSE(media::writeWholeFile(folder + "no/such/file", "x"));
}

// While a locked document is open, what the program and the programs it starts create is private;
// afterwards files are made as before.
TEST_F(Files, NewFilesArePrivateOnlyWhileAskedAndSoAreTheChildrens) {
    const mode_t usual = ::umask(022);
    media::keepNewFilesPrivate(true);
    ASSERT_TRUE(media::createFolder(folder + "private/", false));
    ASSERT_TRUE(media::writeWholeFile(folder + "private/own", "x"));
    ASSERT_GT(
        media::runProgram("/usr/bin/touch", {folder + "private/child"}, media::RunOptions{"", true, "", {}}),
        0);
    EXPECT_EQ(modeOf(folder + "private/"), 0700);
    EXPECT_EQ(modeOf(folder + "private/own"), 0600);
    EXPECT_EQ(modeOf(folder + "private/child"), 0600);
    media::keepNewFilesPrivate(false);
    ASSERT_TRUE(media::writeWholeFile(folder + "usual", "x"));
    EXPECT_EQ(modeOf(folder + "usual"), 0644);
    ::umask(usual);
    media::deleteFilesInFolder(folder + "private/", "*");
}

TEST_F(Files, ReadLinesDropsLineEndsOfEitherKind) {
    ASSERT_TRUE(media::writeWholeFile(folder + "lines", "one\r\ntwo\n\nfour\r\nlast without end"));
    std::vector<std::string> expected = {"one", "two", "", "four", "last without end"};
    EXPECT_EQ(media::readLines(folder + "lines"), expected);
    ASSERT_TRUE(media::writeWholeFile(folder + "ended", "a\nb\n"));
    EXPECT_EQ(media::readLines(folder + "ended"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(Files, UnreadableSourcesGiveNoLinesAndNeverHang) {
    EXPECT_TRUE(media::readLines(folder + "missing").empty());
    EXPECT_TRUE(media::readLines(folder).empty());
    std::string fifo = folder + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(media::readLines(fifo).empty());
    EXPECT_FALSE(media::canOpenForReading(fifo));
    ::unlink(fifo.c_str());
    if (::geteuid() != 0) {
        ASSERT_TRUE(media::writeWholeFile(folder + "secret", "x"));
        ::chmod((folder + "secret").c_str(), 0);
        EXPECT_FALSE(media::canOpenForReading(folder + "secret"));
        EXPECT_TRUE(media::readLines(folder + "secret").empty());
    }
}

TEST_F(Files, ProgramAndWorkingFoldersEndWithASlash) {
    std::string exe = media::executableFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), '/');
    EXPECT_TRUE(media::folderExists(exe));
    EXPECT_EQ(media::currentFolder().back(), '/');
    EXPECT_TRUE(media::folderExists(media::currentFolder()));
}

TEST_F(Files, TemporaryFolderFollowsTmpdir) {
    ScopedVariable set("TMPDIR", folder.substr(0, folder.size() - 1).c_str());
    EXPECT_EQ(media::temporaryFolder(), folder);
    ScopedVariable unset("TMPDIR", nullptr);
    EXPECT_EQ(media::temporaryFolder(), "/tmp/");
}

TEST_F(Files, WritableFolderIsProbedAndLeftClean) {
    EXPECT_TRUE(media::folderWritable(folder));
    EXPECT_FALSE(media::folderWritable(folder + "missing/"));
    media::deleteFilesInFolder(folder, "*.none");
    EXPECT_FALSE(media::folderExists(folder)) << "the probe file was left behind";
    folder = freshFolder("pw_files_");
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0500);
        EXPECT_FALSE(media::folderWritable(folder));
    }
}

}  // namespace
