// The window and the sprite display: start and stop, desktop size, flipping, caption and pointer
// capture, frame capture, and the system events of the display.
#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "media/display/display_internal.h"
#include "media/pictures/pictures.h"
#include "media/system/system_internal.h"
#include "media/text/fonts_internal.h"

namespace media {

namespace detail {

namespace {

std::uint64_t& generation() {
    static std::uint64_t counter = 0;
    return counter;
}

// Shown, uncovered or resized, the window shows nothing of the frames drawn before.
bool windowNeedsFrame(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            return true;
        default:
            return false;
    }
}

}  // namespace

DisplayState& display() {
    static DisplayState state;
    return state;
}

// SDL drivers that show nothing on a screen. Asked for nothing in particular, SDL falls back to one
// of them without a word when no display answers, and the program would run unseen.
bool driverShowsWindow(const std::string& name) {
    return name != "offscreen" && name != "dummy" && name != "evdev";
}

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// SDL's drivers that show a window, in SDL's order of preference, as SDL_VIDEODRIVER's list form.
std::string windowDriverList() {
    std::string list;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        std::string name = SDL_GetVideoDriver(i);
        if (driverShowsWindow(name)) list += (list.empty() ? "" : ",") + name;
    }
    return list;
}

void reportNoDisplay(const std::string& chosen) {
    std::string display = environment("DISPLAY"), wayland = environment("WAYLAND_DISPLAY");
    std::string where = "DISPLAY " + (display.empty() ? "not set" : "\"" + display + "\"") +
                        ", WAYLAND_DISPLAY " + (wayland.empty() ? "not set" : "\"" + wayland + "\"");
    if (!chosen.empty()) where = "SDL_VIDEODRIVER \"" + chosen + "\"";
    std::fprintf(stderr, "Pagewell cannot open the display (%s): %s\n", where.c_str(), SDL_GetError());
}

// An X server resets when its last client leaves, and refuses connections meanwhile (ECONNRESET or
// EAGAIN for a few milliseconds): a viewer started just after a client such as xdpyinfo ended meets
// such a reset. Start-up therefore tries again for about two seconds while a display is named.
bool startVideoDriver() {
    const std::string chosen = environment("SDL_VIDEODRIVER");
    if (chosen.empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, windowDriverList().c_str());
    const bool displayNamed = !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty();
    const int attempts = chosen.empty() && displayNamed ? 8 : 1;
    bool started = false;
    for (int attempt = 0; attempt < attempts && !started; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(25 << attempt, 400)));
        started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    if (chosen.empty()) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (!started) reportNoDisplay(chosen);
    return started;
}

// $XDG_CACHE_HOME/pagewell/compose (else under ~/.cache), the user's own and private, as Xlib wants
// it; "" where it cannot be made, and for root, whose tables Xlib never keeps.
std::string composeCacheFolder() {
    if (::geteuid() == 0) return {};
    std::string base = environment("XDG_CACHE_HOME");
    if (base.empty() || base[0] != '/') {
        const std::string home = environment("HOME");
        if (home.empty() || home[0] != '/') return {};
        base = home + "/.cache";
    }
    std::string folder;
    for (const std::string& part : {base, base + "/pagewell", base + "/pagewell/compose"}) {
        folder = part;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return {};
    return folder;
}

void setForTheStart(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
    startVariables().emplace_back(name);
}

}  // namespace

// Xlib parses the locale's whole Compose table at every start unless it may keep the parsed table in a
// folder of the user's; it looks in ~/.compose-cache, which few have. Measured side by side with
// another viewer, the parse is about a sixth of a cached document's launch, so the viewer names a
// folder of its own for it (the one environment variable it sets, and only for a user who has none).
void prepareStartEnvironment() {
    const std::string home = environment("HOME");
    struct stat status {};
    const bool cacheKnown = !environment("XCOMPOSECACHE").empty() ||
                            (!home.empty() && ::stat((home + "/.compose-cache").c_str(), &status) == 0);
    if (cacheKnown) return;
    const std::string folder = composeCacheFolder();
    if (!folder.empty()) setForTheStart("XCOMPOSECACHE", folder);
}

bool startVideo() {
    DisplayState& state = display();
    if (state.videoStarted) return true;
    mapLargeSdlBlocks();
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // A portrait window on a landscape desktop must not minimise when the pointer leaves it.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // After a detach, the press that takes the window back must also reach the program.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // A touch screen reaches the program only through SDL's mouse emulation (pointer.cpp).
    SDL_SetHintWithPriority(SDL_HINT_TOUCH_MOUSE_EVENTS, "1", SDL_HINT_OVERRIDE);
    prepareStartEnvironment();
    if (!startVideoDriver()) return false;
    // Under X the software renderer's frame goes to the server as a shared-memory image, the changed
    // rectangles alone. SDL would otherwise hand the whole frame to a second, OpenGL renderer at every
    // present: llvmpipe on a machine without a graphics processor, several milliseconds a frame. (Other
    // window systems may offer no window surface of their own; there SDL keeps its choice.)
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && SDL_strcmp(driver, "x11") == 0)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    state.videoStarted = true;
    return true;
}

bool takeDisplayEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            forgetDrawSteps();
            releaseTextTextures();
            remakeAllTextures();
            return true;
        case SDL_WINDOWEVENT:
            if (windowNeedsFrame(event.window)) redrawWhole();
            return true;
        default:
            return false;
    }
}

// A captured pointer could not reach a dialog's window.
void applyPointerCapture() {
    DisplayState& state = display();
    if (state.window == nullptr) return;
    bool shown = (SDL_GetWindowFlags(state.window) & SDL_WINDOW_SHOWN) != 0;
    bool captured = state.pointerCaptured && !state.dialogsUp;
    SDL_SetWindowGrab(state.window, captured && shown ? SDL_TRUE : SDL_FALSE);
    SDL_ShowCursor(captured ? SDL_DISABLE : SDL_ENABLE);
}

void freePointerForDialogs(bool dialogsUp) {
    display().dialogsUp = dialogsUp;
    applyPointerCapture();
}

std::uint64_t rendererGeneration() {
    return generation();
}

bool readFrame(Picture& frame) {
    DisplayState& state = display();
    int width = 0, height = 0;
    frame = Picture{};
    if (SDL_GetRendererOutputSize(state.renderer, &width, &height) != 0 || width <= 0 || height <= 0)
        return false;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    if (SDL_RenderReadPixels(state.renderer, nullptr, SDL_PIXELFORMAT_RGBA32, frame.pixels.data(),
                             width * 4) == 0)
        return true;
    frame = Picture{};
    return false;
}

void captureFrame() {
    readFrame(display().captured);
}

}  // namespace detail

using detail::applyPointerCapture;
using detail::display;

namespace {

SDL_Renderer* createRenderer(SDL_Window* window) {
    SDL_Renderer* renderer = detail::chooseRenderer(window, detail::graphicsDevicePresent());
    if (renderer == nullptr) std::fprintf(stderr, "Renderer: %s\n", SDL_GetError());
    ++detail::generation();
    return renderer;
}

bool softwareRenderer(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    return SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
}

}  // namespace

void prepareStart() {
    detail::prepareStartEnvironment();
}

namespace detail {

void closeDisplay() {
    DisplayState& state = display();
    forgetDrawingTarget();
    stopPrefetch();
    forgetDrawSteps();
    releaseTextTextures();
    releaseAllSprites();
    releaseFonts();
    if (state.renderer != nullptr) {
        SDL_DestroyRenderer(state.renderer);
        ++generation();
    }
    if (state.window != nullptr) SDL_DestroyWindow(state.window);
    if (TTF_WasInit() != 0) TTF_Quit();
    if (state.videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    int overrideWidth = state.desktopOverrideWidth, overrideHeight = state.desktopOverrideHeight;
    state = DisplayState{};
    state.desktopOverrideWidth = overrideWidth;
    state.desktopOverrideHeight = overrideHeight;
}

void presentAndWait() {
    DisplayState& state = display();
    if (state.renderer != nullptr) presentFrame();
    packIdleSprites();
    waitForNextFrame(state.frameIntervalNanoseconds);
}

}  // namespace detail

int desktopWidth() {
    detail::DisplayState& state = display();
    if (state.desktopOverrideWidth > 0) return state.desktopOverrideWidth;
    SDL_DisplayMode mode;
    if (!detail::startVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return mode.w;
}

int desktopHeight() {
    detail::DisplayState& state = display();
    if (state.desktopOverrideHeight > 0) return state.desktopOverrideHeight;
    SDL_DisplayMode mode;
    if (!detail::startVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return mode.h;
}

void overrideDesktopSize(int width, int height) {
    display().desktopOverrideWidth = std::max(width, 0);
    display().desktopOverrideHeight = std::max(height, 0);
}

bool openWindow(int width, int height, const std::string& title, WindowFlags flags) {
    detail::DisplayState& state = display();
    if (width <= 0 || height <= 0 || !detail::startVideo()) return false;
    if (state.window != nullptr) return false;
    Uint32 windowFlags =
        (flags.borderless ? SDL_WINDOW_BORDERLESS : 0) | (flags.hidden ? SDL_WINDOW_HIDDEN : 0);
    state.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                    height, windowFlags);
    if (state.window == nullptr) {
        std::fprintf(stderr, "Window: %s\n", SDL_GetError());
        return false;
    }
    state.title = title;
    state.hasCaption = !flags.borderless;
    return true;
}

void setWindowTopMost() {
    if (display().window != nullptr) SDL_SetWindowAlwaysOnTop(display().window, SDL_TRUE);
}

void showWindow() {
    detail::DisplayState& state = display();
    if (state.window == nullptr) return;
    SDL_ShowWindow(state.window);
    SDL_RaiseWindow(state.window);
    applyPointerCapture();
    detail::redrawWhole();
}

bool openDisplay(int width, int height) {
    detail::DisplayState& state = display();
    if (state.window == nullptr || width <= 0 || height <= 0) return false;
    if (state.renderer == nullptr) {
        state.renderer = createRenderer(state.window);
        if (state.renderer == nullptr) return false;
    }
    state.width = width;
    state.height = height;
    state.software = softwareRenderer(state.renderer);
    detail::forgetDrawSteps();
    detail::releaseTextTextures();
    detail::remakeAllTextures();
    clearDisplay(rgb(0, 0, 0));
    detail::startFramePacing();
    applyPointerCapture();
    return true;
}

void setFrameRate(int framesPerSecond) {
    display().frameIntervalNanoseconds = framesPerSecond > 0 ? 1'000'000'000LL / (framesPerSecond + 1) : 0;
}

void clearDisplay(Colour colour) {
    if (display().renderer == nullptr) return;
    detail::DrawStep step;
    step.kind = detail::DrawStep::Kind::clear;
    step.colour = colour & 0xFFFFFFu;
    detail::addDrawStep(std::move(step));
}

void toggleWindowCaption() {
    detail::DisplayState& state = display();
    if (state.window == nullptr) return;
    state.hasCaption = !state.hasCaption;
    SDL_SetWindowBordered(state.window, state.hasCaption ? SDL_TRUE : SDL_FALSE);
    detail::redrawWhole();
}

int windowWidth() {
    int width = 0;
    if (display().window != nullptr) SDL_GetWindowSize(display().window, &width, nullptr);
    return width;
}

int windowHeight() {
    int height = 0;
    if (display().window != nullptr) SDL_GetWindowSize(display().window, nullptr, &height);
    return height;
}

void releasePointer(bool release) {
    display().pointerCaptured = !release;
    applyPointerCapture();
}

void raiseWindow() {
    SDL_Window* window = display().window;
    if (window == nullptr) return;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0) SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
    applyPointerCapture();
}

std::string videoDriver() {
    const char* name = display().videoStarted ? SDL_GetCurrentVideoDriver() : nullptr;
    return name != nullptr ? name : "";
}

std::string rendererName() {
    SDL_RendererInfo info;
    if (display().renderer == nullptr || SDL_GetRendererInfo(display().renderer, &info) != 0) return "";
    const std::string openGl = display().software ? "" : detail::openGlRendererName();
    return openGl.empty() ? info.name : std::string(info.name) + " (" + openGl + ")";
}

std::string windowTitle() {
    return display().window != nullptr ? display().title : std::string();
}

bool windowHasCaption() {
    return display().window != nullptr && display().hasCaption;
}

// A frame equal to the last is not drawn again: capturing starts with a frame drawn whole.
void captureFrames(bool on) {
    display().capturing = on;
    if (on) detail::redrawWhole();
    if (!on) display().captured = Picture{};
}

Colour capturedPixel(int x, int y) {
    const Picture& frame = display().captured;
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) return 0xFFFFFFFFu;
    return frame.pixels[static_cast<std::size_t>(y) * frame.width + x] & 0xFFFFFFu;
}

bool saveCapturedFrame(const std::string& pngFile) {
    const Picture& frame = display().captured;
    if (frame.width <= 0 || frame.height <= 0) return false;
    Picture opaque = frame;
    for (std::uint32_t& pixel : opaque.pixels) pixel |= 0xFF000000u;
    return encodePngFile(opaque, pngFile);
}

}  // namespace media
