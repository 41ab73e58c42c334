// Helpers for the fault tests: odd PDFs written by hand, a hard time limit per case, finished
// conversions, and file systems mounted for a test (read-only, or small enough to fill).
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"
#include "tests/support/pdf_maker.h"

// Ends the whole test program when a case runs past its limit: a hang fails, it never stalls.
class HardTimeLimit {
public:
    explicit HardTimeLimit(unsigned seconds);
    ~HardTimeLimit();
    HardTimeLimit(const HardTimeLimit&) = delete;
    HardTimeLimit& operator=(const HardTimeLimit&) = delete;
};

// Every page has its JPEG, no page PNG is left and no background work remains.
// Names of the files in a folder (hidden ones too).
std::vector<std::string> filesIn(const std::string& folder);
bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// A tmpfs mounted over a folder for one test; needs root (CAP_SYS_ADMIN). Unmounted at the end.
class TestMount {
public:
    // Mounts a tmpfs of the given size; mounted() tells whether it worked.
    TestMount(const std::string& folder, const std::string& size);
    ~TestMount();
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;
    bool mounted() const { return mounted_; }
    bool makeReadOnly();  // remounts it read-only, keeping what was written

private:
    std::string folder_;
    bool mounted_ = false;
};
// Why mounting is not possible here ("" when it is): tests that need it skip with this message.
std::string whyNoMounts();
// Whether permission bits stop this process (they do not stop root).
bool permissionsApply();
