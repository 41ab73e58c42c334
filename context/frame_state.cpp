// The two ways a feature ends the frame's event or the gestures.
#include "context/frame_state.h"

void consumeEvent(FrameState& frame) {
    frame.frameEvent = media::WindowEvent::none;
}

void endGesturesForPick(FrameState& frame) {
    frame.thumbnailMode = 0;
    frame.toolbarShown = 0;
    frame.backStripHovered = 0;
    frame.forwardStripHovered = 0;
    frame.pagePressed = 0;
    consumeEvent(frame);
}
