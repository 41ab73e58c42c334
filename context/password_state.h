// The password panel: a document locked by a password waits there for it.
#pragma once

#include <optional>
#include <string>

struct PasswordState {
    bool passwordPanelOpen = false;
    std::string typedPassword;   // the field's content, shown masked; wiped when the panel closes
    bool wrongPassword = false;  // the last try failed: the panel says so until the next one
    bool pointerOverOpenButton = false, pointerOverCancelButton = false;
    // What the panel sprite shows, so that it is redrawn only when that changes.
    int drawnCharacters = -1;  // -1: not drawn yet
    std::optional<bool> drawnWrong;
};
