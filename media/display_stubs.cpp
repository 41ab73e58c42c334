// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "media/media.h"
#include "media/unicode.h"
#include "media/picture.h"

namespace media {
std::int64_t elapsedMilliseconds() { return {}; }
void sleepMilliseconds(int ms) { (void)ms; }
void useTestClock(bool on) { (void)on; }
void advanceTestClock(std::int64_t ms) { (void)ms; }
void setTestClock(std::int64_t ms) { (void)ms; }
int randomNumber(int maximum) { (void)maximum; return {}; }
void seedRandom(std::uint32_t seed) { (void)seed; }
bool startDisplay() { return {}; }
void stopDisplay() { }
int desktopWidth() { return {}; }
int desktopHeight() { return {}; }
void overrideDesktopSize(int width, int height) { (void)width; (void)height; }
bool openWindow(int width, int height, const std::string& title, WindowFlags flags) { (void)width; (void)height; (void)title; (void)flags; return {}; }
void setWindowTopMost() { }
void showWindow() { }
bool openDisplay(int width, int height) { (void)width; (void)height; return {}; }
void setFrameRate(int framesPerSecond) { (void)framesPerSecond; }
void clearDisplay(Colour colour) { (void)colour; }
void flipDisplay() { }
void toggleWindowCaption() { }
int windowWidth() { return {}; }
int windowHeight() { return {}; }
void releasePointer(bool release) { (void)release; }
std::string windowTitle() { return {}; }
bool windowHasCaption() { return {}; }
void captureFrames(bool on) { (void)on; }
Colour capturedPixel(int x, int y) { (void)x; (void)y; return {}; }
bool saveCapturedFrame(const std::string& pngFile) { (void)pngFile; return {}; }
int pollWindowEvent() { return {}; }
void pumpEvents() { }
bool createSprite(int number, int width, int height, bool alphaCapableFlag) { (void)number; (void)width; (void)height; (void)alphaCapableFlag; return {}; }
int createSpriteAnyNumber(int width, int height, bool alphaCapableFlag) { (void)width; (void)height; (void)alphaCapableFlag; return {}; }
bool loadSprite(int number, const std::string& imageFile) { (void)number; (void)imageFile; return {}; }
bool loadSpriteFromMemory(int number, const void* data, std::size_t length) { (void)number; (void)data; (void)length; return {}; }
bool copySprite(int source, int destination) { (void)source; (void)destination; return {}; }
void freeSprite(int number) { (void)number; }
bool spriteExists(int number) { (void)number; return {}; }
int spriteWidth(int number) { (void)number; return {}; }
int spriteHeight(int number) { (void)number; return {}; }
int spriteOwnWidth(int number) { (void)number; return {}; }
int spriteOwnHeight(int number) { (void)number; return {}; }
void setSpriteFiltering(bool smooth) { (void)smooth; }
void zoomSprite(int number, int width, int height) { (void)number; (void)width; (void)height; }
void clipSprite(int number, int x, int y, int width, int height) { (void)number; (void)x; (void)y; (void)width; (void)height; }
void displaySprite(int number, int x, int y) { (void)number; (void)x; (void)y; }
void displayTransparentSprite(int number, int x, int y, int intensity) { (void)number; (void)x; (void)y; (void)intensity; }
void setBlending(Blending mode) { (void)mode; }
bool spritesOverlap(int numberA, int xA, int yA, int numberB, int xB, int yB) { (void)numberA; (void)xA; (void)yA; (void)numberB; (void)xB; (void)yB; return {}; }
bool saveSpritePng(int number, const std::string& file) { (void)number; (void)file; return {}; }
bool beginDrawing(int sprite) { (void)sprite; return {}; }
bool beginDrawingImage(int image) { (void)image; return {}; }
bool beginDrawingDisplay() { return {}; }
void endDrawing() { }
void setFont(int font) { (void)font; }
void setFrontColour(Colour colour) { (void)colour; }
void setBackColour(Colour colour) { (void)colour; }
void setDrawingMode(int modeFlags) { (void)modeFlags; }
void linearGradient(int x1, int y1, int x2, int y2) { (void)x1; (void)y1; (void)x2; (void)y2; }
void fillBox(int x, int y, int width, int height, Colour colour) { (void)x; (void)y; (void)width; (void)height; (void)colour; }
void fillBox(int x, int y, int width, int height) { (void)x; (void)y; (void)width; (void)height; }
void roundBox(int x, int y, int width, int height, int radiusX, int radiusY, Colour colour) { (void)x; (void)y; (void)width; (void)height; (void)radiusX; (void)radiusY; (void)colour; }
void roundBox(int x, int y, int width, int height, int radiusX, int radiusY) { (void)x; (void)y; (void)width; (void)height; (void)radiusX; (void)radiusY; }
void line(int x1, int y1, int x2, int y2, Colour colour) { (void)x1; (void)y1; (void)x2; (void)y2; (void)colour; }
void circle(int x, int y, int radius, Colour colour) { (void)x; (void)y; (void)radius; (void)colour; }
void floodFill(int x, int y, Colour colour, Colour borderColour) { (void)x; (void)y; (void)colour; (void)borderColour; }
Colour pixelColour(int x, int y) { (void)x; (void)y; return {}; }
void drawText(int x, int y, const std::string& utf8, Colour front) { (void)x; (void)y; (void)utf8; (void)front; }
void drawText(int x, int y, const std::string& utf8, Colour front, Colour back) { (void)x; (void)y; (void)utf8; (void)front; (void)back; }
int textWidth(const std::string& utf8) { (void)utf8; return {}; }
int textHeight(const std::string& utf8) { (void)utf8; return {}; }
void drawImage(int image, int x, int y) { (void)image; (void)x; (void)y; }
void drawImage(int image, int x, int y, int width, int height) { (void)image; (void)x; (void)y; (void)width; (void)height; }
bool loadFont(int number, const std::string& faceName, int pointSize, bool bold) { (void)number; (void)faceName; (void)pointSize; (void)bold; return {}; }
std::string fontFile(int number) { (void)number; return {}; }
void readMouse() { }
int mouseX() { return {}; }
int mouseY() { return {}; }
int mouseDeltaX() { return {}; }
int mouseDeltaY() { return {}; }
bool mouseButton(int which) { (void)which; return {}; }
void placeMouse(int x, int y) { (void)x; (void)y; }
bool escapePressed() { return {}; }
void readKeyboard() { }
bool keyDown(int scanCode) { (void)scanCode; return {}; }
bool keyReleased(int scanCode) { (void)scanCode; return {}; }
std::string typedCharacter() { return {}; }
void feedMouseMove(int x, int y) { (void)x; (void)y; }
void feedMouseButton(bool down, int clicks) { (void)down; (void)clicks; }
void feedKey(int scanCode, bool down) { (void)scanCode; (void)down; }
void feedText(const std::string& utf8) { (void)utf8; }
void resetInput() { }
bool start(std::function<void()> procedure) { (void)procedure; return {}; }
void join() { }
bool joinable() { return {}; }
bool open(const std::string& path) { (void)path; return {}; }
void selectSection(const std::string& section) { (void)section; }
std::string read(const std::string& key, const std::string& defaultValue) { (void)key; (void)defaultValue; return {}; }
void messageBox(const std::string& title, const std::string& text) { (void)title; (void)text; }
void setClipboardText(const std::string& utf8) { (void)utf8; }
std::string clipboardText() { return {}; }
std::string chooseFileToOpen(const std::string& title, const std::string& defaultFile, const std::string& pattern, bool* chooserAvailable) { (void)title; (void)defaultFile; (void)pattern; (void)chooserAvailable; return {}; }
}  // namespace media
