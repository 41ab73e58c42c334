// The helper programs' dialog windows made transient children of the viewer's window (X11), so that
// the window manager stacks them above the always-on-top viewer and keeps them with it.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "media/desktop/desktop_internal.h"
#include "media/display/display_internal.h"

// After the viewer's own headers: Xlib defines macros (None, Status, Bool) that would reach them.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace media::detail {

namespace {

struct X11Owner {
    Display* connection = nullptr;
    Window window = 0;
};

// SDL's own connection and the viewer's window; none when SDL does not run on X11.
X11Owner viewerOnX11() {
    SDL_Window* window = display().window;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return {};
    if (info.subsystem != SDL_SYSWM_X11) return {};
    return {info.info.x11.display, info.info.x11.window};
}

// Windows read here may vanish at any moment (a dialog closing); Xlib's default handler would end
// the program on the error that follows.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// A property of 32-bit items; empty when the window, the atom or the property is missing.
std::vector<unsigned long> readProperty(Display* connection, Window window, const char* name, Atom type) {
    Atom atom = XInternAtom(connection, name, True);
    if (atom == None) return {};
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(connection, window, atom, 0, 1L << 16, False, type, &actualType, &format, &count,
                           &remaining, &data) != Success)
        return {};
    std::vector<unsigned long> items;
    if (data != nullptr && actualType == type && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return items;
}

// Windows whose process has been looked at while the current dialogs are up.
std::set<Window>& seenWindows() {
    static std::set<Window> seen;
    return seen;
}

bool belongsTo(Display* connection, Window window, const std::vector<int>& processIds) {
    std::vector<unsigned long> pid = readProperty(connection, window, "_NET_WM_PID", XA_CARDINAL);
    return !pid.empty() &&
           std::find(processIds.begin(), processIds.end(), static_cast<int>(pid[0])) != processIds.end();
}

// A window that names its owner itself (zenity's message boxes, kdialog) keeps it; zenity's file
// chooser ignores --attach and gets it here.
void attachWindow(Display* connection, Window dialog, Window owner) {
    Window current = 0;
    if (XGetTransientForHint(connection, dialog, &current) != 0 && current != 0) return;
    XSetTransientForHint(connection, dialog, owner);
}

}  // namespace

std::string viewerWindowId() {
    X11Owner owner = viewerOnX11();
    return owner.connection != nullptr ? std::to_string(owner.window) : std::string();
}

void attachDialogWindows(const std::vector<int>& processIds) {
    if (processIds.empty()) return;
    X11Owner owner = viewerOnX11();
    if (owner.connection == nullptr) return;
    Display* connection = owner.connection;
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    Window root = DefaultRootWindow(connection);
    for (unsigned long client : readProperty(connection, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        if (client == owner.window || !seenWindows().insert(client).second) continue;
        if (belongsTo(connection, client, processIds)) attachWindow(connection, client, owner.window);
    }
    XSync(connection, False);
    XSetErrorHandler(previous);
}

void forgetDialogWindows() {
    seenWindows().clear();
}

}  // namespace media::detail
