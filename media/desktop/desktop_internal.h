// Inside the media layer: the helper dialogs followed once a frame and ended with the display. Main
// thread.
#pragma once

#include <string>
#include <vector>

namespace media::detail {

// ---- dialogs.cpp
bool dialogsUp();    // a helper dialog runs
void tendDialogs();  // once a frame: ended helpers are collected, their new windows attached
void stopDialogs();  // ends every helper still up

// ---- dialog_windows.cpp (X11)
std::string viewerWindowId();  // the viewer window's X11 id in decimal; "" when not on X11
// Each managed window of these processes that has no owner becomes a transient child of the viewer's
// window. Does nothing without a window manager (no _NET_CLIENT_LIST): nothing is stacked then.
void attachDialogWindows(const std::vector<int>& processIds);
void forgetDialogWindows();  // no dialog is up: window ids may be reused

}  // namespace media::detail
