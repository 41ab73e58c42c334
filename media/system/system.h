// The media layer's system room: the clock, files and folders, programs, threads and sound. Any
// thread, unless a function says otherwise.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace media {

// Clock. The millisecond counter and the frame limiter can be taken over by a test: with a test
// clock, elapsedMilliseconds() returns the test's value and flipDisplay() never sleeps.
std::int64_t elapsedMilliseconds();
void sleepMilliseconds(int ms);
void useTestClock(bool on);  // on: the clock only moves by advanceTestClock
void advanceTestClock(std::int64_t ms);
void setTestClock(std::int64_t ms);
// For tests of the frame limiter (main thread): a stand-in for the monotonic clock it paces frames
// on, which moves only when the limiter sleeps on it or the test advances it, so that the pacing is
// checked without measuring time. pacingSleptNanoseconds() is how long the limiter has slept on it.
void useStandInPacingClock(bool on);
void advancePacingClock(std::int64_t nanoseconds);
std::int64_t pacingSleptNanoseconds();
int randomNumber(int maximum);  // uniform whole number 0..maximum inclusive
void seedRandom(std::uint32_t seed);

// ---------------------------------------------------------------------------------------------
// Sound. startSound fails when no audio device can be opened; the program goes on without sound.
bool startSound();
void stopSound();  // closes the device and frees the tunes
bool prepareTune(int number, const void* data, std::size_t length);
void setTunePosition(int number, int position);
void playTune(int number);
void stopTune(int number);
bool tunePlaying(int number);
// Decodes a module into 16-bit stereo samples at 44.1 kHz without an audio device (tests, tools).
std::vector<std::int16_t> decodeTune(const void* data, std::size_t length, int milliseconds,
                                     int* channels = nullptr);

// ---------------------------------------------------------------------------------------------
// Files and folders. Paths use "/", folder paths end with "/". Any thread.
std::int64_t fileSize(const std::string& path);  // -1 missing, -2 a folder
bool filePresent(const std::string& path);       // exists with a size above 0
// Last modification as local time counted in seconds since 1970 as if it were UTC;
// -1 outside 1970-01-01 00:00:00 .. 2038-01-19 03:14:07, 0 when it cannot be read.
std::int64_t fileModificationTime(const std::string& path);
std::int64_t localSecondsFromUtc(std::int64_t utcSeconds);  // the conversion used above
// The last modification in nanoseconds since 1970 (UTC), for ordering files by it; -1 when missing.
std::int64_t fileModifiedNanoseconds(const std::string& path);
bool createFolder(const std::string& path, bool withParents);  // false when it exists or fails
bool folderExists(const std::string& path);
bool deleteFile(const std::string& path);                         // also when read-only
bool renameFile(const std::string& from, const std::string& to);  // replaces to; same file system
// path with a suffix that no other name made here or by another running program has.
std::string uniqueFileName(const std::string& path);
// Deletes every file in folder whose name matches pattern ("*" = all), leaving sub-folders; then
// removes the folder when it has become empty.
void deleteFilesInFolder(const std::string& folder, const std::string& pattern);
bool readWholeFile(const std::string& path, std::string& contents);
bool writeWholeFile(const std::string& path, std::string_view contents);
bool appendToFile(const std::string& path, const std::string& contents);
std::vector<std::string> readLines(const std::string& path);  // without line ends; none if unreadable
bool canOpenForReading(const std::string& path);
std::string executableFolder();  // folder of the running executable, ending in "/"
std::string currentFolder();     // ending in "/"
// A relative path made absolute from the current folder (the tools run in a folder of their own).
std::string absolutePath(const std::string& path);
std::string temporaryFolder();  // $TMPDIR or /tmp, ending in "/"
bool folderWritable(const std::string& path);
// While on, every file and folder the program creates, and every program it starts, is readable by
// the user alone (umask 077); off goes back to the umask the program started with. Main thread.
void keepNewFilesPrivate(bool on);
// The folder (0700) and the files directly in it (0600) become readable by the user alone.
bool makeFolderPrivate(const std::string& folder);
// The page cache's folders: what each takes and when it was last used or changed (seconds since 1970).
struct FolderUse {
    std::int64_t bytes = 0;         // the files in it and in its sub-folders
    std::int64_t lastUsed = -1;     // the folder's own modification time, set by markFolderUsed
    std::int64_t lastChanged = -1;  // the newest modification of the folder or anything in it
};
FolderUse folderUse(const std::string& folder);
std::vector<std::string> subfolderNames(const std::string& folder);  // symbolic links left out
std::int64_t freeBytes(
    const std::string& path);                    // free to an ordinary user on path's file system; -1 unknown
bool markFolderUsed(const std::string& folder);  // its modification time becomes now
bool removeFolderTree(const std::string& folder);  // with all in it; symbolic links are not followed
// A viewer holds the folder of the document it shows (a shared lock on it) until releaseFolder;
// every viewer sees it held. holdFolder gives -1 when the folder cannot be held.
int holdFolder(const std::string& folder);
void releaseFolder(int hold);
bool folderHeld(const std::string& folder);

// ---------------------------------------------------------------------------------------------
// Programs. Started with an argument vector, never through a shell.
struct RunOptions {
    std::string workingFolder;       // empty: the caller's current folder
    bool wait = false;               // return only when the program has ended
    std::string standardOutputFile;  // when set, standard output goes into this file (truncated)
    // Changes to the child's environment alone: "NAME=value" sets NAME, a bare "NAME" removes it.
    // The program's own environment is never changed.
    std::vector<std::string> environment;
    // When set, standard output is this open file instead (the caller keeps and closes it).
    int standardOutputDescriptor = -1;
    // When given, receives why the program itself could not be started: missing, no regular file, not
    // executable, no program ("Permission denied"); "" when it started or something else kept it
    // from starting (its working folder, its output file).
    std::string* whyNotStarted = nullptr;
    // When set, standard input is this open file (the caller keeps and closes it); else the caller's.
    int standardInputDescriptor = -1;
    // When set, the program has this open file as its descriptor 3 (the caller keeps and closes it).
    int sharedDescriptor = -1;
};
// Process id, 0 when it could not be started (then no file of the options was opened). With wait, exitStatus
// (when given) receives the program's exit status, or -1 when a signal ended it.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const RunOptions& options, int* exitStatus = nullptr);
// The first live (non-zombie) process by that executable name, ours or another program's, or 0. Only
// for what the viewer did not start itself: its own programs are followed by their ids.
int isProgramRunning(const std::string& exeName);
bool stopProgram(int processId);           // SIGKILL; false for 0, failure, or our own that has ended
void raiseProgramPriority(int processId);  // silently skipped where refused
void reapFinishedPrograms();               // collects ended children, keeping their exit statuses
// A program started here without waiting: true until it has ended.
bool programRunning(int processId);
// What the kernel lacks for the tool programs to confine themselves (Landlock, seccomp filters), as
// a sentence for the log; "" when it has both.
std::string toolConfinementGap();
// Lines to and from a program that answers requests: two connected sockets, one end the program's
// standard input and output (give `theirs` as both in its RunOptions, then handOver), the other ours.
// Our end never blocks the caller, and a program that has gone never raises a signal in it.
struct LineChannel {
    int ours = -1;
    int theirs = -1;
    std::string received;  // the start of a line not yet whole
};
bool openLineChannel(LineChannel& channel);
void handOver(LineChannel& channel);  // the program has its end: ours alone stays open
// The line end is added; false unless the line went whole.
bool sendLine(LineChannel& channel, const std::string& line);
std::optional<std::string> takeLine(LineChannel& channel);  // a whole line without its end, if one came
void closeLineChannel(LineChannel& channel);
// Memory shared with a program: a file in memory alone, mapped here, handed to a program as its
// RunOptions' sharedDescriptor.
struct SharedMemory {
    int descriptor = -1;
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
};
bool makeSharedMemory(std::size_t size, SharedMemory& memory);
void releaseSharedMemory(SharedMemory& memory);
// The length a program has stored in the memory's first eight bytes as its last step, after what it
// measures: 0 until then (and for no memory). Whatever the program wrote before that store is seen.
std::uint64_t sharedLengthMark(const SharedMemory& memory);
// Waits for a program started here without waiting to end: its exit status (-1 when a signal ended it
// or it is not ours). The program is then forgotten.
int waitForProgram(int processId);
// The exit status of a program started here without waiting, once it has ended (-1 when a signal ended
// it); nothing while it runs, or for an id not started here. Taken once: the program is then forgotten.
std::optional<int> takeExitStatus(int processId);

// ---------------------------------------------------------------------------------------------
// Threads. A worker started here is joined by join() or by the destructor.
int processorCount();  // the processor cores this process may run on, at least 1
class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // Starts procedure on a new thread at the highest priority the system grants (tried, skipped
    // where refused). Returns false when a thread is still attached.
    bool start(std::function<void()> procedure);
    void join();
    bool joinable() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Notices of two whole numbers that one thread posts and others read, each reader at its own pace:
// a reader keeps how many it has read and waits for the next without polling. Any thread.
class NoticeBoard {
public:
    struct Notice {
        int key = 0;
        int value = 0;
    };
    NoticeBoard();
    ~NoticeBoard();
    NoticeBoard(const NoticeBoard&) = delete;
    NoticeBoard& operator=(const NoticeBoard&) = delete;
    void post(Notice notice);
    // The notices posted from index `from` on, at once.
    std::vector<Notice> readFrom(std::size_t from) const;
    // The same, but waits while there are none and stop is false.
    std::vector<Notice> waitFrom(std::size_t from, const std::atomic<bool>& stop) const;
    // Wakes every waiter to test its stop flag again: call it after setting the flag.
    void wakeAll();
    // Forgets every notice; no reader may be waiting or reading meanwhile.
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace media
