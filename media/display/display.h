// The media layer's display room: the window and the sprite display, frames and their counts,
// sprites, drawing on sprites and on the display, and image files decoded ahead. Main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/pictures/pictures.h"

namespace media {

// Prepares what the display's start reads from the process environment. Called first, before any
// media call that starts a thread (lookUpFontsAhead, prefetchImages); startDisplay calls it too.
void prepareStart();
int desktopWidth();  // primary desktop; a test may override it
int desktopHeight();
void overrideDesktopSize(int width, int height);  // for tests; 0, 0 removes the override
struct WindowFlags {
    bool borderless = true;
    bool hidden = true;
};
bool openWindow(int width, int height, const std::string& title, WindowFlags flags);
void setWindowTopMost();  // keeps position and size
void showWindow();
bool openDisplay(int width, int height);  // the sprite display in the window's inner area
void setFrameRate(int framesPerSecond);
void clearDisplay(Colour colour);
void toggleWindowCaption();  // adds/removes title bar and frame in place
int windowWidth();           // inner area
int windowHeight();
void releasePointer(bool release);  // true frees the pointer (cursor shown), false captures it
void raiseWindow();                 // restores a minimised window and asks to bring it to the front
std::string windowTitle();
std::string videoDriver();  // SDL's name of the driver in use; empty before startDisplay
// SDL's name of the renderer in use ("software", "opengl"), with OpenGL's name for what renders behind
// it in brackets; empty before openDisplay.
std::string rendererName();
bool windowHasCaption();
// Frames flipped since the program started, those of them that reached the screen, and those of them
// drawn as their changed rectangles only (with the software renderer also presented so). With
// PAGEWELL_FRAME_COUNTS=<file> in the environment the counts are also rewritten into that file at every flip,
// as one line: "frames N presented N partial N".
struct FrameCounts {
    std::int64_t frames = 0;
    std::int64_t presented = 0;
    std::int64_t partial = 0;
    std::int64_t scaledInFrames =
        0;  // scaled copies the frames had to make while drawing (software renderer)
    std::int64_t lastPresentedNanoseconds = 0;  // steady clock, when the last presented frame was handed over
};
FrameCounts frameCounts();
// How flipDisplay brings frames to the screen: changedOnly (the default) as said there; whole draws
// and presents every frame whole; checked (for tests) works as changedOnly and then, with the software
// renderer, draws each frame whole as well and compares the two pixel for pixel. Setting it clears
// the check's counts.
enum class Redrawing { changedOnly, whole, checked };
void setRedrawing(Redrawing mode);
struct RedrawCheck {
    std::int64_t framesChecked = 0;
    std::int64_t framesDiffering = 0;
    // The first differing pixel: its place, its colour as drawn and as drawn whole, and its frame.
    int firstX = -1, firstY = -1;
    Colour drawn = 0, whole = 0;
    std::int64_t frame = 0;
};
RedrawCheck redrawCheck();
// Frame capture for tests and screenshots: when on, flipDisplay keeps a copy of each presented frame.
void captureFrames(bool on);
Colour capturedPixel(int x, int y);  // RGB of the last presented frame; 0xFFFFFFFF outside
bool saveCapturedFrame(const std::string& pngFile);

// ---------------------------------------------------------------------------------------------
// Sprites. A sprite keeps its pixels (RGBA) and a texture made from them.
constexpr bool alphaCapable = true;
bool createSprite(int number, int width, int height, bool alphaCapableFlag = false);
int createSpriteAnyNumber(int width, int height, bool alphaCapableFlag = false);  // picks a free number
bool loadSprite(int number, const std::string& imageFile);  // PNG or JPEG by content; false if unreadable
bool loadSpriteFromMemory(int number, const void* data, std::size_t length);
bool copySprite(int source, int destination);
void freeSprite(int number);
bool spriteExists(int number);
int spriteWidth(int number);  // display size (after zoom)
int spriteHeight(int number);
int spriteOwnWidth(int number);  // pixel size
int spriteOwnHeight(int number);
void setSpriteFiltering(bool smooth);
constexpr int largestDisplaySide = 1 << 15;          // a sprite is never displayed larger on either side
void zoomSprite(int number, int width, int height);  // -1 restores the own size of that side
void clipSprite(int number, int x, int y, int width, int height);        // -1 width/height: full extent
void displaySprite(int number, int x, int y);                            // opaque
void displayTransparentSprite(int number, int x, int y, int intensity);  // black (or own alpha) left out
enum class Blending { normal, multiply };
void setBlending(Blending mode);
bool spritesOverlap(int numberA, int xA, int yA, int numberB, int xB, int yB);
bool saveSpritePng(int number, const std::string& file);  // the whole sprite, whatever its clip

// ---------------------------------------------------------------------------------------------
// Drawing, between beginDrawing* and endDrawing. Opening a target sets front = white, back = black,
// mode = default. Primitives are exact and without anti-aliasing; text is anti-aliased.
bool beginDrawing(int sprite);
bool beginDrawingDisplay();  // the back buffer: only drawText is supported there
void endDrawing();           // refreshes the sprite's texture
void setFont(int font);
void setFrontColour(Colour colour);
void setBackColour(Colour colour);
void setDrawingMode(int modeFlags);
void linearGradient(int x1, int y1, int x2, int y2);               // back colour at (x1,y1), front at (x2,y2)
void fillBox(int x, int y, int width, int height, Colour colour);  // outlined mode: outline only
void fillBox(int x, int y, int width, int height);                 // current front colour, or the gradient
void roundBox(int x, int y, int width, int height, int radiusX, int radiusY, Colour colour);
void roundBox(int x, int y, int width, int height, int radiusX, int radiusY);  // front colour/gradient
void line(int x1, int y1, int x2, int y2, Colour colour);                      // both end points included
void circle(int x, int y, int radius, Colour colour);                          // filled unless outlined mode
void floodFill(int x, int y, Colour colour, Colour borderColour);
Colour pixelColour(int x, int y);  // RGB only; -1 (0xFFFFFFFF) outside the target
void drawText(int x, int y, const std::string& utf8, Colour front);
void drawText(int x, int y, const std::string& utf8, Colour front, Colour back);
int textWidth(const std::string& utf8);   // sum of glyph advances with the current font
int textHeight(const std::string& utf8);  // the current font's height
void drawImage(int image, int x, int y);
void drawImage(int image, int x, int y, int width, int height);  // scaled, smooth

// ---------------------------------------------------------------------------------------------
// Prefetch. Image files decoded ahead on a thread of the media layer, at most three pictures, so that
// loadSprite of one of them costs no decoding. A prefetched picture is used only while its file is
// unchanged (path, size, modification time, the file itself); otherwise loadSprite decodes the file
// as it is now. Main thread.
// The size at which the caller will show the picture of a file ({0, 0}: it does not know).
struct DisplaySize {
    int width = 0;
    int height = 0;
};
using DisplaySizeRule =
    std::function<DisplaySize(const std::string& file, int pictureWidth, int pictureHeight)>;
// The wanted files, most wanted first. The most wanted picture is also made ready to be shown at the
// size the rule gives, where showing it scaled would cost the frame that shows it.
void prefetchImages(const std::vector<std::string>& files, const DisplaySizeRule& displaySize = {});
bool prefetchedImageReady(const std::string& file);  // loadSprite would take it without decoding
bool prefetchFailed(const std::string& file);  // wanted but not decodable as it is: loadSprite decodes afresh
bool prefetchWaiting();  // the thread has done all the present wish allows and waits for the next one
void stopPrefetch();     // forgets every picture and ends the thread; stopDisplay calls it

}  // namespace media
