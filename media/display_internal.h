// Inside the media layer's display side: window, renderer, sprite store, fonts and input hooks shared
// by display.cpp, compose.cpp, sprites.cpp, drawing.cpp, fonts.cpp, text_runs.cpp and input.cpp. Main
// thread only.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/draw_list.h"
#include "media/media.h"
#include "media/picture.h"

namespace media::detail {

// ---- clock.cpp
bool testClockActive();
void startFramePacing();  // the next frame is due one interval from now
// Sleeps until the next frame is due, frames being interval nanoseconds apart; never with a test clock.
void waitForNextFrame(std::int64_t interval);

// ---- display.cpp
// What SDL's start reads from the environment and the viewer sets for it: set once, before any thread
// of the viewer runs (the environment is not changed under a running thread), and left out of the
// environment of the programs the viewer starts (programs.cpp). Does nothing once set.
void prepareStartEnvironment();
// The memory readyMemoryForFirstPage made ready, the heap's from now on (once; later calls do nothing).
void releaseReadyMemory();
std::vector<std::string>& startVariables();  // the names set
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
    bool software = false;  // SDL's software renderer, drawing into the window's surface
    std::int64_t frameIntervalNanoseconds = 0;
    bool capturing = false;
    Picture captured;  // the last presented frame while capturing
};
DisplayState& display();
bool startVideo();  // the video subsystem alone (desktop size, clipboard)
bool driverShowsWindow(const std::string& sdlDriverName);
void handleSystemEvent(const SDL_Event& event);  // display-side events: render resets, exposure, quit
void applyPointerCapture();                      // grab and cursor as asked, free while a dialog is up
std::uint64_t rendererGeneration();              // changes whenever a renderer is made or destroyed
bool readFrame(Picture& frame);                  // what the renderer's output holds now, RGBA
void captureFrame();                             // into display().captured

// ---- compose.cpp
void addDrawStep(DrawStep step);  // a step of the frame being drawn
void presentFrame();              // draws the frame's steps, as far as needed, and presents them
// Between frames: the scaled copy a later frame's step will need is made now and kept for it, one at
// a time; nothing when the step needs none.
void scaleAhead(const DrawStep& step);
void forgetScaledAhead(std::uint64_t content);  // the pixels of that version are gone
void redrawWhole();      // the screen's content is not known: the next frame is drawn whole
void forgetDrawSteps();  // the renderer goes or lost its textures: no step can be drawn again

// ---- frame_counts.cpp
void countFrame(bool presented, bool partial, int scaledCopiesMade);

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
    TextureHandle texture;        // pure black left out, or the sprite's own alpha; made on demand
    TextureHandle opaqueTexture;  // a sprite without alpha: its picture as it is; made on demand
    int textureDivisor = 1;       // the textures hold the picture shrunk by this when it was too large
    bool textureStale = true;     // each texture is behind the pixels
    bool opaqueStale = true;
    std::uint64_t version = 0;  // changes with the pixels (newContentVersion)
};
Sprite* findSprite(int number);
void refreshTexture(Sprite& sprite);  // after drawing: the texture follows the pixels
void remakeAllTextures();             // the renderer lost its textures, or a renderer appeared
void releaseAllSprites();
bool hasOwnAlpha(const Picture& picture);
bool adoptPicture(int number, Picture picture, bool ownAlpha);  // false for an unacceptable size
void prepareTexture(int number);    // makes the texture now rather than at the sprite's first display
bool moveSprite(int from, int to);  // replaces whatever was under to
// Makes now what displaySprite of the sprite, whole, at width x height on the screen will draw.
void prepareDisplay(int number, int width, int height);

// ---- prefetch.cpp
// Puts the prefetched picture of imageFile under sprite number when it was decoded from the file as
// it is now; false otherwise (nothing changes then).
bool takePrefetchedSprite(const std::string& imageFile, int number);

// ---- fonts.cpp
struct FontFace {
    TTF_Font* handle = nullptr;
    std::string file;
    int index = 0;  // the face's index within its file
    int pointSize = 0;
    bool bold = false;
    int columnWidth = 0;  // the one advance of a monospace font's glyphs; 0 for a proportional font
};
const FontFace* fontFor(int number);  // the loaded font, else the default font; nullptr when none
// The face that draws a character the font lacks, found through fontconfig once per point size, style
// and range of characters and then kept; the font itself (its missing-glyph box) when no face has it.
TTF_Font* fallbackFace(const FontFace& font, Uint32 codePoint);
void releaseFonts();
std::uint64_t fontGeneration();  // changes whenever a font is loaded or released

// ---- text_runs.cpp
// The sum of the advances of the glyphs that draw the text, each from the face that has it; under a
// monospace font a fallback glyph's advance is at most the width of its display columns.
int measureText(const FontFace* font, const std::string& utf8);
// The text in the colour, anti-aliased, as an ARGB8888 surface whose alpha is the coverage; runs of
// characters drawn by fallback faces sit on the font's baseline, each where the advances before it end.
SDL_Surface* renderText(const FontFace* font, const std::string& utf8, Colour front);

// ---- input.cpp
void takeInputEvent(const SDL_Event& event);  // keys, text and the pointer's events
void latchEscape();                           // the window was closed: the program ends as on Escape

// ---- pointer.cpp
void takePointerEvent(
    const SDL_Event& event);  // mouse motion, buttons and wheel, touch through SDL's emulation
void resetPointer();

// ---- drawing.cpp
void forgetDrawingTarget();
void releaseTextTextures();  // the texts drawn on the display, kept for the frames that repeat them

}  // namespace media::detail
