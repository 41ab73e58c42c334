// Small scaffolding for tests below the viewer: scratch folders and files, scripts, pixel distances.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// A new folder "/tmp/<prefix>XXXXXX/", or "" when none could be made.
inline std::string freshFolder(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
}

// A file's whole content, "" when it cannot be read.
inline std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A shell script at path, executable, running body.
inline void writeScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
}

// A file's permission bits, or -1 when it is not there.
inline int modeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 0777) : -1;
}

// The largest difference of one 8-bit channel among the lowest `channels` of two packed pixels.
inline int channelDistance(std::uint32_t a, std::uint32_t b, int channels = 4) {
    int worst = 0;
    for (int shift = 0; shift < 8 * channels; shift += 8)
        worst = std::max(
            worst, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
    return worst;
}
