// The documents read lately, found from the cache folders: each folder's LastRead.txt names its
// document and kept page, and its modification time says when the document was last read.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

constexpr int recentDocumentsListed = 8;

// Newest first, at most atMost, one per document; a document whose file is gone is left out.
std::vector<RecentDocument> findRecentDocuments(const std::string& cacheRoot, int atMost);
// The document's file name, without its folder.
std::string documentFileName(const std::string& path);
