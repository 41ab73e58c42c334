// One viewer per user and display: the viewer's socket, handing a document to the viewer that holds
// it, and taking handed documents without blocking. Main thread.
#pragma once

#include <string>

// The first viewer listens on a socket (mode 0600) in $XDG_RUNTIME_DIR, or in a private folder it makes
// under the temporary folder; a later start hands its document to that viewer instead of opening a
// window of its own.
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
