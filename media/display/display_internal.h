// Inside the media layer: the display room's window, renderer, frame steps and sprite store, shared by
// its files and used by the rooms above it (input, desktop). Main thread only.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/display/display.h"
#include "media/display/draw_list.h"
#include "media/pictures/pictures.h"

namespace media::detail {

// ---- display.cpp
// What SDL's start reads from the environment and the viewer sets for it: set once, before any thread
// of the viewer runs (the environment is not changed under a running thread), and left out of the
// environment of the programs the viewer starts (system room). Does nothing once set.
void prepareStartEnvironment();
// From here on SDL's blocks of a megabyte and more are mapped memory, unmapped when freed.
void mapLargeSdlBlocks();
struct DisplayState {
    bool videoStarted = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    int width = 0;  // the sprite display's size
    int height = 0;
    std::string title;
    bool hasCaption = false;
    bool pointerCaptured = true;  // the program draws its own pointer
    bool dialogsUp = false;       // a helper dialog runs: the pointer stays free meanwhile
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
// Takes the display's own events (render resets, exposure); false for any other event.
bool takeDisplayEvent(const SDL_Event& event);
void applyPointerCapture();  // grab and cursor as asked, free while a dialog is up
void freePointerForDialogs(bool dialogsUp);
std::uint64_t rendererGeneration();  // changes whenever a renderer is made or destroyed
bool readFrame(Picture& frame);      // what the renderer's output holds now, RGBA
void captureFrame();                 // into display().captured

// Closes the renderer, window and video system and forgets the display's state; the rooms above have
// let go of theirs first (stopDisplay).
void closeDisplay();
// Presents the frame drawn since the last flip and sleeps until the next frame is due.
void presentAndWait();

// ---- renderer.cpp
// The renderer for the window: the one SDL_RENDER_DRIVER names when set; else, with a graphics
// device, the accelerated one unless OpenGL's renderer is a software rasteriser; else the software one.
SDL_Renderer* chooseRenderer(SDL_Window* window, bool graphicsDevice);
bool graphicsDevicePresent();  // a graphics device of the kernel's that OpenGL may render with
bool softwareRasteriser(const std::string& openGlRenderer);  // by the name OpenGL gives its renderer
std::string openGlRendererName();                            // of the current OpenGL context; "" without one

// ---- compose.cpp
void addDrawStep(DrawStep step);  // a step of the frame being drawn
void presentFrame();              // draws the frame's steps, as far as needed, and presents them
// Between frames: the scaled copy a later frame's step will need is made now and kept for it, one at
// a time; nothing when the step needs none.
void scaleAhead(const DrawStep& step);
// The software renderer, for a step whose texture would hold picture as it is: the scaled copy is made
// from the picture, now (false when it could not be: the step then needs the texture), or ahead.
bool scaleFromPicture(const DrawStep& step, const Picture& picture);
void scaleAheadFromPicture(const DrawStep& step, const Picture& picture);
void forgetScaledAhead(std::uint64_t content);  // the pixels of that version are gone
void redrawWhole();      // the screen's content is not known: the next frame is drawn whole
void forgetDrawSteps();  // the renderer goes or lost its textures: no step can be drawn again

// ---- frame_counts.cpp
void countFrame(bool presented, bool partial, int scaledCopiesMade);

// ---- sprites.cpp
// A large sprite left alone for a while is kept packed (its pixels as runs, its textures let go) and
// unpacked when it is drawn on, read or shown; its size stays in picture.width and picture.height.
struct Sprite {
    Picture picture;  // RGBA; a sprite without alpha keeps alpha 255 everywhere; empty while packed
    PackedPicture packed;
    bool shown = false;                 // shown or made ready to show since it was made
    std::int64_t lastUsed = 0;          // elapsedMilliseconds() when last drawn on, read or shown
    std::uint64_t notWorthPacking = 0;  // the version whose runs would take too much room
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
Picture& pixelsOf(Sprite& sprite);  // the pixels, unpacked first when packed
// After a frame: the large sprites left alone for a while are packed; one never shown (a picture
// made ahead for a screen yet to open) after the frame that drew it. The prefetch's hidden pictures,
// wanted soon, are not.
void packIdleSprites();
void refreshTexture(Sprite& sprite);  // after drawing: the texture follows the pixels
void remakeAllTextures();             // the renderer lost its textures, or a renderer appeared
void releaseAllSprites();
bool hasOwnAlpha(const Picture& picture);
bool adoptPicture(int number, Picture picture, bool ownAlpha);  // false for an unacceptable size
// Makes the texture now rather than at the sprite's first display; not with the software renderer,
// which draws a scaled sprite from its pixels (prepareDisplay scales them ahead).
void prepareTexture(int number);
bool moveSprite(int from, int to);  // replaces whatever was under to
// Makes now what displaySprite of the sprite, whole, at width x height on the screen will draw.
void prepareDisplay(int number, int width, int height);

// ---- prefetch.cpp
// Puts the prefetched picture of imageFile under sprite number when it was decoded from the file as
// it is now; false otherwise (nothing changes then).
bool takePrefetchedSprite(const std::string& imageFile, int number);

// ---- drawing.cpp
void forgetDrawingTarget();
void releaseTextTextures();  // the texts drawn on the display, kept for the frames that repeat them

}  // namespace media::detail
