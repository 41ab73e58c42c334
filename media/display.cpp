// The window and the sprite display: start and stop, desktop size, the frame limiter, flipping,
// caption and pointer capture, frame capture, and the system events of the display.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "media/display_internal.h"
#include "media/media.h"
#include "media/picture.h"

namespace media {

namespace detail {

DisplayState& display() {
    static DisplayState state;
    return state;
}

bool startVideo() {
    DisplayState& state = display();
    if (state.videoStarted) return true;
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // A portrait window on a landscape desktop must not minimise when the pointer leaves it.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // After a detach, the press that takes the window back must also reach the program.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Video system: %s\n", SDL_GetError());
        return false;
    }
    state.videoStarted = true;
    return true;
}

void handleSystemEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            remakeAllTextures();
            break;
        case SDL_QUIT:
            latchEscape();
            break;
        default:
            takeInputEvent(event);
            break;
    }
}

}  // namespace detail

using detail::display;

namespace {

std::int64_t nowNanoseconds() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// Sleeps for most of the rest of the frame interval and spins on the counter for the last bit,
// because a sleep may overshoot by a millisecond or more.
void waitForFrameInterval() {
    detail::DisplayState& state = display();
    if (state.frameIntervalNanoseconds <= 0 || detail::testClockActive()) {
        state.lastFlipNanoseconds = nowNanoseconds();
        return;
    }
    const std::int64_t due = state.lastFlipNanoseconds + state.frameIntervalNanoseconds;
    const std::int64_t spinMargin = 1'500'000;
    std::int64_t now = nowNanoseconds();
    if (due - now > spinMargin) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(due - now - spinMargin));
    }
    while ((now = nowNanoseconds()) < due) {
    }
    // A frame that came late starts the next interval from now instead of rushing to catch up.
    state.lastFlipNanoseconds = now - due > state.frameIntervalNanoseconds ? now : due;
}

void captureFrame() {
    detail::DisplayState& state = display();
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(state.renderer, &width, &height) != 0 || width <= 0 || height <= 0) return;
    state.captured.width = width;
    state.captured.height = height;
    state.captured.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    if (SDL_RenderReadPixels(state.renderer, nullptr, SDL_PIXELFORMAT_RGBA32, state.captured.pixels.data(),
                             width * 4) != 0) {
        state.captured = Picture{};
    }
}

void applyPointerCapture() {
    detail::DisplayState& state = display();
    if (state.window == nullptr) return;
    bool shown = (SDL_GetWindowFlags(state.window) & SDL_WINDOW_SHOWN) != 0;
    SDL_SetWindowGrab(state.window, state.pointerCaptured && shown ? SDL_TRUE : SDL_FALSE);
    SDL_ShowCursor(state.pointerCaptured ? SDL_DISABLE : SDL_ENABLE);
}

SDL_Renderer* createRenderer(SDL_Window* window) {
    // With no flags SDL takes the first driver that works, accelerated ones first, and honours
    // SDL_RENDER_DRIVER; the software renderer is the last resort.
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) std::fprintf(stderr, "Renderer: %s\n", SDL_GetError());
    return renderer;
}

}  // namespace

bool startDisplay() {
    if (!detail::startVideo()) return false;
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        std::fprintf(stderr, "Fonts: %s\n", TTF_GetError());
        return false;
    }
    SDL_StartTextInput();
    return true;
}

void stopDisplay() {
    detail::DisplayState& state = display();
    detail::forgetDrawingTarget();
    stopPrefetch();
    detail::releaseAllSprites();
    detail::releaseFonts();
    stopSound();
    if (state.renderer != nullptr) SDL_DestroyRenderer(state.renderer);
    if (state.window != nullptr) SDL_DestroyWindow(state.window);
    if (TTF_WasInit() != 0) TTF_Quit();
    if (state.videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    resetInput();
    int overrideWidth = state.desktopOverrideWidth, overrideHeight = state.desktopOverrideHeight;
    state = detail::DisplayState{};
    state.desktopOverrideWidth = overrideWidth;
    state.desktopOverrideHeight = overrideHeight;
}

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
    SDL_SetRenderDrawBlendMode(state.renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(state.renderer, 0, 0, 0, 255);
    SDL_RenderClear(state.renderer);
    state.lastFlipNanoseconds = nowNanoseconds();
    applyPointerCapture();
    detail::remakeAllTextures();
    return true;
}

void setFrameRate(int framesPerSecond) {
    display().frameIntervalNanoseconds = framesPerSecond > 0 ? 1'000'000'000LL / (framesPerSecond + 1) : 0;
}

void clearDisplay(Colour colour) {
    SDL_Renderer* renderer = display().renderer;
    if (renderer == nullptr) return;
    SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(red(colour)), static_cast<Uint8>(green(colour)),
                           static_cast<Uint8>(blue(colour)), 255);
    SDL_RenderClear(renderer);
}

void flipDisplay() {
    detail::DisplayState& state = display();
    if (state.renderer != nullptr) {
        if (state.capturing) captureFrame();
        SDL_RenderPresent(state.renderer);
    }
    waitForFrameInterval();
    pumpEvents();
}

void toggleWindowCaption() {
    detail::DisplayState& state = display();
    if (state.window == nullptr) return;
    state.hasCaption = !state.hasCaption;
    SDL_SetWindowBordered(state.window, state.hasCaption ? SDL_TRUE : SDL_FALSE);
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

std::string windowTitle() {
    return display().window != nullptr ? display().title : std::string();
}

bool windowHasCaption() {
    return display().window != nullptr && display().hasCaption;
}

void captureFrames(bool on) {
    display().capturing = on;
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
