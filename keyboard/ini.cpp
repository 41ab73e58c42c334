// Configuration files in the INI form: UTF-8 or Windows-1252 text, sections without regard to case.
#include "keyboard/ini.h"

#include <algorithm>

#include "media/system/system.h"
#include "media/text/text.h"

namespace {

// A configuration file is small; anything larger is not one and is refused rather than read.
constexpr std::int64_t largestIniFile = 16 * 1024 * 1024;

// A file that is not valid UTF-8 is taken as Windows-1252 throughout: every byte above 0x7F on its
// own is invalid UTF-8, so the repair gives its Windows-1252 character.
std::string asUtf8(const std::string& bytes) {
    if (media::isValidUtf8(bytes)) return bytes;
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80)
            text += byte;
        else
            text += media::repairToUtf8(std::string(1, byte));
    }
    return text;
}

bool sameWithoutCase(const std::string& a, const std::string& b) {
    return media::caseFold(a) == media::caseFold(b);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool IniFile::open(const std::string& path) {
    sections_.clear();
    current_ = -1;
    std::string bytes;
    std::int64_t size = media::fileSize(path);
    if (size < 0 || size > largestIniFile || !media::readWholeFile(path, bytes)) return false;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    sections_.push_back({"", {}});  // keys before the first section line
    for (const std::string& rawLine : splitLines(asUtf8(bytes))) {
        std::string line = media::trimmed(rawLine, " \t");
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.find(']') != std::string::npos) {
            sections_.push_back({media::trimmed(line.substr(1, line.find(']') - 1), " \t"), {}});
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        sections_.back().second.emplace_back(media::trimmed(line.substr(0, equals), " \t"),
                                             media::trimmed(line.substr(equals + 1), " \t"));
    }
    return true;
}

// The first section of that name counts, as with a repeated key the first line.
void IniFile::selectSection(const std::string& section) {
    current_ = -1;
    for (std::size_t index = 1; index < sections_.size(); ++index) {
        if (sameWithoutCase(sections_[index].first, media::trimmed(section, " \t"))) {
            current_ = static_cast<int>(index);
            return;
        }
    }
}

std::string IniFile::read(const std::string& key, const std::string& defaultValue) const {
    if (current_ < 0 || current_ >= static_cast<int>(sections_.size())) return defaultValue;
    const auto& entries = sections_[static_cast<std::size_t>(current_)].second;
    auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
        return sameWithoutCase(entry.first, media::trimmed(key, " \t"));
    });
    return found == entries.end() ? defaultValue : found->second;
}
