// The outline's rows: listing, the opening expansion, the chapter of a page.
#include "view/outline_tree.h"

#include <algorithm>
#include <cstddef>

namespace {

int entryCount(const std::vector<OutlineEntry>& entries) {
    return static_cast<int>(entries.size());
}

// Expands the entries leading to index.
void expandPathTo(const std::vector<OutlineEntry>& entries, int index, std::vector<bool>& expanded) {
    for (int i = index - 1, level = index >= 0 ? entries[index].level : 1; i >= 0 && level > 1; --i) {
        if (entries[i].level < level) {
            expanded[i] = true;
            level = entries[i].level;
        }
    }
}

}  // namespace

bool hasChildren(const std::vector<OutlineEntry>& entries, int index) {
    return index + 1 < entryCount(entries) && entries[index + 1].level > entries[index].level;
}

std::vector<int> listedRows(const std::vector<OutlineEntry>& entries, const std::vector<bool>& expanded) {
    std::vector<int> rows;
    for (int i = 0; i < entryCount(entries);) {
        rows.push_back(i);
        const bool open = static_cast<std::size_t>(i) < expanded.size() && expanded[i];
        const int level = entries[i].level;
        ++i;
        if (open) continue;
        while (i < entryCount(entries) && entries[i].level > level) ++i;  // the folded children
    }
    return rows;
}

int chapterOfPage(const std::vector<OutlineEntry>& entries, int page) {
    int chapter = -1;
    for (int i = 0; i < entryCount(entries); ++i) {
        const int at = entries[i].page;
        if (at >= 1 && at <= page && (chapter < 0 || at >= entries[chapter].page)) chapter = i;
    }
    return chapter;
}

std::vector<bool> openingExpansion(const std::vector<OutlineEntry>& entries, int chapter, int rowsShown) {
    std::vector<bool> expanded(entries.size(), false);
    int deepest = 1;
    for (const OutlineEntry& entry : entries) deepest = std::max(deepest, entry.level);
    for (int level = 1; level < deepest; ++level) {
        std::vector<bool> tried = expanded;
        for (int i = 0; i < entryCount(entries); ++i) {
            if (entries[i].level == level) tried[i] = true;
        }
        if (static_cast<int>(listedRows(entries, tried).size()) > rowsShown) break;
        expanded = std::move(tried);
    }
    if (chapter >= 0 && chapter < entryCount(entries)) expandPathTo(entries, chapter, expanded);
    return expanded;
}
