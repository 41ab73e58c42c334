// Reading Outline.txt into the outline's entries.
#include "document/outline.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "media/system/system.h"

namespace {

// A whole number at the start of text, up to the tab that ends it; false for anything else.
bool readField(std::string_view& text, int& value) {
    const std::size_t tab = text.find('\t');
    if (tab == std::string_view::npos) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + tab, value);
    if (error != std::errc{} || end != text.data() + tab) return false;
    text.remove_prefix(tab + 1);
    return true;
}

bool readEntry(std::string_view line, OutlineEntry& entry) {
    if (!readField(line, entry.level) || !readField(line, entry.page)) return false;
    if (entry.level < 1 || entry.page < 0) return false;
    entry.title = std::string(line);
    return true;
}

}  // namespace

std::vector<OutlineEntry> parseOutline(const std::string& bytes) {
    std::vector<OutlineEntry> entries;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        OutlineEntry entry;
        if (line.empty() || line.front() == '#' || !readEntry(line, entry)) continue;
        const int deepest = entries.empty() ? 1 : entries.back().level + 1;
        entry.level = std::min(entry.level, deepest);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool outlinePresent(const Viewer& v) {
    return media::filePresent(v.document.documentCacheFolder + outlineFileName);
}

std::vector<OutlineEntry> readOutline(const Viewer& v) {
    std::string bytes;
    if (!media::readWholeFile(v.document.documentCacheFolder + outlineFileName, bytes)) return {};
    return parseOutline(bytes);
}
