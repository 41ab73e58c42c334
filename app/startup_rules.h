// The pure rules of start-up: display size, font sizes, pointer side, the cache's folder, cache root.
#pragma once

#include <string>

// The viewer's identity, in the window title, the about screen and the --version line.
namespace identity {
constexpr const char* title = "Pagewell";
constexpr const char* version = "v1.0 - 10 January 2016";
constexpr const char* maker = "by Tarnwick";
}  // namespace identity

struct DisplaySize {
    int width = 0;
    int height = 0;
};

struct FontSizes {
    int base = 0, medium = 0, large = 0, title = 0;
};

// Portrait or square desktops are used whole; a landscape desktop gets a centred portrait window.
DisplaySize portraitDisplaySize(int deskWidth, int deskHeight);
FontSizes fontSizesFor(int screenWidth);
// Side of the pointer sprite: 1.6 x baseFontSize in single precision, rounded up.
int pointerSide(int baseFontSize);
// The folder that holds cache/: the program folder, or the current folder when the program folder lies
// in a temporary folder. The program's own files stay in the program folder either way.
std::string cacheParentFolder(const std::string& programFolder, const std::string& tempFolder,
                              const std::string& currentFolder);
// The user's cache folder for an installed copy: $XDG_CACHE_HOME, else $HOME/.cache, + "pagewell/".
// Empty when neither is usable.
std::string userCacheRoot(const char* xdgCacheHome, const char* home);
// The window title: the three identity texts joined by blanks.
std::string windowTitleFrom(const std::string& title, const std::string& version, const std::string& maker);
