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

// Private, readable and writable, and not a file's contents.
std::vector<std::pair<unsigned long long, unsigned long long>> writableMappings() {
    std::vector<std::pair<unsigned long long, unsigned long long>> mappings;  // start, end
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode, name;
        fields >> range >> permissions >> offset >> device >> inode >> name;
        const bool anonymous = inode == "0" && (name.empty() || name == "[heap]" ||
                                                name.starts_with("[stack") || name.starts_with("[anon"));
        if (permissions != "rw-p" || !anonymous) continue;
        const unsigned long long start = std::stoull(range, nullptr, 16),
                                 end = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
        if (end - start <= largestMapping) mappings.emplace_back(start, end);
    }
    return mappings;
}

int occurrencesIn(const unsigned char* bytes, std::size_t size, const std::string& masked,
                  unsigned char mask) {
    if (size < masked.size()) return 0;
    const auto same = [mask](char m, unsigned char b) { return (b ^ mask) == static_cast<unsigned char>(m); };
    int found = 0;
    const unsigned char* const last = bytes + size - masked.size();  // where a match starts last
    for (const unsigned char* at = bytes; at <= last; ++at) {
        at = static_cast<const unsigned char*>(std::memchr(at, masked[0] ^ mask, last - at + 1));
        if (at == nullptr) break;
        found += std::equal(masked.begin(), masked.end(), at, same);
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
    for (const auto& [start, end] : writableMappings()) {
        for (unsigned long long at = start; at < end; at += piece) {
            const std::size_t length =
                static_cast<std::size_t>(std::min<unsigned long long>(piece + overlap, end - at));
            const ssize_t read = pread(memory, bytes.data(), length, static_cast<off_t>(at));
            if (read <= 0) break;
            found += occurrencesIn(bytes.data(), static_cast<std::size_t>(read), maskedBytes, mask);
        }
        std::fill(bytes.begin(), bytes.end(), 0);
    }
    close(memory);
    return found;
}
