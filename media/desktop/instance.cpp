// One viewer per user and display: the viewer's socket, handing a document to the viewer that holds
// it, and taking handed documents without blocking.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "media/desktop/desktop.h"
#include "media/system/system.h"

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

// A later start waits this long for the running viewer to take its document.
constexpr auto handOverPatience = std::chrono::seconds(10);
// A connection that has not sent a whole message by then is dropped.
constexpr auto messagePatience = std::chrono::seconds(5);
constexpr std::size_t connectionsAtMost = 16;
constexpr std::size_t messageBytesAtMost = 65536;
constexpr char acknowledgement = 'y';
// A start that finds the socket folder locked tries again this often, this many times (two seconds).
constexpr int folderLockAttempts = 200;
constexpr auto folderLockRetry = std::chrono::milliseconds(10);
// A claim that found the socket busy is made again after this pause, until handOverPatience ends.
constexpr auto claimRetry = std::chrono::milliseconds(50);

struct Connection {
    int fd = -1;
    std::string received;
    Clock::time_point opened;
};

struct InstanceState {
    int listener = -1;
    std::string socketPath;
    dev_t device = 0;  // the socket file this process made, so that it never removes a successor's
    ino_t inode = 0;
    std::vector<Connection> connections;
    std::deque<std::string> handed;
};

InstanceState& instance() {
    static InstanceState state;
    return state;
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// A folder only we can enter: ours, not a symbolic link, no rights for group or others.
bool privateFolder(const std::string& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

// The fallback under the temporary folder, made on first use; one of ours with loose rights is
// tightened, anyone else's is never used.
std::string fallbackFolder() {
    std::string folder = temporaryFolder() + "pagewell-" + std::to_string(geteuid()) + "/";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return "";
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return "";
    return privateFolder(folder) ? folder : "";
}

std::string displayName() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool peerIsUs(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == geteuid();
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Held while a start looks at the socket file and replaces it, so that two starts at once never
// both replace a stale one. The lock goes with the descriptor, also when the process dies. Some other
// program holding a lock on the folder for long only costs the protection, never a hang.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        for (int attempt = 0; fd_ >= 0 && attempt < folderLockAttempts; ++attempt) {
            if (flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return;
            std::this_thread::sleep_for(folderLockRetry);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

enum class SocketFile { missing, ours, foreign };

SocketFile inspectSocketFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return SocketFile::missing;
    return info.st_uid == geteuid() ? SocketFile::ours : SocketFile::foreign;
}

enum class Reach { connected, nobody, busy, failed };

// Non-blocking, so that a viewer whose queue of connections is full cannot hold this start.
Reach connectTo(const sockaddr_un& address, int& fd) {
    fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Reach::failed;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return Reach::connected;
    int error = errno;
    close(fd);
    fd = -1;
    if (error == ECONNREFUSED || error == ENOENT || error == ENOTSOCK) return Reach::nobody;
    return error == EAGAIN ? Reach::busy : Reach::failed;
}

int millisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool sendAll(int fd, const std::string& message, Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < message.size()) {
        ssize_t count = send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd wait{fd, POLLOUT, 0};
        if (poll(&wait, 1, millisecondsUntil(deadline)) <= 0) return false;
    }
    return true;
}

enum class Handover { taken, queued, lost };

// The document and its end mark, then the viewer's answer. No answer in time means the viewer is
// busy (a dialog, the about screen): the message waits in its queue.
Handover handOver(int fd, const std::string& document, Clock::time_point deadline) {
    if (!sendAll(fd, document + '\0', deadline)) return Handover::lost;
    while (true) {
        pollfd wait{fd, POLLIN, 0};
        int ready = poll(&wait, 1, millisecondsUntil(deadline));
        if (ready == 0) return Handover::queued;
        if (ready < 0 && errno == EINTR) continue;
        char answer = 0;
        ssize_t count = recv(fd, &answer, 1, 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        return count == 1 && answer == acknowledgement ? Handover::taken : Handover::lost;
    }
}

bool rememberSocketFile(InstanceState& state) {
    struct stat info {};
    if (lstat(state.socketPath.c_str(), &info) != 0) return false;
    state.device = info.st_dev;
    state.inode = info.st_ino;
    return true;
}

// The socket file is made with no rights for group or others from the start.
bool listenAt(const std::string& path, const sockaddr_un& address) {
    InstanceState& state = instance();
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    mode_t previous = umask(0177);
    bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    umask(previous);
    if (!bound || chmod(path.c_str(), 0600) != 0 || listen(fd, static_cast<int>(connectionsAtMost)) != 0) {
        int error = errno;
        if (bound) unlink(path.c_str());
        close(fd);
        errno = error;
        return false;
    }
    state.listener = fd;
    state.socketPath = path;
    rememberSocketFile(state);
    return true;
}

InstanceClaim separate(const std::string& problem) {
    return {InstanceRole::separate, problem + "; this viewer runs on its own"};
}

enum class Look { connected, settled, again };

// Under the folder lock: connects to the viewer holding the socket, or takes the socket over when
// nobody answers on it, or settles on running separately.
Look lookAtSocket(const std::string& folder, const std::string& path, const sockaddr_un& address, int& fd,
                  InstanceClaim& claim) {
    FolderLock lock(folder);
    SocketFile file = inspectSocketFile(path);
    if (file == SocketFile::foreign) {
        claim = separate(path + " belongs to another user");
        return Look::settled;
    }
    Reach reach = file == SocketFile::ours ? connectTo(address, fd) : Reach::nobody;
    if (reach == Reach::connected) return Look::connected;
    if (reach == Reach::busy) return Look::again;
    if (reach == Reach::failed) {
        claim = separate(systemError("cannot reach the viewer at " + path));
    } else {
        if (file == SocketFile::ours) unlink(path.c_str());  // left by a viewer that crashed
        claim = listenAt(path, address) ? InstanceClaim{InstanceRole::owner, ""}
                                        : separate(systemError("cannot listen at " + path));
    }
    return Look::settled;
}

// One look at the socket: hand over to its viewer, or take its place. Returns false when the look
// must be repeated (a viewer that ended meanwhile, a full queue).
bool claimOnce(const std::string& folder, const std::string& path, const sockaddr_un& address,
               const std::string& document, Clock::time_point deadline, InstanceClaim& claim) {
    int fd = -1;
    Look look = lookAtSocket(folder, path, address, fd, claim);
    if (look != Look::connected) return look == Look::settled;
    if (!peerIsUs(fd)) {
        close(fd);
        claim = separate("the viewer at " + path + " runs as another user");
        return true;
    }
    Handover result = handOver(fd, document, deadline);
    close(fd);
    if (result == Handover::lost) return false;
    claim = {InstanceRole::handedOver, ""};
    if (result == Handover::queued)
        claim.problem = "the running viewer is busy; it opens the document when free";
    return true;
}

void dropConnection(InstanceState& state, std::size_t index) {
    close(state.connections[index].fd);
    state.connections.erase(state.connections.begin() + static_cast<std::ptrdiff_t>(index));
}

void acceptConnections(InstanceState& state) {
    while (state.connections.size() < connectionsAtMost) {
        int fd = accept4(state.listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (!peerIsUs(fd)) {
            close(fd);
            continue;
        }
        state.connections.push_back({fd, "", Clock::now()});
    }
}

// Reads what has arrived; true when the connection is finished with (message whole, closed, broken).
bool readConnection(InstanceState& state, Connection& connection) {
    char buffer[4096];
    while (true) {
        ssize_t count = recv(connection.fd, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && errno == EAGAIN) break;
        if (count <= 0) return true;
        connection.received.append(buffer, static_cast<std::size_t>(count));
        std::size_t end = connection.received.find('\0');
        if (end != std::string::npos) {
            state.handed.push_back(connection.received.substr(0, end));
            send(connection.fd, &acknowledgement, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            return true;
        }
        if (connection.received.size() > messageBytesAtMost) return true;
    }
    return Clock::now() - connection.opened > messagePatience;
}

void readConnections(InstanceState& state) {
    for (std::size_t i = state.connections.size(); i-- > 0;) {
        if (readConnection(state, state.connections[i])) dropConnection(state, i);
    }
}

}  // namespace

std::string instanceSocketName(const std::string& display) {
    std::string name = display.empty() ? "none" : display.substr(0, 64);
    for (char& c : name) {
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-';
        if (!safe) c = '_';
    }
    return "pagewell-" + name + ".sock";
}

std::string instanceFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && privateFolder(runtime)) return withSlash(runtime);
    return fallbackFolder();
}

InstanceClaim claimInstance(const std::string& document) {
    std::string folder = instanceFolder();
    if (folder.empty()) return separate("no private folder for the viewer's socket");
    std::string path = folder + instanceSocketName(displayName());
    sockaddr_un address;
    if (!socketAddress(path, address)) return separate("the socket path " + path + " is too long");
    Clock::time_point deadline = Clock::now() + handOverPatience;
    InstanceClaim claim;
    while (!claimOnce(folder, path, address, document, deadline, claim)) {
        if (Clock::now() >= deadline) return {InstanceRole::unanswered, "the running viewer does not answer"};
        std::this_thread::sleep_for(claimRetry);
    }
    return claim;
}

bool takeHandedDocument(std::string& path) {
    InstanceState& state = instance();
    if (state.listener >= 0) {
        acceptConnections(state);
        readConnections(state);
    }
    if (state.handed.empty()) return false;
    path = state.handed.front();
    state.handed.pop_front();
    return true;
}

std::string instanceSocketPath() {
    return instance().listener >= 0 ? instance().socketPath : "";
}

void releaseInstance() {
    InstanceState& state = instance();
    while (!state.connections.empty()) dropConnection(state, state.connections.size() - 1);
    if (state.listener < 0) return;
    close(state.listener);
    struct stat info {};
    bool stillOurs = lstat(state.socketPath.c_str(), &info) == 0 && info.st_dev == state.device &&
                     info.st_ino == state.inode;
    if (stillOurs) unlink(state.socketPath.c_str());
    state = InstanceState{};
}

}  // namespace media
