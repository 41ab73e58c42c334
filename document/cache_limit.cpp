// The page cache kept under its limit: folders of documents opened longest ago removed whole.
#include "document/cache_limit.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "media/system/system.h"
#include "media/text/text.h"

namespace {

constexpr std::int64_t megabyte = 1024 * 1024;
constexpr std::int64_t largestDefault = 2048 * megabyte;
constexpr std::int64_t smallestLimit = 64 * megabyte;

// Only folders named as the viewer names them ("<time>_<file name>") are the cache's: anything else
// under the cache root (Xlib's compose cache, a user's own folder) is never removed.
bool namedAsCacheFolder(const std::string& name) {
    std::size_t digits = name.starts_with("-") ? 1 : 0;
    const std::size_t first = digits;
    while (digits < name.size() && std::isdigit(static_cast<unsigned char>(name[digits]))) ++digits;
    return digits > first && digits + 1 < name.size() && name[digits] == '_';
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The kept-page file is written at each opening of a document; a folder without it (a viewer before
// it, a document never read past its opening) was last opened when the folder itself was touched.
std::int64_t lastOpened(const std::string& folder) {
    const std::string lastRead = folder + "LastRead.txt";
    return media::fileModificationTime(media::fileSize(lastRead) >= 0 ? lastRead : folder);
}

std::vector<CacheFolder> cacheFolders(const Viewer& v) {
    std::vector<CacheFolder> folders;
    const std::int64_t now = secondsNow();
    for (const std::string& name : media::subfolderNames(v.layout.cacheRoot)) {
        if (!namedAsCacheFolder(name)) continue;
        CacheFolder folder;
        folder.folder = v.layout.cacheRoot + name + "/";
        const media::FolderUse use = media::folderUse(folder.folder);
        if (use.lastChanged < 0) continue;  // gone since it was listed
        folder.bytes = use.bytes;
        folder.lastUsed = lastOpened(folder.folder);
        folder.inUse = folder.folder == v.document.documentCacheFolder ||
                       now - use.lastChanged < cacheWriteQuietSeconds || media::folderHeld(folder.folder);
        folders.push_back(folder);
    }
    return folders;
}

}  // namespace

std::int64_t defaultCacheLimit(std::int64_t freeBytesAtStart) {
    if (freeBytesAtStart < 0) return largestDefault;
    return std::clamp(freeBytesAtStart / 10, smallestLimit, largestDefault);
}

std::int64_t cacheLimitFromSetting(const std::string& megabytes, std::int64_t defaultLimit) {
    if (megabytes.empty() || megabytes.size() > 9 ||
        !std::all_of(megabytes.begin(), megabytes.end(), [](unsigned char c) { return std::isdigit(c); }))
        return defaultLimit;
    const std::int64_t value = std::stoll(megabytes);
    return value > 0 ? value * megabyte : defaultLimit;
}

std::vector<std::string> foldersToRemove(std::vector<CacheFolder> folders, std::int64_t limit,
                                         std::int64_t comingBytes) {
    std::int64_t total = comingBytes;
    for (const CacheFolder& folder : folders) total += folder.bytes;
    std::stable_sort(folders.begin(), folders.end(),
                     [](const CacheFolder& a, const CacheFolder& b) { return a.lastUsed < b.lastUsed; });
    std::vector<std::string> removed;
    for (const CacheFolder& folder : folders) {
        if (total <= limit) break;
        if (folder.inUse) continue;
        removed.push_back(folder.folder);
        total -= folder.bytes;
    }
    return removed;
}

bool cacheDiskFull(const std::string& folder) {
    const std::int64_t free = media::freeBytes(folder);
    return free >= 0 && free < cacheDiskFloor;
}

void holdOpenCacheFolder(Viewer& v) {
    media::releaseFolder(v.document.cacheFolderHold);
    v.document.cacheFolderHold = -1;
    if (v.document.documentCacheFolder.empty()) return;
    media::markFolderUsed(v.document.documentCacheFolder);
    v.document.cacheFolderHold = media::holdFolder(v.document.documentCacheFolder);
}

void keepCacheWithinLimit(Viewer& v) {
    if (v.document.cacheLimitBytes <= 0) return;
    const std::int64_t coming = static_cast<std::int64_t>(v.document.pageCount) * cacheBytesPerPage;
    for (const std::string& folder : foldersToRemove(cacheFolders(v), v.document.cacheLimitBytes, coming)) {
        if (media::removeFolderTree(folder))
            std::fprintf(stderr, "pagewell: the cache is full: removed %s, the document opened longest ago\n",
                         media::forTerminal(folder).c_str());
    }
}
