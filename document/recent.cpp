// The recent documents: the cache folders' LastRead.txt files, newest first.
#include "document/recent.h"

#include <algorithm>
#include <set>

#include "document/information.h"
#include "document/reading_place.h"
#include "media/system/system.h"

namespace {

// The page count from the folder's Information.ini, as the page data reading takes it.
int pageCountIn(const std::string& folder) {
    int count = 0;
    for (const std::string& line : media::readLines(folder + "Information.ini")) {
        if (isPagesLine(line)) count = parsePagesLine(line);
    }
    return count;
}

// Every folder whose LastRead.txt names a document that is still there; folders may vanish meanwhile.
std::vector<RecentDocument> readFolders(const std::string& cacheRoot) {
    std::vector<RecentDocument> found;
    for (const std::string& name : media::subfolderNames(cacheRoot)) {
        const std::string folder = cacheRoot + name + "/";
        const ReadingPlace place = readReadingPlace(folder);
        const std::int64_t lastRead = media::fileModifiedNanoseconds(folder + lastReadFileName);
        if (place.path.empty() || lastRead < 0 || media::fileSize(place.path) <= 0) continue;
        found.push_back({place.path, folder, 0, place.page, lastRead});
    }
    return found;
}

}  // namespace

std::vector<RecentDocument> findRecentDocuments(const std::string& cacheRoot, int atMost) {
    std::vector<RecentDocument> found = readFolders(cacheRoot);
    std::sort(found.begin(), found.end(), [](const RecentDocument& a, const RecentDocument& b) {
        return a.lastRead != b.lastRead ? a.lastRead > b.lastRead : a.cacheFolder > b.cacheFolder;
    });
    // A document whose file was replaced has an older folder too: its newest reading stands for it.
    std::set<std::string> listedPaths;
    std::vector<RecentDocument> recent;
    for (RecentDocument& document : found) {
        if (static_cast<int>(recent.size()) >= atMost) break;
        if (!listedPaths.insert(document.path).second) continue;
        document.pageCount = pageCountIn(document.cacheFolder);
        recent.push_back(std::move(document));
    }
    return recent;
}

std::string documentFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
