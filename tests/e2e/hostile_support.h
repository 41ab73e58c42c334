// Helpers for the hostile-document tests: a sandbox for the temporary folder and the home folder,
// snapshots of what lies in it, and the tool programs this viewer started.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Points TMPDIR, HOME and the XDG data, configuration and cache folders at fresh folders under one
// root for its lifetime, so that everything the viewer and its tools write lands where a test can
// see it; puts the variables back and removes the root at the end. Make it before the harness.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    const std::string& root() const { return root_; }

private:
    std::string root_;
    std::map<std::string, std::string> saved_;  // variable -> value, "\1" for one that was not set
};

// Every file under the root (links not followed) with its size and modification time.
struct FileFacts {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileFacts&) const = default;
};
using Snapshot = std::map<std::string, FileFacts>;
Snapshot snapshotOf(const std::string& root);
// Files new or changed since before, outside the allowed folders: path and size.
std::vector<std::pair<std::string, std::uintmax_t>> writtenOutside(const Snapshot& before,
                                                                   const Snapshot& after,
                                                                   const std::vector<std::string>& allowed);

// Whether any of the three tool programs this process started still runs.
bool ownToolRunning();
