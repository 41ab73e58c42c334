// The media layer's calls that span its rooms: the display started with its fonts and typing, each
// flip followed by the input and the dialogs, and everything let go in order at the end.
#include "media/media.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>

#include "media/desktop/desktop_internal.h"
#include "media/display/display_internal.h"
#include "media/input/input.h"
#include "media/system/system.h"

namespace media {

bool startDisplay() {
    if (!detail::startVideo()) return false;
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        std::fprintf(stderr, "Fonts: %s\n", TTF_GetError());
        return false;
    }
    SDL_StartTextInput();
    return true;
}

void stopDisplay() {
    detail::stopDialogs();
    stopSound();
    detail::closeDisplay();
    resetInput();
}

void flipDisplay() {
    detail::presentAndWait();
    pumpEvents();
    detail::tendDialogs();
}

}  // namespace media
