// LastRead.txt: the kept page and the document's full path in its cache folder.
#include "document/reading_place.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "media/system/system.h"

namespace {

constexpr std::string_view pageKey = "page=";
constexpr std::string_view pathKey = "\npath=";

int wholePage(std::string_view text) {
    int page = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
    const bool whole = error == std::errc{} && end == text.data() + text.size();
    return whole && page > 0 ? page : 0;
}

}  // namespace

std::string formatReadingPlace(const ReadingPlace& place) {
    return std::string(pageKey) + std::to_string(place.page) + std::string(pathKey) + place.path + "\n";
}

ReadingPlace parseReadingPlace(const std::string& bytes) {
    ReadingPlace place;
    if (bytes.compare(0, pageKey.size(), pageKey) != 0) return place;
    const std::size_t pathAt = bytes.find(pathKey);
    const std::size_t pageEnd = std::min(bytes.find('\n'), bytes.size());
    place.page = wholePage(std::string_view(bytes).substr(pageKey.size(), pageEnd - pageKey.size()));
    if (pathAt == std::string::npos || pathAt != pageEnd) return place;
    place.path = bytes.substr(pathAt + pathKey.size());
    if (!place.path.empty() && place.path.back() == '\n') place.path.pop_back();
    return place;
}

ReadingPlace readReadingPlace(const std::string& cacheFolder) {
    std::string bytes;
    if (!media::readWholeFile(cacheFolder + lastReadFileName, bytes)) return {};
    return parseReadingPlace(bytes);
}

bool writeReadingPlace(const std::string& cacheFolder, const ReadingPlace& place) {
    return media::writeWholeFile(cacheFolder + lastReadFileName, formatReadingPlace(place));
}

void clearInterruptedPlaceWrites(const std::string& cacheFolder) {
    if (media::filePresent(cacheFolder + lastReadFileName))
        media::deleteFilesInFolder(cacheFolder, std::string(lastReadFileName) + ".part-*");
}
