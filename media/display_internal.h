// Inside the media layer's display side: window, renderer, sprite store, fonts and input hooks shared
// by display.cpp, sprites.cpp, drawing.cpp, fonts.cpp and input.cpp. Main thread only.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>

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
bool startVideo();                               // the video subsystem alone (desktop size, clipboard)
void handleSystemEvent(const SDL_Event& event);  // display-side events: render resets, quit

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
bool hasOwnAlpha(const Picture& picture);
bool adoptPicture(int number, Picture picture, bool ownAlpha);  // false for an unacceptable size
void prepareTexture(int number);    // makes the texture now rather than at the sprite's first display
bool moveSprite(int from, int to);  // replaces whatever was under to

// ---- prefetch.cpp
// Puts the prefetched picture of imageFile under sprite number when it was decoded from the file as
// it is now; false otherwise (nothing changes then).
bool takePrefetchedSprite(const std::string& imageFile, int number);

// ---- fonts.cpp
TTF_Font* fontFor(int number);  // the loaded font, else the default font; nullptr when none
int measureText(TTF_Font* font, const std::string& utf8);
// The text in the colour, anti-aliased, as an ARGB8888 surface whose alpha is the coverage.
SDL_Surface* renderText(TTF_Font* font, const std::string& utf8, Colour front);
void releaseFonts();

// ---- input.cpp
void takeInputEvent(const SDL_Event& event);
void latchEscape();  // the window was closed: the program ends as on Escape

// ---- drawing.cpp
void forgetDrawingTarget();

}  // namespace media::detail
