// Helpers for the hostile-document tests: the sandboxed folders, snapshots, the work still running.
#include "tests/e2e/hostile_support.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "context/viewer.h"
#include "media/system/system.h"

namespace fs = std::filesystem;

Sandbox::Sandbox() {
    std::string pattern = media::temporaryFolder() + "pagewell-sandbox-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern + "/";
    const char* const names[] = {"TMPDIR", "HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    const char* const folders[] = {"tmp", "home", "home/.cache", "home/.config", "home/.local/share"};
    for (int i = 0; i < 5; ++i) {
        const char* value = std::getenv(names[i]);
        saved_[names[i]] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        fs::create_directories(root_ + folders[i]);
        setenv(names[i], (root_ + folders[i]).c_str(), 1);
    }
}

Sandbox::~Sandbox() {
    for (const auto& [name, value] : saved_)
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
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
        files[it->path().string()] = {it->is_regular_file(error) ? it->file_size(error) : 0,
                                      it->last_write_time(error).time_since_epoch().count()};
    }
    return files;
}

std::vector<std::string> writtenOutside(const Snapshot& before, const Snapshot& after,
                                        const std::vector<std::string>& allowed) {
    std::vector<std::string> written;
    for (const auto& [path, facts] : after) {
        const auto earlier = before.find(path);
        const bool inAllowed = std::any_of(allowed.begin(), allowed.end(),
                                           [&](const std::string& f) { return path.starts_with(f); });
        if ((earlier == before.end() || earlier->second != facts) && !inAllowed)
            written.push_back(path + " (" + std::to_string(facts.first) + " bytes)");
    }
    return written;
}

bool documentWorkEnded(const Viewer& v) {
    const ConversionState& c = v.conversion;
    if (c.conversionRunning || c.workerRunning || c.thumbnailGenerationActive) return false;
    for (const char* name : {"pdfinfo.exe", "pdftotext.exe", "pdftopng.exe"})
        if (media::isProgramRunning(name) != 0) return false;
    return true;
}
