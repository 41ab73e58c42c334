// One viewer per user and display: the socket's name, the claim of a later start (hand its document
// over, or take the socket's place), the message and its acknowledgement, the queue of handed documents.
#include "app/instance.h"

#include <chrono>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "media/desktop/desktop.h"
#include "media/system/system.h"

namespace {

using Clock = std::chrono::steady_clock;

// A later start waits this long for the running viewer to take its document.
constexpr auto handOverPatience = std::chrono::seconds(10);
// A connection that has not sent a whole message by then is dropped.
constexpr auto messagePatience = std::chrono::seconds(5);
constexpr std::size_t connectionsAtMost = 16;
constexpr std::size_t messageBytesAtMost = 65536;
constexpr std::size_t readBytes = 4096;
// A message is a document's path and this end mark; the viewer answers it with the acknowledgement.
constexpr char endMark = '\0';
constexpr char acknowledgement = 'y';
// A claim that found the socket busy is made again after this pause, until handOverPatience ends.
constexpr int claimRetryMilliseconds = 50;

struct Connection {
    media::SocketConnection socket;
    std::string received;
    Clock::time_point opened;
};

struct InstanceState {
    media::SocketListener listener;
    std::vector<Connection> connections;
    std::deque<std::string> handed;
};

InstanceState& instance() {
    static InstanceState state;
    return state;
}

std::string displayName() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

InstanceClaim separate(const std::string& problem) {
    return {InstanceRole::separate, problem + "; this viewer runs on its own"};
}

enum class Handover { taken, queued, lost };

// The document and its end mark, then the viewer's answer. No answer in time means the viewer is
// busy (a dialog, the about screen): the message waits in its queue.
Handover handOver(media::SocketConnection& socket, const std::string& document, Clock::time_point deadline) {
    if (!socket.sendAll(document + endMark, deadline)) return Handover::lost;
    std::string answer;
    media::Received received = socket.receive(answer, 1, deadline);
    if (received == media::Received::nothing) return Handover::queued;
    return received == media::Received::bytes && answer[0] == acknowledgement ? Handover::taken
                                                                              : Handover::lost;
}

enum class Look { connected, settled, again };

// Under the folder lock: connects to the viewer holding the socket, or takes the socket over when
// nobody answers on it, or settles on running separately.
Look lookAtSocket(const std::string& folder, const std::string& path, media::SocketConnection& socket,
                  InstanceClaim& claim) {
    media::FolderLock lock(folder);
    media::SocketFile file = media::inspectSocketFile(path);
    if (file == media::SocketFile::foreign) {
        claim = separate(path + " belongs to another user");
        return Look::settled;
    }
    std::string error;
    media::Reach reach =
        file == media::SocketFile::ours ? media::connectToSocket(path, socket, error) : media::Reach::nobody;
    if (reach == media::Reach::connected) return Look::connected;
    if (reach == media::Reach::busy) return Look::again;
    if (reach == media::Reach::failed) {
        claim = separate("cannot reach the viewer at " + path + ": " + error);
        return Look::settled;
    }
    if (file == media::SocketFile::ours) media::deleteFile(path);  // left by a viewer that crashed
    error = instance().listener.listen(path, static_cast<int>(connectionsAtMost));
    claim = error.empty() ? InstanceClaim{InstanceRole::owner, ""}
                          : separate("cannot listen at " + path + ": " + error);
    return Look::settled;
}

// One look at the socket: hand over to its viewer, or take its place. Returns false when the look
// must be repeated (a viewer that ended meanwhile, a full queue).
bool claimOnce(const std::string& folder, const std::string& path, const std::string& document,
               Clock::time_point deadline, InstanceClaim& claim) {
    media::SocketConnection socket;
    Look look = lookAtSocket(folder, path, socket, claim);
    if (look != Look::connected) return look == Look::settled;
    if (!socket.peerIsUs()) {
        claim = separate("the viewer at " + path + " runs as another user");
        return true;
    }
    Handover result = handOver(socket, document, deadline);
    if (result == Handover::lost) return false;
    claim = {InstanceRole::handedOver, ""};
    if (result == Handover::queued)
        claim.problem = "the running viewer is busy; it opens the document when free";
    return true;
}

void acceptConnections(InstanceState& state) {
    media::SocketConnection socket;
    while (state.connections.size() < connectionsAtMost && state.listener.accept(socket)) {
        if (socket.peerIsUs()) state.connections.push_back({std::move(socket), "", Clock::now()});
    }
}

// Reads what has arrived; true when the connection is finished with (message whole, closed, broken).
bool readConnection(InstanceState& state, Connection& connection) {
    const Clock::time_point now = Clock::now();
    while (true) {
        media::Received received = connection.socket.receive(connection.received, readBytes, now);
        if (received == media::Received::closed) return true;
        if (received == media::Received::nothing) break;
        std::size_t end = connection.received.find(endMark);
        if (end != std::string::npos) {
            state.handed.push_back(connection.received.substr(0, end));
            connection.socket.sendAll(std::string(1, acknowledgement), now);
            return true;
        }
        if (connection.received.size() > messageBytesAtMost) return true;
    }
    return now - connection.opened > messagePatience;
}

void readConnections(InstanceState& state) {
    std::erase_if(state.connections,
                  [&](Connection& connection) { return readConnection(state, connection); });
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
    return media::privateSocketFolder(std::getenv("XDG_RUNTIME_DIR"), "pagewell");
}

InstanceClaim claimInstance(const std::string& document) {
    std::string folder = instanceFolder();
    if (folder.empty()) return separate("no private folder for the viewer's socket");
    std::string path = folder + instanceSocketName(displayName());
    if (!media::socketPathFits(path)) return separate("the socket path " + path + " is too long");
    Clock::time_point deadline = Clock::now() + handOverPatience;
    InstanceClaim claim;
    while (!claimOnce(folder, path, document, deadline, claim)) {
        if (Clock::now() >= deadline) return {InstanceRole::unanswered, "the running viewer does not answer"};
        media::sleepMilliseconds(claimRetryMilliseconds);
    }
    return claim;
}

bool takeHandedDocument(std::string& path) {
    InstanceState& state = instance();
    if (state.listener.listening()) {
        acceptConnections(state);
        readConnections(state);
    }
    if (state.handed.empty()) return false;
    path = state.handed.front();
    state.handed.pop_front();
    return true;
}

std::string instanceSocketPath() {
    return instance().listener.listening() ? instance().listener.path() : "";
}

void releaseInstance() {
    InstanceState& state = instance();
    state.connections.clear();
    state.listener.close();
    state.handed.clear();
}
