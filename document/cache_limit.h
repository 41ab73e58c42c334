// The page cache kept under its limit: when an opening would take it past the limit, the folders of
// the documents opened longest ago go, whole; never the open document's, nor one still being written
// or shown by another viewer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "context/viewer.h"

// What a page takes in the cache, on average: its JPEG, its share of the sheet and the text.
constexpr std::int64_t cacheBytesPerPage = 150 * 1024;
// A folder changed this recently may still be written to by a tool program or a page-file worker.
constexpr std::int64_t cacheWriteQuietSeconds = 10 * 60;

// 2 GB, or a tenth of the free space at start when that is less (but never nothing).
std::int64_t defaultCacheLimit(std::int64_t freeBytesAtStart);
// Pagewell.ini's [GLOBAL] CacheLimitMB: a whole number of megabytes above 0; anything else gives
// the default.
std::int64_t cacheLimitFromSetting(const std::string& megabytes, std::int64_t defaultLimit);

struct CacheFolder {
    std::string folder;  // ends with "/"
    std::int64_t bytes = 0;
    std::int64_t lastUsed = 0;
    bool inUse = false;  // the open document's, held by a viewer, or being written
};
// The folders to remove, those used longest ago first, until what stays and what is coming fit the
// limit. Folders in use stay whatever it takes.
std::vector<std::string> foldersToRemove(std::vector<CacheFolder> folders, std::int64_t limit,
                                         std::int64_t comingBytes);

// A disk with less free than this holds no page image any more: the cache there is full.
constexpr std::int64_t cacheDiskFloor = 2 * 1024 * 1024;
bool cacheDiskFull(const std::string& folder);

// The folder of the document being opened counts as used now and is held while it is open.
void holdOpenCacheFolder(Viewer& v);
// Before a conversion: room for the document's pages, made by removing folders used longest ago.
void keepCacheWithinLimit(Viewer& v);
