// Output files written under a temporary name in the target folder and renamed when complete.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tool.h"

namespace {

std::string temporaryPattern(const std::string& finalPath) {
    std::size_t slash = finalPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    // A dot name keeps the unfinished file out of sight and never matches the final name.
    return folder + "." + name + ".XXXXXX";
}

// mkstemp creates 0600; the finished file gets the usual permissions, or stays private.
void applyUsualPermissions(int descriptor) {
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, (outputIsPrivate() ? 0600 : 0666) & ~mask);
}

}  // namespace

bool openTemporaryOutput(const std::string& finalPath, TemporaryOutput& output) {
    output = TemporaryOutput{};
    std::string pattern = temporaryPattern(finalPath);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        reportError("cannot write '" + finalPath + "': " + std::strerror(errno));
        return false;
    }
    applyUsualPermissions(descriptor);
    output.temporaryPath = name.data();
    output.finalPath = finalPath;
    output.file = fdopen(descriptor, "wb");
    if (!output.file) {
        close(descriptor);
        unlink(output.temporaryPath.c_str());
        reportError("cannot write '" + finalPath + "': " + std::strerror(errno));
        return false;
    }
    watchTemporary(output.temporaryPath);
    return true;
}

bool commitTemporaryOutput(TemporaryOutput& output) {
    bool written = std::ferror(output.file) == 0;
    written = std::fflush(output.file) == 0 && written;
    written = std::fclose(output.file) == 0 && written;
    output.file = nullptr;
    if (written && std::rename(output.temporaryPath.c_str(), output.finalPath.c_str()) == 0) {
        watchTemporary("");
        return true;
    }
    reportError("cannot write '" + output.finalPath + "': " + std::strerror(errno));
    unlink(output.temporaryPath.c_str());
    watchTemporary("");
    return false;
}

void discardTemporaryOutput(TemporaryOutput& output) {
    if (output.file) std::fclose(output.file);
    output.file = nullptr;
    if (!output.temporaryPath.empty()) unlink(output.temporaryPath.c_str());
    watchTemporary("");
}
