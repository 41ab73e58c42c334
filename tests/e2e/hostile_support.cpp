// Helpers for the hostile-document tests: the sandboxed folders, snapshots, the tools still running.
#include "tests/e2e/hostile_support.h"

#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "media/system/system.h"

namespace fs = std::filesystem;

namespace {

const char* const notSet = "\1";
const char* const sandboxed[] = {"TMPDIR", "HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};

}  // namespace

Sandbox::Sandbox() {
    std::string pattern = media::temporaryFolder() + "pagewell-sandbox-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern + "/";
    for (const char* name : sandboxed) {
        const char* value = std::getenv(name);
        saved_[name] = value != nullptr ? value : notSet;
    }
    fs::create_directories(root_ + "tmp");
    fs::create_directories(root_ + "home");
    setenv("TMPDIR", (root_ + "tmp").c_str(), 1);
    setenv("HOME", (root_ + "home").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ + "home/.cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "home/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ + "home/.local/share").c_str(), 1);
}

Sandbox::~Sandbox() {
    for (const auto& [name, value] : saved_)
        value == notSet ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
}

Snapshot snapshotOf(const std::string& root) {
    Snapshot files;
    std::error_code error;
    for (auto it =
             fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error) break;
        if (!it->is_regular_file(error) && !it->is_symlink(error)) continue;
        FileFacts facts;
        facts.size = it->is_regular_file(error) ? it->file_size(error) : 0;
        facts.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             it->last_write_time(error).time_since_epoch())
                             .count();
        files[it->path().string()] = facts;
    }
    return files;
}

std::vector<std::pair<std::string, std::uintmax_t>> writtenOutside(const Snapshot& before,
                                                                   const Snapshot& after,
                                                                   const std::vector<std::string>& allowed) {
    std::vector<std::pair<std::string, std::uintmax_t>> written;
    for (const auto& [path, facts] : after) {
        const auto earlier = before.find(path);
        if (earlier != before.end() && earlier->second == facts) continue;
        bool inAllowed = false;
        for (const std::string& folder : allowed) inAllowed = inAllowed || path.rfind(folder, 0) == 0;
        if (!inAllowed) written.emplace_back(path, facts.size);
    }
    return written;
}

bool ownToolRunning() {
    for (const char* name : {"pdfinfo.exe", "pdftotext.exe", "pdftopng.exe"})
        if (media::isProgramRunning(name) != 0) return true;
    return false;
}
