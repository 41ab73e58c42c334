// The outline as a tree of rows: which entries are listed, which are expanded, the current chapter.
// Pure: the contents panel draws and scrolls what these say.
#pragma once

#include <vector>

#include "context/viewer.h"

// The entry has children: the next entry is one level deeper.
bool hasChildren(const std::vector<OutlineEntry>& entries, int index);
// The entries listed, top to bottom: every top-level entry, and the children of expanded entries
// whose parents are listed.
std::vector<int> listedRows(const std::vector<OutlineEntry>& entries, const std::vector<bool>& expanded);
// The chapter the page belongs to: of the entries leading to this page or one before it, the one
// whose page is the latest, the last of them in reading order (the deepest section); -1 for none.
int chapterOfPage(const std::vector<OutlineEntry>& entries, int page);
// How the tree opens: level after level is expanded while all the rows still fit in rowsShown, so a
// short outline shows whole and a long one by its upper levels; the path to the chapter is expanded.
std::vector<bool> openingExpansion(const std::vector<OutlineEntry>& entries, int chapter, int rowsShown);
