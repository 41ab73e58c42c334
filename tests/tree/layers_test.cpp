// The viewer's layers as its sources show them: who may include whom, and no circles between folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> folders = {"app",  "context",  "document", "view",
                                          "text", "keyboard", "about",    "media"};

struct Include {
    std::string file;    // the including file, relative to the source folder
    std::string target;  // what it includes, as written
    bool system = false;
};

// The include of one line ("#include <x>" or "#include "x""), or none.
bool parseInclude(const std::string& line, std::string& target, bool& system) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') return false;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) return false;
    at = line.find_first_of("<\"", at + 7);
    if (at == std::string::npos) return false;
    const std::size_t end = line.find_first_of(">\"", at + 1);
    if (end == std::string::npos) return false;
    system = line[at] == '<';
    target = line.substr(at + 1, end - at - 1);
    return true;
}

std::vector<Include> includesOf(const std::string& folder) {
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(PAGEWELL_SOURCE_DIR) / folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") continue;
        std::ifstream file(entry.path());
        std::string line, target;
        bool system = false;
        while (std::getline(file, line))
            if (parseInclude(line, target, system))
                found.push_back({fs::relative(entry.path(), PAGEWELL_SOURCE_DIR).string(), target, system});
    }
    return found;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find('/'));
}

// Folder -> the other folders its files include.
std::map<std::string, std::set<std::string>> folderGraph() {
    std::map<std::string, std::set<std::string>> graph;
    for (const std::string& folder : folders) {
        graph[folder];
        for (const Include& include : includesOf(folder)) {
            const std::string target = folderOf(include.target);
            if (!include.system && target != folder &&
                std::find(folders.begin(), folders.end(), target) != folders.end())
                graph[folder].insert(target);
        }
    }
    return graph;
}

// A circle through the graph as "a -> b -> a", or "" when there is none.
std::string findCircle(const std::map<std::string, std::set<std::string>>& graph) {
    std::map<std::string, int> state;  // 1 on the current path, 2 done
    std::vector<std::string> path;
    std::function<std::string(const std::string&)> visit = [&](const std::string& node) -> std::string {
        state[node] = 1;
        path.push_back(node);
        for (const std::string& next : graph.at(node)) {
            if (state[next] == 1) {
                std::string circle;
                for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it)
                    circle += *it + " -> ";
                return circle + next;
            }
            const std::string circle = state[next] == 0 ? visit(next) : "";
            if (!circle.empty()) return circle;
        }
        path.pop_back();
        state[node] = 2;
        return "";
    };
    for (const auto& [node, edges] : graph) {
        const std::string circle = state[node] == 0 ? visit(node) : "";
        if (!circle.empty()) return circle;
    }
    return "";
}

}  // namespace

TEST(Layers, OnlyTheApplicationIncludesTheApplication) {
    for (const std::string& folder : folders) {
        if (folder == "app") continue;
        for (const Include& include : includesOf(folder))
            EXPECT_NE(folderOf(include.target), "app") << include.file << " includes " << include.target;
    }
}

TEST(Layers, TheSharedContextAndTheMediaLayerStandOnNothingAbove) {
    const std::map<std::string, std::set<std::string>> allowed = {{"context", {"context", "media"}},
                                                                  {"media", {"media"}}};
    for (const auto& [folder, may] : allowed)
        for (const Include& include : includesOf(folder)) {
            const std::string target = folderOf(include.target);
            if (include.system || std::find(folders.begin(), folders.end(), target) == folders.end())
                continue;
            EXPECT_TRUE(may.count(target)) << include.file << " includes " << include.target;
        }
}

// The media layer's rooms, lowest first: a room's files include only its own and lower rooms' headers;
// the files directly in media/ (the calls that span the rooms) may include any room.
TEST(Layers, TheMediaRoomsStandInTheirOrder) {
    const std::vector<std::string> rooms = {"system", "pictures", "text", "display", "input", "desktop"};
    auto roomOf = [&](const std::string& path) -> int {
        if (path.rfind("media/", 0) != 0) return -1;
        const std::string rest = path.substr(6);
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) return static_cast<int>(rooms.size());  // media/ itself
        auto it = std::find(rooms.begin(), rooms.end(), rest.substr(0, slash));
        return it == rooms.end() ? -2 : static_cast<int>(it - rooms.begin());
    };
    for (const Include& include : includesOf("media")) {
        const int from = roomOf(include.file);
        EXPECT_NE(from, -2) << include.file << " stands in no room";
        if (include.system || include.target.rfind("media/", 0) != 0) continue;
        const int to = roomOf(include.target);
        EXPECT_NE(to, -2) << include.target << " stands in no room";
        EXPECT_LE(to, from) << include.file << " includes " << include.target << ", a room above its own";
    }
}

TEST(Layers, NoFoldersIncludeEachOtherInACircle) {
    EXPECT_EQ(findCircle({{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}, {"d", {"a"}}}), "a -> b -> c -> a");
    EXPECT_EQ(findCircle({{"a", {"b", "c"}}, {"b", {"c"}}, {"c", {}}}), "");
    EXPECT_EQ(findCircle(folderGraph()), "");
}

TEST(Layers, OnlyTheMediaLayerTalksToTheSystemLibraries) {
    const std::vector<std::string> systemLibraries = {"SDL",         "png.h",        "jpeglib.h",
                                                      "turbojpeg.h", "libmodplug",   "thread",
                                                      "spawn.h",     "sys/socket.h", "pthread.h"};
    auto isSystemLibrary = [&](const std::string& target) {
        for (const std::string& library : systemLibraries)
            if (target == library || (library == "SDL" && target.rfind("SDL", 0) == 0) ||
                (library == "libmodplug" && target.rfind("libmodplug", 0) == 0))
                return true;
        return false;
    };
    for (const std::string& folder : folders) {
        if (folder == "media") continue;
        for (const Include& include : includesOf(folder))
            EXPECT_FALSE(include.system && isSystemLibrary(include.target))
                << include.file << " includes <" << include.target << ">";
    }
}
