// Searching this process's own writable memory through /proc/self/maps and /proc/self/mem.
#include "tests/support/memory_scan.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// Mappings larger than this are a sanitizer's shadow, reserved but never written as a whole.
constexpr unsigned long long largestMapping = 1ULL << 30;

struct Mapping {
    unsigned long long start = 0, end = 0;
};

// Private, readable and writable, and not a file's contents.
std::vector<Mapping> writableMappings() {
    std::vector<Mapping> mappings;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode, name;
        fields >> range >> permissions >> offset >> device >> inode >> name;
        const bool anonymous = inode == "0" && (name.empty() || name == "[heap]" ||
                                                name.starts_with("[stack") || name.starts_with("[anon"));
        if (permissions != "rw-p" || !anonymous) continue;
        Mapping mapping;
        mapping.start = std::stoull(range.substr(0, range.find('-')), nullptr, 16);
        mapping.end = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
        if (mapping.end - mapping.start <= largestMapping) mappings.push_back(mapping);
    }
    return mappings;
}

int occurrencesIn(const std::vector<unsigned char>& bytes, std::size_t size, const std::string& masked,
                  unsigned char mask) {
    int found = 0;
    const auto first = static_cast<unsigned char>(masked[0] ^ mask);
    for (std::size_t at = 0; at + masked.size() <= size; ++at) {
        const void* hit = std::memchr(bytes.data() + at, first, size - masked.size() + 1 - at);
        if (hit == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes.data());
        std::size_t matched = 1;
        while (matched < masked.size() &&
               (bytes[at + matched] ^ mask) == static_cast<unsigned char>(masked[matched]))
            ++matched;
        found += matched == masked.size();
    }
    return found;
}

}  // namespace

// Read in pieces that overlap by the needle's length less one; the buffer is cleared after each
// mapping, so that what it held is never found again where it lies itself.
int occurrencesInMemory(const std::string& maskedBytes, unsigned char mask) {
    if (maskedBytes.empty()) return 0;
    const int memory = open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    if (memory < 0) return -1;
    constexpr std::size_t piece = 16 << 20;
    const std::size_t overlap = maskedBytes.size() - 1;
    std::vector<unsigned char> bytes(piece + overlap);
    int found = 0;
    for (const Mapping& mapping : writableMappings()) {
        for (unsigned long long at = mapping.start; at < mapping.end; at += piece) {
            const std::size_t length =
                static_cast<std::size_t>(std::min<unsigned long long>(piece + overlap, mapping.end - at));
            const ssize_t read = pread(memory, bytes.data(), length, static_cast<off_t>(at));
            if (read <= 0) break;
            found += occurrencesIn(bytes, static_cast<std::size_t>(read), maskedBytes, mask);
        }
        std::fill(bytes.begin(), bytes.end(), 0);
    }
    close(memory);
    return found;
}
