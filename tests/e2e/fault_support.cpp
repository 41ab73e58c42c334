// Helpers for the fault tests.
#include "tests/e2e/fault_support.h"

#include <sys/mount.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/conversion.h"
#include "media/system/system.h"

namespace fs = std::filesystem;

namespace {

extern "C" void timeLimitReached(int) {
    const char message[] = "\n*** a test case ran past its hard time limit: it hangs ***\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(124);
}

}  // namespace

HardTimeLimit::HardTimeLimit(unsigned seconds) {
    std::signal(SIGALRM, timeLimitReached);
    ::alarm(seconds);
}

HardTimeLimit::~HardTimeLimit() {
    ::alarm(0);
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TestMount::TestMount(const std::string& folder, const std::string& size) : folder_(folder) {
    const std::string options = "size=" + size + ",mode=0755";
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TestMount::~TestMount() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool TestMount::makeReadOnly() {
    return mounted_ && ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

std::string whyNoMounts() {
    if (::geteuid() != 0) return "mounting a test file system needs root";
    const std::string probe = media::temporaryFolder() + "pagewell-mount-probe-" + std::to_string(::getpid());
    fs::create_directories(probe);
    std::string reason;
    if (::mount("tmpfs", probe.c_str(), "tmpfs", 0, "size=64k") == 0) {
        ::umount2(probe.c_str(), MNT_DETACH);
    } else {
        reason = std::string("mount refused: ") + std::strerror(errno);
    }
    std::error_code ignored;
    fs::remove(probe, ignored);
    return reason;
}

bool permissionsApply() {
    return ::geteuid() != 0;
}
