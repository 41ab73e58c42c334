// The media layer's calls that span its rooms (system, pictures, text, display, input, desktop):
// starting, flipping and stopping the display. Each room has its own header. Main thread.
#pragma once

namespace media {

// Initialises the video system. Unless SDL_VIDEODRIVER names a driver, only a driver that shows a
// window is taken; false, with the reason on standard error, when none can start.
bool startDisplay();
void stopDisplay();  // releases display, sprites, fonts, sound, input and window
// Presents the frame drawn since the last flip, sleeps until the next frame is due and takes the
// window's events. A frame that draws exactly what the last one drew is not drawn or presented again;
// with the software renderer, only the rectangles in which it differs are drawn and presented.
void flipDisplay();

}  // namespace media
