// Helpers for the hostile-document tests: a sandbox for the temporary folder and the home folder,
// snapshots of what lies in it, and whether the work for a document has ended.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
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
    std::map<std::string, std::optional<std::string>> saved_;  // variable -> value it had, if any
};

// Every file under the root (links not followed): path -> size and modification time.
using Snapshot = std::map<std::string, std::pair<std::uintmax_t, std::int64_t>>;
Snapshot snapshotOf(const std::string& root);
// Files new or changed since before, outside the allowed folders: "path (size bytes)".
std::vector<std::string> writtenOutside(const Snapshot& before, const Snapshot& after,
                                        const std::vector<std::string>& allowed);

struct Viewer;
// No conversion, no worker and none of the three tool programs this process started still runs.
bool documentWorkEnded(const Viewer& v);
