// Unix stream sockets between processes of this user: a private folder for them, a folder lock,
// listening, connecting and accepting without blocking, the peer's user, bytes within a deadline.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "media/desktop/desktop.h"
#include "media/system/system.h"

namespace media {

namespace {

// A process that finds the folder locked tries again this often, this many times (two seconds).
constexpr int folderLockAttempts = 200;
constexpr int folderLockRetryMilliseconds = 10;

// A folder only we can enter: ours, not a symbolic link, no rights for group or others.
bool privateFolder(const std::string& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

std::string fallbackFolder(const std::string& name) {
    std::string folder = temporaryFolder() + name + "-" + std::to_string(geteuid()) + "/";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return "";
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return "";
    return privateFolder(folder) ? folder : "";
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string systemError() {
    return std::strerror(errno);
}

int millisecondsUntil(SocketDeadline deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SocketDeadline::clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The descriptor ready for events by the deadline; false when it passed first.
bool waitFor(int fd, short events, SocketDeadline deadline) {
    while (true) {
        pollfd wait{fd, events, 0};
        int ready = poll(&wait, 1, millisecondsUntil(deadline));
        if (ready >= 0 || errno != EINTR) return ready > 0;
    }
}

}  // namespace

std::string privateSocketFolder(const char* runtimeFolder, const std::string& name) {
    if (runtimeFolder != nullptr && runtimeFolder[0] == '/' && privateFolder(runtimeFolder)) {
        std::string folder = runtimeFolder;
        return folder.back() == '/' ? folder : folder + "/";
    }
    return fallbackFolder(name);
}

bool socketPathFits(const std::string& path) {
    sockaddr_un address;
    return socketAddress(path, address);
}

FolderLock::FolderLock(const std::string& folder)
    : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    for (int attempt = 0; fd_ >= 0 && attempt < folderLockAttempts; ++attempt) {
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return;
        sleepMilliseconds(folderLockRetryMilliseconds);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

SocketFile inspectSocketFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return SocketFile::missing;
    return info.st_uid == geteuid() ? SocketFile::ours : SocketFile::foreign;
}

SocketConnection::~SocketConnection() {
    if (fd_ >= 0) ::close(fd_);
}

SocketConnection::SocketConnection(SocketConnection&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

SocketConnection& SocketConnection::operator=(SocketConnection&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool SocketConnection::peerIsUs() const {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return fd_ >= 0 && getsockopt(fd_, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == geteuid();
}

bool SocketConnection::sendAll(const std::string& bytes, SocketDeadline deadline) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        ssize_t count = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (!waitFor(fd_, POLLOUT, deadline)) return false;
    }
    return fd_ >= 0;
}

Received SocketConnection::receive(std::string& into, std::size_t most, SocketDeadline deadline) {
    if (fd_ < 0) return Received::closed;
    std::string buffer(most, '\0');
    while (true) {
        ssize_t count = recv(fd_, buffer.data(), most, 0);
        if (count > 0) {
            into.append(buffer.data(), static_cast<std::size_t>(count));
            return Received::bytes;
        }
        if (count == 0 || (errno != EAGAIN && errno != EINTR)) return Received::closed;
        if (errno == EAGAIN && !waitFor(fd_, POLLIN, deadline)) return Received::nothing;
    }
}

Reach connectToSocket(const std::string& path, SocketConnection& connection, std::string& error) {
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        error = "the socket path is too long";
        return Reach::failed;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = systemError();
        return Reach::failed;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        connection = SocketConnection(fd);
        return Reach::connected;
    }
    int reason = errno;
    ::close(fd);
    if (reason == ECONNREFUSED || reason == ENOENT || reason == ENOTSOCK) return Reach::nobody;
    if (reason == EAGAIN) return Reach::busy;
    error = std::strerror(reason);
    return Reach::failed;
}

std::string SocketListener::listen(const std::string& path, int backlog) {
    close();
    sockaddr_un address;
    if (!socketAddress(path, address)) return "the socket path is too long";
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return systemError();
    mode_t previous = umask(0177);
    bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    umask(previous);
    if (!bound || chmod(path.c_str(), 0600) != 0 || ::listen(fd, backlog) != 0) {
        std::string error = systemError();
        if (bound) unlink(path.c_str());
        ::close(fd);
        return error;
    }
    fd_ = fd;
    path_ = path;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    return "";
}

bool SocketListener::accept(SocketConnection& connection) {
    if (fd_ < 0) return false;
    int fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return false;
    connection = SocketConnection(fd);
    return true;
}

void SocketListener::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    struct stat info {};
    bool stillOurs = lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
    if (stillOurs) unlink(path_.c_str());
    fd_ = -1;
    path_.clear();
    device_ = inode_ = 0;
}

}  // namespace media
