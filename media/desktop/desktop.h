// The media layer's desktop room: the clipboard, message boxes and the file chooser as the desktop's
// helper programs, and the viewer's socket for one viewer per user and display. Main thread.
#pragma once

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
// One viewer per user and display. The first viewer listens on a socket (mode 0600) in
// $XDG_RUNTIME_DIR, or in a private folder it makes under the temporary folder; a later start hands
// its document to that viewer instead of opening a window of its own.
enum class InstanceRole {
    owner,       // this process holds the socket and takes documents from later starts
    handedOver,  // a running viewer took the document: this process is done
    separate,    // no safe socket (another user's, no private folder): run on without one
    unanswered,  // a viewer holds the socket but takes no connection
};
struct InstanceClaim {
    InstanceRole role = InstanceRole::separate;
    std::string problem;  // for standard error; empty when all went as it should
};
// Hands document (an absolute path; "" only brings the viewer to the front) to the viewer running
// for this user and display, or claims the socket when none does; a socket left by a viewer that
// crashed is replaced. Waits ten seconds at most for the running viewer; called before the display starts.
InstanceClaim claimInstance(const std::string& document);
// A document handed over by a later start, one per call, "" when it only asked for the front. False
// when none came. Never blocks; call it once a frame.
bool takeHandedDocument(std::string& path);
// Closes the socket and removes its file, unless another viewer has replaced it meanwhile.
void releaseInstance();
std::string instanceSocketPath();                            // the socket this viewer holds, or ""
std::string instanceFolder();                                // where the socket lives; "" when nowhere safe
std::string instanceSocketName(const std::string& display);  // unsafe characters made "_"

}  // namespace media
