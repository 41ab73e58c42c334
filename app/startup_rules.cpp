// The pure rules of start-up: display size, font sizes, pointer side, the cache's folder, cache root.
#include "app/startup_rules.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "context/helpers.h"

DisplaySize portraitDisplaySize(int deskWidth, int deskHeight) {
    if (deskWidth <= deskHeight || deskHeight <= 0) return {deskWidth, deskHeight};
    double aspect = static_cast<double>(deskWidth) / deskHeight;
    return {nearest(deskHeight - 100.0 * aspect), deskHeight};
}

FontSizes fontSizesFor(int screenWidth) {
    double u = screenWidth / 120.0 + 1.0;
    FontSizes sizes;
    sizes.base = std::max(6, nearest(u));
    sizes.medium = std::max(6, nearest(u * 1.25));
    sizes.large = nearest(u * 1.75);
    sizes.title = nearest(u * 2.25);
    return sizes;
}

int pointerSide(int baseFontSize) {
    // Single precision on purpose: 1.6f x 10 is exactly 16, where double arithmetic gives 16.000...1.
    float side = 1.6f * static_cast<float>(baseFontSize);
    return static_cast<int>(std::ceil(side));
}

static std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

static std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string cacheParentFolder(const std::string& programFolder, const std::string& tempFolder,
                              const std::string& currentFolder) {
    std::string folder = withSlash(programFolder);
    std::string lower = lowerCased(folder);
    bool inTemp = lower.find("/temp/") != std::string::npos;
    std::string temp = withSlash(tempFolder);
    if (!tempFolder.empty() && folder.compare(0, temp.size(), temp) == 0) inTemp = true;
    return inTemp ? withSlash(currentFolder) : folder;
}

std::string userCacheRoot(const char* xdgCacheHome, const char* home) {
    // XDG says a relative $XDG_CACHE_HOME is invalid and must be ignored.
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/') return withSlash(xdgCacheHome) + "pagewell/";
    if (home != nullptr && home[0] == '/') return withSlash(home) + ".cache/pagewell/";
    return "";
}

std::string windowTitleFrom(const std::string& title, const std::string& version, const std::string& maker) {
    return title + " " + version + " " + maker;
}
