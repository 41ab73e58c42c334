// Files and folders: sizes, times, whole-file reading and atomic writing, lines, folder services.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "media/system/system.h"

namespace media {

namespace {

// Latest moment the modification time may have: 2038-01-19 03:14:07.
constexpr std::int64_t latestModificationTime = 2147483647;

// Reading a FIFO or a device could block forever; only regular files are read.
int openRegularForReading(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A replaced file keeps its permission bits; a new one gets the usual 0666 less the umask.
mode_t modeFor(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) return status.st_mode & 07777;
    return 0666;
}

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool isDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool createParents(const std::string& path) {
    std::string partial;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        partial = path.substr(0, slash);
        if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

std::int64_t fileSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return -1;
    if (S_ISDIR(status.st_mode)) return -2;
    return static_cast<std::int64_t>(status.st_size);
}

bool filePresent(const std::string& path) {
    return fileSize(path) > 0;
}

std::int64_t localSecondsFromUtc(std::int64_t utcSeconds) {
    time_t moment = static_cast<time_t>(utcSeconds);
    struct tm local {};
    if (!::localtime_r(&moment, &local)) return utcSeconds;
    return static_cast<std::int64_t>(::timegm(&local));
}

std::int64_t fileModificationTime(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 0;
    std::int64_t local = localSecondsFromUtc(static_cast<std::int64_t>(status.st_mtim.tv_sec));
    if (local < 0 || local > latestModificationTime) return -1;
    return local;
}

std::int64_t fileModifiedNanoseconds(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return -1;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

bool createFolder(const std::string& path, bool withParents) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || isDirectory(folder)) return false;
    if (withParents && !createParents(folder)) return false;
    return ::mkdir(folder.c_str(), 0777) == 0;
}

bool folderExists(const std::string& path) {
    return !path.empty() && isDirectory(path);
}

// unlink needs write permission on the folder only, so a read-only file goes as well.
bool deleteFile(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

std::string uniqueFileName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool renameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void deleteFilesInFolder(const std::string& folder, const std::string& pattern) {
    std::string base = withSlash(folder);
    DIR* directory = ::opendir(base.c_str());
    if (!directory) return;
    while (struct dirent* entry = ::readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || ::fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
        deleteFile(base + name);
    }
    ::closedir(directory);
    ::rmdir(base.c_str());  // refused while sub-folders or other files remain, as wanted
}

bool readWholeFile(const std::string& path, std::string& contents) {
    int fd = openRegularForReading(path);
    if (fd < 0) return false;
    std::string bytes;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    char block[65536];
    bool good = true;
    for (;;) {
        ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) good = false;
        if (got <= 0) break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (good) contents = std::move(bytes);
    return good;
}

// Writes under a temporary name in the same folder and renames it over the target, so that a reader
// (another thread, a tool program) never sees a half-written file and a failed write leaves none.
bool writeWholeFile(const std::string& path, std::string_view contents) {
    std::string temporary = uniqueFileName(path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, modeFor(path));
    if (fd < 0) return false;
    bool good = writeAll(fd, contents);
    good = (::close(fd) == 0) && good;
    if (good && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool appendToFile(const std::string& path, const std::string& contents) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool good = writeAll(fd, contents);
    return (::close(fd) == 0) && good;
}

std::vector<std::string> readLines(const std::string& path) {
    std::string contents;
    std::vector<std::string> lines;
    if (!readWholeFile(path, contents)) return lines;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos) end = contents.size();
        std::size_t stop = (end > start && contents[end - 1] == '\r') ? end - 1 : end;
        lines.push_back(contents.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

bool canOpenForReading(const std::string& path) {
    int fd = openRegularForReading(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::string executableFolder() {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return currentFolder();
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string currentFolder() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return "./";
    return withSlash(buffer);
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return currentFolder() + path;
}

std::string temporaryFolder() {
    const char* variable = std::getenv("TMPDIR");
    if (variable && *variable && isDirectory(variable)) return withSlash(variable);
    return "/tmp/";
}

// access() alone trusts permission bits; a read-only mount or an ACL can still refuse, so a probe
// file is actually created and removed.
bool folderWritable(const std::string& path) {
    std::string folder = withSlash(path);
    if (!isDirectory(folder) || ::access(folder.c_str(), W_OK) != 0) return false;
    std::string probe = uniqueFileName(folder + ".pagewell-probe");
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void keepNewFilesPrivate(bool on) {
    static const mode_t started = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }();
    ::umask(on ? (started | 077) : started);
}

bool makeFolderPrivate(const std::string& folder) {
    const std::string base = withSlash(folder);
    if (!isDirectory(base) || ::chmod(base.c_str(), 0700) != 0) return false;
    DIR* directory = ::opendir(base.c_str());
    if (!directory) return false;
    bool good = true;
    while (struct dirent* entry = ::readdir(directory)) {
        struct stat status {};
        const std::string path = base + entry->d_name;
        if (::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
            good = ::chmod(path.c_str(), 0600) == 0 && good;
    }
    ::closedir(directory);
    return good;
}

}  // namespace media
