// Inside the media layer's display side: window, renderer, sprite store, fonts and input hooks shared
// by display.cpp, sprites.cpp, drawing.cpp, fonts.cpp and input.cpp. Main thread only.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/media.h"
#include "media/picture.h"

namespace media::detail {

// ---- clock.cpp
bool testClockActive();

// ---- display.cpp
struct DisplayState {
    bool videoStarted = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    int width = 0;  // the sprite display's size
    int height = 0;
    std::string title;
    bool hasCaption = false;
    bool pointerCaptured = true;  // the program draws its own pointer
    int desktopOverrideWidth = 0;
    int desktopOverrideHeight = 0;
    std::int64_t frameIntervalNanoseconds = 0;
    std::int64_t lastFlipNanoseconds = 0;
    bool capturing = false;
    Picture captured;  // the last presented frame while capturing
};
DisplayState& display();
bool startVideo();  // the video subsystem alone (desktop size, clipboard)
bool driverShowsWindow(const std::string& sdlDriverName);
void handleSystemEvent(const SDL_Event& event);  // display-side events: render resets, quit
void applyPointerCapture();                      // grab and cursor as asked, free while a dialog is up

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

// ---- sprites.cpp
struct Sprite {
    Picture picture;  // RGBA; a sprite without alpha keeps alpha 255 everywhere
    bool alphaCapable = false;
    int displayWidth = 0;  // after zoom
    int displayHeight = 0;
    SDL_Rect clip{0, 0, 0, 0};
    SDL_Texture* texture = nullptr;        // pure black left out, or the sprite's own alpha
    SDL_Texture* opaqueTexture = nullptr;  // every pixel opaque; made on demand for multiply blending
    int textureDivisor = 1;  // the texture holds the picture shrunk by this when it was too large
    bool textureStale = true;
};
Sprite* findSprite(int number);
void refreshTexture(Sprite& sprite);  // after drawing: the texture follows the pixels
void remakeAllTextures();             // the renderer lost its textures, or a renderer appeared
void releaseAllSprites();

// ---- fonts.cpp
TTF_Font* fontFor(int number);  // the loaded font, else the default font; nullptr when none
int measureText(TTF_Font* font, const std::string& utf8);
// The text in the colour, anti-aliased, as an ARGB8888 surface whose alpha is the coverage.
SDL_Surface* renderText(TTF_Font* font, const std::string& utf8, Colour front);
void releaseFonts();

// ---- input.cpp
void takeInputEvent(const SDL_Event& event);  // keys, text and the pointer's events
void latchEscape();                           // the window was closed: the program ends as on Escape

// ---- pointer.cpp
void takePointerEvent(
    const SDL_Event& event);  // mouse motion, buttons and wheel, touch through SDL's emulation
void resetPointer();

// ---- drawing.cpp
void forgetDrawingTarget();

}  // namespace media::detail
