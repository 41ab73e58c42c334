// The password panel: a document locked by a password waits there for it.
#pragma once

#include <string>

struct PasswordState {
    int passwordPanelOpen = 0;
    std::string typedPassword;  // the field's content, shown masked; wiped when the panel closes
    int wrongPassword = 0;      // the last try failed: the panel says so until the next one
    int pointerOverOpenButton = 0, pointerOverCancelButton = 0;
    // What the panel sprite shows, so that it is redrawn only when that changes.
    int drawnCharacters = -1, drawnWrong = -1;
};
