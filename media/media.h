// The media layer: display, sprites, drawing, fonts, images, input, sound, files, programs, the viewer's
// socket, threads. It is the only part of the viewer that talks to SDL, libpng, libjpeg, libmodplug,
// processes, sockets and threads.
// Objects (sprites, fonts, images, tunes) are addressed by small non-negative numbers; creating an object
// under a number in use frees the previous one. An operation on a number holding no object does nothing
// and returns 0 / false. Everything here runs on the main thread unless a function says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media {

// ---------------------------------------------------------------------------------------------
// Colours: 24-bit RGB packed as red + green * 256 + blue * 65536. In the alpha-blend drawing mode
// the fourth byte (colour >> 24) carries the alpha 0..255.
using Colour = std::uint32_t;
constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 255) | ((g & 255) << 8) | ((b & 255) << 16));
}
constexpr Colour rgba(int r, int g, int b, int a) {
    return rgb(r, g, b) | (static_cast<Colour>(a & 255) << 24);
}
constexpr int red(Colour c) {
    return static_cast<int>(c & 255);
}
constexpr int green(Colour c) {
    return static_cast<int>((c >> 8) & 255);
}
constexpr int blue(Colour c) {
    return static_cast<int>((c >> 16) & 255);
}
constexpr int alpha(Colour c) {
    return static_cast<int>((c >> 24) & 255);
}

// ---------------------------------------------------------------------------------------------
// Clock. The millisecond counter and the frame limiter can be taken over by a test: with a test
// clock, elapsedMilliseconds() returns the test's value and flipDisplay() never sleeps.
std::int64_t elapsedMilliseconds();
void sleepMilliseconds(int ms);
void useTestClock(bool on);  // on: the clock only moves by advanceTestClock
void advanceTestClock(std::int64_t ms);
void setTestClock(std::int64_t ms);
int randomNumber(int maximum);  // uniform whole number 0..maximum inclusive
void seedRandom(std::uint32_t seed);

// ---------------------------------------------------------------------------------------------
// Display.
// Prepares what the display's start reads from the process environment. Called first, before any
// media call that starts a thread (lookUpFontsAhead, prefetchImages); startDisplay calls it too.
void prepareStart();
// For a start that shows a page in its first frame, once the display has started: memory for that
// frame's large pictures is made ready meanwhile, and is the heap's again when the first texture is
// made.
void readyMemoryForFirstPage();
// Initialises the video system. Unless SDL_VIDEODRIVER names a driver, only a driver that shows a
// window is taken; false, with the reason on standard error, when none can start.
bool startDisplay();
void stopDisplay();  // releases display, sprites, fonts, sound, input and window
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
// Presents the frame drawn since the last flip, sleeps until the next frame is due and takes the
// window's events. A frame that draws exactly what the last one drew is not drawn or presented again;
// with the software renderer, only the rectangles in which it differs are drawn and presented.
void flipDisplay();
void toggleWindowCaption();  // adds/removes title bar and frame in place
int windowWidth();           // inner area
int windowHeight();
void releasePointer(bool release);  // true frees the pointer (cursor shown), false captures it
void raiseWindow();                 // restores a minimised window and asks to bring it to the front
std::string windowTitle();
std::string videoDriver();  // SDL's name of the driver in use; empty before startDisplay
bool windowHasCaption();
// Frames flipped since the program started, those of them that reached the screen, and those that
// reached it as changed rectangles only. With PAGEWELL_FRAME_COUNTS=<file> in the environment the counts
// are also rewritten into that file at every flip, as one line: "frames N presented N partial N".
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

// Window events: one per call, 0 when none. A press is 513, except the second press of a pair
// (SDL's click count 2, 4, 6 ...), which is 515. A touch is one press and one release, however many
// ways the system reports it.
constexpr int eventLeftDown = 513;
constexpr int eventLeftUp = 514;
constexpr int eventLeftDoubleClick = 515;
int pollWindowEvent();
// Where the event last handed out by pollWindowEvent happened, in window pixels: a touch's press is
// there even when the pointer jumped to it in the same frame. After a poll that gave 0: the pointer then.
int eventX();
int eventY();
void pumpEvents();  // takes all pending system events into the media layer's state

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
namespace mode {
constexpr int standard = 0;     // text cells take the back colour
constexpr int transparent = 1;  // text without background
constexpr int outlined = 2;     // boxes, rounded boxes, circles as one-pixel outlines
constexpr int alphaBlend = 4;   // colours carry alpha in the fourth byte, blended over what is there
constexpr int gradient = 8;     // filled shapes painted with the linear gradient back -> front
}  // namespace mode
bool beginDrawing(int sprite);
bool beginDrawingImage(int image);
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
// Fonts. The face is found through fontconfig; sizes are points at 96 dots per inch.
// Font -1 (or a font never loaded) is the drawing service's default font.
// Asks fontconfig for the faces of these families (regular and bold) on a thread of the media layer,
// so that loadFont of them later finds the answer waiting; loadFont waits for the thread. Any thread.
void lookUpFontsAhead(const std::vector<std::string>& faceNames);
bool loadFont(int number, const std::string& faceName, int pointSize, bool bold);
std::string fontFile(int number);  // the file the font was loaded from (for diagnostics and tests)
// Characters a font lacks are drawn from a fallback face that has them, found through fontconfig; a
// character no installed face has shows the font's missing-glyph box. The number of searches for such
// a face so far (for diagnostics and tests): one per point size, style and range of characters.
int fallbackFaceLookups();

// ---------------------------------------------------------------------------------------------
// Images: pixel pictures without a texture. Every image function may be called from any thread.
bool loadImage(int number, const std::string& file);  // PNG or JPEG by content
int imageWidth(int number);
int imageHeight(int number);
bool imageExists(int number);
bool resizeImage(int number, int width, int height);  // smooth
bool saveImagePng(int number, const std::string& file);
bool saveImageJpeg(int number, const std::string& file, int quality0to10);  // 9 = baseline RGB q90
void freeImage(int number);
// Decodes a JPEG at a reduced scale (1/2, 1/4 or 1/8 of its size, the largest at least minWidth
// by minHeight); a cheap start for thumbnails. Any thread. False when unreadable.
bool loadImageScaled(int number, const std::string& file, int minWidth, int minHeight);

// Page files. Turns the converter's PNG into the page's JPEG (baseline, 3 components, quality
// quality0to10 * 10) and stores a thumbnail of thumbnailWidth x thumbnailHeight as image
// thumbnailImage, made from the same decoded pixels as loadImageScaled and resizeImage would make it
// from the JPEG. Nothing is written when the PNG cannot be read (not there yet, cut short). Deletes
// nothing. Any thread.
struct PageConversion {
    bool pngRead = false;
    bool jpegWritten = false;
    bool thumbnailMade = false;
};
PageConversion convertPagePng(const std::string& png, const std::string& jpeg, int quality0to10,
                              int thumbnailImage, int thumbnailWidth, int thumbnailHeight);

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
void stopPrefetch();  // forgets every picture and ends the thread; stopDisplay calls it

// ---------------------------------------------------------------------------------------------
// Input. Read once per frame. Keys are PC scan codes (left Control 29, C 46, Backspace 14, Enter 28,
// Escape 1, ...). A test can feed input through the feed* functions instead of the system.
void readMouse();
int mouseX();
int mouseY();
int mouseDeltaX();  // change since the previous readMouse
int mouseDeltaY();
// The motion made with the left button held, since the previous readMouse: the drag, without the jump
// that brought the pointer to the press (a touch lands somewhere new) and without motion after release.
int heldDeltaX();
int heldDeltaY();
bool mouseButton(int which);  // 1 left, 2 right, 3 middle: down now
void placeMouse(int x, int y);
bool escapePressed();  // down now, or went down since the previous query
void readKeyboard();
bool keyDown(int scanCode);
bool keyReleased(int scanCode);  // true in exactly one read after the key went up
// True in exactly one read after the key went down or, held, repeated at the system's typing rate.
bool keyPressed(int scanCode);
// The same, counting only presses made while either Control key was down (and perhaps let go since).
bool keyPressedWithControl(int scanCode);
std::string typedCharacter();  // UTF-8 text typed since the previous read, or empty
// Wheel notches turned since the previous readMouse: positive away from the user, negative toward.
int mouseWheel();
namespace scan {
constexpr int escape = 1, zero = 11, minus = 12, equals = 13, backspace = 14, tab = 15, o = 24, enter = 28,
              leftControl = 29, c = 46, space = 57, keypadMinus = 74, keypadPlus = 78, keypadZero = 82,
              keypadEnter = 156, rightControl = 157, home = 199, up = 200, pageUp = 201, left = 203,
              right = 205, end = 207, down = 208, pageDown = 209;
}
void feedMouseMove(int x, int y);             // motion; held motion while the left button is down
void feedMouseButton(bool down, int clicks);  // left button where the pointer is; clicks 2, 4, ... is 515
// The pointer jumps to (x, y) and the left button changes there, as a touch does: the jump is not
// held motion, and the press is judged at (x, y) whatever the pointer's previous place.
void feedMouseButtonAt(int x, int y, bool down, int clicks);
void feedMouseWheel(int notches);       // positive away from the user
void feedKey(int scanCode, bool down);  // a down while the key is down is a repeat
void feedText(const std::string& utf8);
void resetInput();  // forgets all input state and queued events

// ---------------------------------------------------------------------------------------------
// Sound. startSound fails when no audio device can be opened; the program goes on without sound.
bool startSound();
void stopSound();  // closes the device and frees the tunes
bool prepareTune(int number, const void* data, std::size_t length);
void setTunePosition(int number, int position);
void playTune(int number);
void stopTune(int number);
bool tunePlaying(int number);
// Decodes a module into 16-bit stereo samples at 44.1 kHz without an audio device (tests, tools).
std::vector<std::int16_t> decodeTune(const void* data, std::size_t length, int milliseconds,
                                     int* channels = nullptr);

// ---------------------------------------------------------------------------------------------
// Files and folders. Paths use "/", folder paths end with "/". Any thread.
std::int64_t fileSize(const std::string& path);  // -1 missing, -2 a folder
bool filePresent(const std::string& path);       // exists with a size above 0
// Last modification as local time counted in seconds since 1970 as if it were UTC;
// -1 outside 1970-01-01 00:00:00 .. 2038-01-19 03:14:07, 0 when it cannot be read.
std::int64_t fileModificationTime(const std::string& path);
std::int64_t localSecondsFromUtc(std::int64_t utcSeconds);     // the conversion used above
bool createFolder(const std::string& path, bool withParents);  // false when it exists or fails
bool folderExists(const std::string& path);
bool deleteFile(const std::string& path);  // also when read-only
// Deletes every file in folder whose name matches pattern ("*" = all), leaving sub-folders; then
// removes the folder when it has become empty.
void deleteFilesInFolder(const std::string& folder, const std::string& pattern);
bool readWholeFile(const std::string& path, std::string& contents);
bool writeWholeFile(const std::string& path, const std::string& contents);
bool appendToFile(const std::string& path, const std::string& contents);
std::vector<std::string> readLines(const std::string& path);  // without line ends; none if unreadable
bool canOpenForReading(const std::string& path);
std::string executableFolder();  // folder of the running executable, ending in "/"
std::string currentFolder();     // ending in "/"
std::string temporaryFolder();   // $TMPDIR or /tmp, ending in "/"
bool folderWritable(const std::string& path);
// While on, every file and folder the program creates, and every program it starts, is readable by
// the user alone (umask 077); off goes back to the umask the program started with. Main thread.
void keepNewFilesPrivate(bool on);
// The folder (0700) and the files directly in it (0600) become readable by the user alone.
bool makeFolderPrivate(const std::string& folder);

// ---------------------------------------------------------------------------------------------
// Programs. Started with an argument vector, never through a shell.
struct RunOptions {
    std::string workingFolder;       // empty: the caller's current folder
    bool wait = false;               // return only when the program has ended
    std::string standardOutputFile;  // when set, standard output goes into this file (truncated)
    // Changes to the child's environment alone: "NAME=value" sets NAME, a bare "NAME" removes it.
    // The program's own environment is never changed.
    std::vector<std::string> environment;
};
// Process id, 0 when it could not be started. With wait, exitStatus (when given) receives the
// program's exit status, or -1 when a signal ended it.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const RunOptions& options, int* exitStatus = nullptr);
int isProgramRunning(const std::string& exeName);   // first live (non-zombie) match by name, or 0
int ownProgramRunning(const std::string& exeName);  // the same among the programs started here, or 0
bool stopProgram(int processId);                    // SIGKILL; false for 0 or failure
void raiseProgramPriority(int processId);           // silently skipped where refused
void reapFinishedPrograms();                        // collects ended children
// A program started here without waiting: true until it has ended (it is then reaped).
bool programRunning(int processId);
std::string windowsBitness();  // "64" on a 64-bit system, "32" otherwise

// ---------------------------------------------------------------------------------------------
// One viewer per user and display. The first viewer listens on a socket (mode 0600) in
// $XDG_RUNTIME_DIR, or in a private folder it makes under the temporary folder; a later start hands
// its document to that viewer instead of opening a window of its own.
enum class InstanceRole {
    owner,       // this process holds the socket and takes documents from later starts
    handedOver,  // a running viewer took the document: this process is done
    separate,    // no safe socket (another user's, no private folder): run on without one
    unanswered,  // a viewer holds the socket but takes no connection
};
struct InstanceClaim {
    InstanceRole role = InstanceRole::separate;
    std::string problem;  // for standard error; empty when all went as it should
};
// Hands document (an absolute path; "" only brings the viewer to the front) to the viewer running
// for this user and display, or claims the socket when none does; a socket left by a viewer that
// crashed is replaced. Waits ten seconds at most for the running viewer; called before the display starts.
InstanceClaim claimInstance(const std::string& document);
// A document handed over by a later start, one per call, "" when it only asked for the front. False
// when none came. Never blocks; call it once a frame.
bool takeHandedDocument(std::string& path);
// Closes the socket and removes its file, unless another viewer has replaced it meanwhile.
void releaseInstance();
std::string instanceSocketPath();                            // the socket this viewer holds, or ""
std::string instanceFolder();                                // where the socket lives; "" when nowhere safe
std::string instanceSocketName(const std::string& display);  // unsafe characters made "_"

// ---------------------------------------------------------------------------------------------
// Threads. A worker started here is joined by join() or by the destructor.
int processorCount();  // the processor cores this process may run on, at least 1
class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // Starts procedure on a new thread at the highest priority the system grants (tried, skipped
    // where refused). Returns false when a thread is still attached.
    bool start(std::function<void()> procedure);
    void join();
    bool joinable() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------------------------------------
// Configuration files in the INI form. The file is read as UTF-8, or as Windows-1252 when it is not
// valid UTF-8. Section names compare without regard to case; values are trimmed of blanks and tabs.
class IniFile {
public:
    bool open(const std::string& path);
    void selectSection(const std::string& section);
    std::string read(const std::string& key, const std::string& defaultValue) const;

private:
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
    int current_ = -1;
};

// ---------------------------------------------------------------------------------------------
// Dialogs and the clipboard. The file chooser and message boxes are helper programs (zenity, else
// kdialog) made transient, modal children of the viewer's window, so that a window manager stacks
// them above the always-on-top viewer. They run beside the frame loop: the viewer keeps drawing while
// one is up, and the pointer is free until the last one has ended. stopDisplay ends any still up.
// Their state is followed in flipDisplay.
void setClipboardText(const std::string& utf8);
std::string clipboardText();
// Writes the text to stderr and shows it. Once the window is shown, the box is a helper program and
// the call returns at once; before that (start-up), or with no helper installed, SDL's box waits to
// be closed.
void messageBox(const std::string& title, const std::string& text);
// Starts the desktop's file chooser; PAGEWELL_FILE_DIALOG names another program that prints the
// chosen path. The pattern is "description|filter", e.g. "PDF (*.pdf)|*.pdf". False when no chooser
// program could be started, or one is up already.
bool startFileChooser(const std::string& title, const std::string& defaultFile, const std::string& pattern);
bool fileChooserRunning();
// The chooser's answer once it has ended: the path, or "" when it was cancelled. Handed out once;
// nullopt while the chooser is up, or when none has ended since the last answer was taken.
std::optional<std::string> takeChosenFile();
bool dialogRunning();  // a file chooser or a message box is up
// The chooser, waited for: the path, or "" when cancelled. chooserAvailable tells whether any chooser
// could be run.
std::string chooseFileToOpen(const std::string& title, const std::string& defaultFile,
                             const std::string& pattern, bool* chooserAvailable = nullptr);

}  // namespace media
