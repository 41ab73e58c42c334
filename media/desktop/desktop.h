// The media layer's desktop room: the clipboard, message boxes and the file chooser as the desktop's
// helper programs, and Unix sockets between processes of this user. Main thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace media {

// Dialogs and the clipboard. The file chooser and message boxes are helper programs (zenity, else
// kdialog) made transient, modal children of the viewer's window, so that a window manager stacks
// them above the always-on-top viewer. They run beside the frame loop: the viewer keeps drawing while
// one is up, and the pointer is free until the last one has ended. stopDisplay ends any still up.
// Their state is followed in flipDisplay.
void setClipboardText(const std::string& utf8);
std::string clipboardText();
// Writes the text to stderr and shows it. Once the window is shown, the box is a helper program and
// the call returns at once; before that (start-up), or with no helper installed, SDL's box waits to
// be closed.
void messageBox(const std::string& title, const std::string& text);
// Starts the desktop's file chooser; PAGEWELL_FILE_DIALOG names another program that prints the
// chosen path. The pattern is "description|filter", e.g. "PDF (*.pdf)|*.pdf". False when no chooser
// program could be started, or one is up already.
bool startFileChooser(const std::string& title, const std::string& defaultFile, const std::string& pattern);
bool fileChooserRunning();
// The chooser's answer once it has ended: the path, or "" when it was cancelled. Handed out once;
// nullopt while the chooser is up, or when none has ended since the last answer was taken.
std::optional<std::string> takeChosenFile();
bool dialogRunning();  // a file chooser or a message box is up
// The chooser, waited for: the path, or "" when cancelled. chooserAvailable tells whether any chooser
// could be run.
std::string chooseFileToOpen(const std::string& title, const std::string& defaultFile,
                             const std::string& pattern, bool* chooserAvailable = nullptr);

// ---------------------------------------------------------------------------------------------
// Unix stream sockets between processes of this user. Every socket is non-blocking and closed on exec.
using SocketDeadline = std::chrono::steady_clock::time_point;

// A folder for sockets that only this user can enter: runtimeFolder when it is ours, a real folder and
// closed to others; else <temporary folder><name>-<uid>/, made on first use (one of ours with loose
// rights is tightened; anyone else's is never used). "" when neither is safe.
std::string privateSocketFolder(const char* runtimeFolder, const std::string& name);
bool socketPathFits(const std::string& path);  // short enough for a socket address

// Held while a process looks at a socket file and replaces it, so that two processes never both
// replace a stale one. The lock goes with its descriptor, also when the process dies; a holder that
// keeps it for more than two seconds only costs the protection, never a hang.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

enum class SocketFile { missing, ours, foreign };  // foreign: another user's
SocketFile inspectSocketFile(const std::string& path);

enum class Received { bytes, nothing, closed };  // nothing: none came by the deadline

// One end of a connection, closed when it goes.
class SocketConnection {
public:
    SocketConnection() = default;
    explicit SocketConnection(int fd) : fd_(fd) {}
    ~SocketConnection();
    SocketConnection(SocketConnection&& other) noexcept;
    SocketConnection& operator=(SocketConnection&& other) noexcept;
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    bool peerIsUs() const;  // the process at the other end runs as this user
    // All of bytes sent by the deadline; false when the deadline passed or the connection broke.
    bool sendAll(const std::string& bytes, SocketDeadline deadline);
    // Appends up to most bytes once some have come, waiting until the deadline at most (a deadline
    // passed already only takes what is there); closed when the other end has ended or broke.
    Received receive(std::string& into, std::size_t most, SocketDeadline deadline);

private:
    int fd_ = -1;
};

enum class Reach { connected, nobody, busy, failed };  // nobody listens; busy: its queue is full
// Connects without blocking, so that a listener whose queue is full cannot hold the caller. error
// says why when failed.
Reach connectToSocket(const std::string& path, SocketConnection& connection, std::string& error);

// A socket file listened on, made with no rights for group or others from the start. Closing it
// removes the file, unless another process has replaced it meanwhile.
class SocketListener {
public:
    SocketListener() = default;
    ~SocketListener() { close(); }
    SocketListener(const SocketListener&) = delete;
    SocketListener& operator=(const SocketListener&) = delete;

    // "" once listening, else why not.
    std::string listen(const std::string& path, int backlog);
    bool listening() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // A connection waiting to be taken, without blocking; false when none waits.
    bool accept(SocketConnection& connection);
    void close();

private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t device_ = 0;  // the socket file made here, so that a successor's is never removed
    std::uint64_t inode_ = 0;
};

}  // namespace media
