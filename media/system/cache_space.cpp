// What the page cache takes from the disk: folder sizes, free space, when a folder was last used or
// changed, whole folders removed, and folders held by the viewers that show their documents.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>

#include "media/system/system.h"

namespace fs = std::filesystem;

namespace media {

namespace {

std::int64_t secondsOf(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec);
}

}  // namespace

std::vector<std::string> subfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_directory(error) && !entry.is_symlink(error))
            names.push_back(entry.path().filename().string());
    return names;
}

FolderUse folderUse(const std::string& folder) {
    FolderUse use;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return use;
    use.lastUsed = use.lastChanged = secondsOf(status.st_mtim);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (::lstat(it->path().c_str(), &status) != 0) continue;
        if (S_ISREG(status.st_mode)) use.bytes += static_cast<std::int64_t>(status.st_size);
        use.lastChanged = std::max(use.lastChanged, secondsOf(status.st_mtim));
    }
    return use;
}

// A file system out of inodes takes no new file however many bytes it has left. A read-only one is
// not full, whatever it has left: nothing is written there at all (unknown).
std::int64_t freeBytes(const std::string& path) {
    struct statvfs status {};
    if (::statvfs(path.c_str(), &status) != 0 || (status.f_flag & ST_RDONLY) != 0) return -1;
    if (status.f_files > 0 && status.f_favail == 0) return 0;
    return static_cast<std::int64_t>(status.f_bavail) * static_cast<std::int64_t>(status.f_frsize);
}

bool markFolderUsed(const std::string& folder) {
    return ::utimensat(AT_FDCWD, folder.c_str(), nullptr, AT_SYMLINK_NOFOLLOW) == 0;
}

bool removeFolderTree(const std::string& folder) {
    std::error_code error;
    fs::remove_all(folder, error);  // links inside go, never what they point to
    return !error;
}

int holdFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) return fd;
    ::close(fd);
    return -1;
}

void releaseFolder(int hold) {
    if (hold >= 0) ::close(hold);
}

bool folderHeld(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

}  // namespace media
