// Choosing the renderer for what a frame costs: SDL's software renderer, drawing into the window's
// surface and presenting the changed rectangles alone, where no graphics processor would render; the
// accelerated renderer where one does. A driver named in SDL_RENDER_DRIVER is taken as it is.
#include <SDL.h>
#include <glob.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/display/display_internal.h"

namespace media::detail {

namespace {

constexpr unsigned int glRendererString = 0x1F01;  // GL_RENDERER

bool anyFileMatches(const char* pattern) {
    glob_t found{};
    const bool matched = ::glob(pattern, GLOB_NOSORT, nullptr, &found) == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    return matched;
}

SDL_Renderer* softwareRenderer(SDL_Window* window) {
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An OpenGL renderer on a software rasteriser draws every pixel on the processor, in threads of its own:
// a whole frame at every present, where the software renderer copies the changed rectangles alone.
bool rasterisedInSoftware(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
    if ((info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
    return softwareRasteriser(openGlRendererName());
}

}  // namespace

bool softwareRasteriser(const std::string& openGlRenderer) {
    const std::string name = lowerCased(openGlRenderer);
    for (const char* rasteriser : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe"}) {
        if (name.find(rasteriser) != std::string::npos) return true;
    }
    return false;
}

// Without a graphics device of the kernel's (a direct rendering node, or NVIDIA's own driver) OpenGL
// can only be rasterised in software: asking it would cost the start its whole initialisation, some
// 100 ms, for an answer known beforehand.
bool graphicsDevicePresent() {
    return anyFileMatches("/dev/dri/renderD*") || anyFileMatches("/dev/dri/card*") ||
           anyFileMatches("/dev/nvidia[0-9]*");
}

std::string openGlRendererName() {
    if (SDL_GL_GetCurrentContext() == nullptr) return {};
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(glRendererString) : nullptr;
    return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

SDL_Renderer* chooseRenderer(SDL_Window* window, bool graphicsDevice) {
    const char* named = std::getenv("SDL_RENDER_DRIVER");
    if (named != nullptr && *named != '\0') {
        // SDL takes the named driver; the software renderer stands in when it cannot be made.
        SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
        return renderer != nullptr ? renderer : softwareRenderer(window);
    }
    if (!graphicsDevice) return softwareRenderer(window);
    SDL_Renderer* accelerated = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (accelerated != nullptr && !rasterisedInSoftware(accelerated)) return accelerated;
    if (accelerated != nullptr) SDL_DestroyRenderer(accelerated);
    return softwareRenderer(window);
}

}  // namespace media::detail
