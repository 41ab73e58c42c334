// External programs: starting with posix_spawn, reaping our own children, finding processes by name
// in /proc, stopping them and raising their priority.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "media/system/system.h"
#include "media/system/system_internal.h"

extern char** environ;

namespace media {

namespace detail {

std::vector<std::string>& startVariables() {
    static std::vector<std::string> names;
    return names;
}

}  // namespace detail

namespace {

// The children started without waiting; only these are ever reaped, so that a child another part of
// the program waits for is never taken from it (which waitpid(-1) would do). An ended child's exit
// status is kept until it is taken; the few nobody takes (a dialog's, a text extractor's) are
// forgotten, oldest first, beyond keptEnded.
struct Child {
    bool ended = false;
    int status = -1;          // the exit status once ended; -1 when a signal ended it
    std::uint64_t order = 0;  // when it was seen ended
};

struct ChildRegistry {
    std::mutex mutex;
    std::map<pid_t, Child> children;
    std::uint64_t endings = 0;
};

constexpr std::size_t keptEnded = 16;

ChildRegistry& registry() {
    static ChildRegistry instance;
    return instance;
}

void rememberChild(pid_t pid) {
    std::lock_guard lock(registry().mutex);
    registry().children[pid] = Child{};
}

void forgetChild(pid_t pid) {
    std::lock_guard lock(registry().mutex);
    registry().children.erase(pid);
}

// With the registry locked.
void forgetOldestEnded(ChildRegistry& r) {
    std::size_t ended = 0;
    auto oldest = r.children.end();
    for (auto it = r.children.begin(); it != r.children.end(); ++it) {
        if (!it->second.ended) continue;
        ++ended;
        if (oldest == r.children.end() || it->second.order < oldest->second.order) oldest = it;
    }
    if (ended > keptEnded) r.children.erase(oldest);
}

// A wait status: the exit status, or -1 when a signal ended the child.
int exitStatusOf(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

// Reaps the child when it has ended and keeps its status; true when it has ended (now or before).
bool reapChild(pid_t pid) {
    std::lock_guard lock(registry().mutex);
    auto found = registry().children.find(pid);
    if (found == registry().children.end()) return true;
    if (found->second.ended) return true;
    int waitStatus = 0;
    const pid_t result = ::waitpid(pid, &waitStatus, WNOHANG);
    if (result == 0 || (result < 0 && errno != ECHILD)) return false;
    found->second = Child{true, result == pid ? exitStatusOf(waitStatus) : -1, ++registry().endings};
    forgetOldestEnded(registry());
    return true;
}

std::vector<pid_t> runningChildren() {
    std::lock_guard lock(registry().mutex);
    std::vector<pid_t> running;
    for (const auto& [pid, child] : registry().children)
        if (!child.ended) running.push_back(pid);
    return running;
}

// The child's exit status, or -1 when a signal ended it (or it could not be waited for).
int waitForChild(pid_t pid) {
    int status = 0;
    pid_t result = 0;
    while ((result = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    return result == pid ? exitStatusOf(status) : -1;
}

std::string variableName(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// The program's environment with the caller's changes; the strings stay owned by environ and changes.
std::vector<char*> childEnvironment(const std::vector<std::string>& changes) {
    std::set<std::string> changed;
    for (const std::string& change : changes) changed.insert(variableName(change));
    // What the viewer set for SDL's start alone stays out: the program sees the environment as it was.
    for (const std::string& name : detail::startVariables()) changed.insert(name);
    std::vector<char*> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (changed.count(variableName(*entry)) == 0) entries.push_back(*entry);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) entries.push_back(const_cast<char*>(change.c_str()));
    }
    entries.push_back(nullptr);
    return entries;
}

// RAII for the spawn attribute and file action objects.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

constexpr int sharedDescriptorInChild = 3;

// The child starts with no blocked signals and default handling of the ones a parent commonly
// ignores or catches, whatever the viewer (or SDL) has set up for itself.
bool prepareSignals(posix_spawnattr_t& attributes) {
    sigset_t empty;
    sigset_t defaults;
    sigemptyset(&empty);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD, SIGQUIT}) sigaddset(&defaults, signal);
    return posix_spawnattr_setsigmask(&attributes, &empty) == 0 &&
           posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
           posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
}

// The output file is opened before the change of folder, so a relative name is the caller's. A
// symbolic link planted under its name is never followed.
bool prepareFileActions(posix_spawn_file_actions_t& actions, const RunOptions& options) {
    if (options.standardInputDescriptor >= 0 &&
        posix_spawn_file_actions_adddup2(&actions, options.standardInputDescriptor, STDIN_FILENO) != 0)
        return false;
    if (options.sharedDescriptor >= 0 &&
        posix_spawn_file_actions_adddup2(&actions, options.sharedDescriptor, sharedDescriptorInChild) != 0)
        return false;
    if (options.standardOutputDescriptor >= 0 &&
        posix_spawn_file_actions_adddup2(&actions, options.standardOutputDescriptor, STDOUT_FILENO) != 0)
        return false;
    if (!options.standardOutputFile.empty() &&
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.standardOutputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666) != 0)
        return false;
    if (!options.workingFolder.empty() &&
        posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str()) != 0)
        return false;
    return true;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string firstLineOf(const std::string& path) {
    std::ifstream stream(path);
    std::string line;
    std::getline(stream, line);
    return line;
}

// The state letter follows the last ')' in /proc/<pid>/stat; the name before it may hold ')' itself.
bool isZombieOrDead(pid_t pid) {
    std::string stat = firstLineOf("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return true;  // vanished meanwhile
    char state = stat[close + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}

// comm holds at most 15 bytes of the name; a longer name is compared by its first 15 and, where
// /proc/<pid>/exe can be read, by the whole file name.
bool nameMatches(pid_t pid, const std::string& wanted) {
    std::string directory = "/proc/" + std::to_string(pid);
    std::string comm = lowerCase(firstLineOf(directory + "/comm"));
    if (comm.empty() || comm != wanted.substr(0, 15)) return false;
    if (wanted.size() <= 15) return true;
    char target[PATH_MAX];
    ssize_t length = ::readlink((directory + "/exe").c_str(), target, sizeof target - 1);
    if (length <= 0) return true;
    std::string exe = baseName(std::string(target, static_cast<std::size_t>(length)));
    const std::string deleted = " (deleted)";
    if (exe.size() > deleted.size() && exe.ends_with(deleted)) exe.resize(exe.size() - deleted.size());
    return lowerCase(exe) == wanted;
}

std::vector<pid_t> processIdentifiers() {
    std::vector<pid_t> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    while (struct dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        long value = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && value > 0) pids.push_back(static_cast<pid_t>(value));
    }
    ::closedir(proc);
    std::sort(pids.begin(), pids.end());
    return pids;
}

// A program that is missing, no regular file or not executable is refused before the child is made,
// whose file actions would otherwise already have made its output file: 0, or the errno that says why.
// A relative path is the child's, taken in its working folder.
int whyNotRunnable(const std::string& program, const std::string& workingFolder) {
    if (program.empty()) return ENOENT;
    std::string path = program;
    if (path[0] != '/' && !workingFolder.empty()) path = workingFolder + "/" + path;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return errno;
    if (!S_ISREG(status.st_mode)) return S_ISDIR(status.st_mode) ? EISDIR : EACCES;
    return ::access(path.c_str(), X_OK) == 0 ? 0 : errno;
}

}  // namespace

// glibc's posix_spawn reports a failed exec (missing program, no permission) as its result, so a
// non-zero result always means the program did not start.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const RunOptions& options, int* exitStatus) {
    if (exitStatus) *exitStatus = -1;
    if (options.whyNotStarted) options.whyNotStarted->clear();
    const int unstartable = whyNotRunnable(program, options.workingFolder);
    if (unstartable != 0) {
        if (options.whyNotStarted) *options.whyNotStarted = std::strerror(unstartable);
        return 0;
    }
    SpawnSetup setup;
    if (!prepareSignals(setup.attributes) || !prepareFileActions(setup.actions, options)) return 0;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> environment = childEnvironment(options.environment);
    pid_t pid = 0;
    const int failure = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(),
                                      environment.data());
    if (failure != 0) {
        if (options.whyNotStarted && failure == ENOEXEC) *options.whyNotStarted = std::strerror(failure);
        return 0;
    }
    if (options.wait) {
        const int status = waitForChild(pid);
        if (exitStatus) *exitStatus = status;
    } else {
        rememberChild(pid);
    }
    return static_cast<int>(pid);
}

void reapFinishedPrograms() {
    for (pid_t pid : runningChildren()) reapChild(pid);
}

bool programRunning(int processId) {
    if (processId <= 0) return false;
    const auto pid = static_cast<pid_t>(processId);
    return !reapChild(pid);
}

std::optional<int> takeExitStatus(int processId) {
    if (processId <= 0) return std::nullopt;
    const auto pid = static_cast<pid_t>(processId);
    if (!reapChild(pid)) return std::nullopt;
    std::lock_guard lock(registry().mutex);
    auto found = registry().children.find(pid);
    if (found == registry().children.end()) return std::nullopt;
    const int status = found->second.status;
    registry().children.erase(found);
    return status;
}

int waitForProgram(int processId) {
    if (processId <= 0) return -1;
    const auto pid = static_cast<pid_t>(processId);
    bool running = false;
    {
        std::lock_guard lock(registry().mutex);
        auto found = registry().children.find(pid);
        if (found == registry().children.end()) return -1;
        running = !found->second.ended;
    }
    if (!running) return takeExitStatus(processId).value_or(-1);
    const int status = waitForChild(pid);
    forgetChild(pid);
    return status;
}

// Scans in ascending process-id order; a program the viewer started and that has ended is reaped
// first, so it never counts as running.
int isProgramRunning(const std::string& exeName) {
    std::string wanted = lowerCase(baseName(exeName));
    if (wanted.empty()) return 0;
    reapFinishedPrograms();
    for (pid_t pid : processIdentifiers())
        if (nameMatches(pid, wanted) && !isZombieOrDead(pid)) return static_cast<int>(pid);
    return 0;
}

// Only a child that has not been reaped is signalled: its id cannot belong to another process yet.
bool stopProgram(int processId) {
    if (processId <= 0) return false;
    const auto pid = static_cast<pid_t>(processId);
    bool ours = false;
    {
        std::lock_guard lock(registry().mutex);
        ours = registry().children.count(pid) > 0;
    }
    if (ours && !programRunning(processId)) return false;
    if (::kill(pid, SIGKILL) != 0) return false;
    if (ours) {
        waitForChild(pid);
        forgetChild(pid);
    }
    return true;
}

// Both ends close on exec: a program gets its end only as the standard files its RunOptions name.
bool openLineChannel(LineChannel& channel) {
    closeLineChannel(channel);
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const int flags = ::fcntl(ends[0], F_GETFL);
    if (flags < 0 || ::fcntl(ends[0], F_SETFL, flags | O_NONBLOCK) != 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    channel.ours = ends[0];
    channel.theirs = ends[1];
    return true;
}

void handOver(LineChannel& channel) {
    if (channel.theirs >= 0) ::close(channel.theirs);
    channel.theirs = -1;
}

bool sendLine(LineChannel& channel, const std::string& line) {
    if (channel.ours < 0) return false;
    const std::string whole = line + "\n";
    const ssize_t sent = ::send(channel.ours, whole.data(), whole.size(), MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(whole.size());
}

std::optional<std::string> takeLine(LineChannel& channel) {
    char buffer[512];
    while (channel.ours >= 0 && channel.received.find('\n') == std::string::npos) {
        const ssize_t got = ::recv(channel.ours, buffer, sizeof buffer, 0);
        if (got <= 0) break;  // nothing more now, or the program's end is closed
        channel.received.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t end = channel.received.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = channel.received.substr(0, end);
    channel.received.erase(0, end + 1);
    return line;
}

bool makeSharedMemory(std::size_t size, SharedMemory& memory) {
    releaseSharedMemory(memory);
    const int descriptor = ::memfd_create("pagewell-shared", MFD_CLOEXEC);
    if (descriptor < 0) return false;
    void* bytes = ::ftruncate(descriptor, static_cast<off_t>(size)) == 0
                      ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0)
                      : MAP_FAILED;
    if (bytes == MAP_FAILED) {
        ::close(descriptor);
        return false;
    }
    memory = SharedMemory{descriptor, static_cast<unsigned char*>(bytes), size};
    return true;
}

std::uint64_t sharedLengthMark(const SharedMemory& memory) {
    if (memory.bytes == nullptr || memory.size < sizeof(std::uint64_t)) return 0;
    return std::atomic_ref<std::uint64_t>(*reinterpret_cast<std::uint64_t*>(memory.bytes))
        .load(std::memory_order_acquire);
}

void releaseSharedMemory(SharedMemory& memory) {
    if (memory.bytes != nullptr) ::munmap(memory.bytes, memory.size);
    if (memory.descriptor >= 0) ::close(memory.descriptor);
    memory = SharedMemory{};
}

void closeLineChannel(LineChannel& channel) {
    handOver(channel);
    if (channel.ours >= 0) ::close(channel.ours);
    channel = LineChannel{};
}

// A negative nice value needs privilege (or RLIMIT_NICE); without it the program keeps its priority.
void raiseProgramPriority(int processId) {
    if (processId <= 0) return;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(processId), -10) == 0) return;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur > 20 && limit.rlim_cur != RLIM_INFINITY)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(processId), 20 - static_cast<int>(limit.rlim_cur));
}

}  // namespace media
