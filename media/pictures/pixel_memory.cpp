// Pixel memory: large blocks mapped from the kernel and given back to it when freed; pictures packed
// as runs of equal pixels.
#include <sys/mman.h>

#include <algorithm>
#include <new>

#include "media/pictures/pictures.h"

namespace media {

namespace {

// Below this, a block is an ordinary allocation (a thumbnail, a glyph, a small sprite).
constexpr std::size_t mappedFrom = 1 << 20;

// AddressSanitizer guards heap blocks only: its builds keep pictures in the heap, where a pixel
// written past a row's end is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool mapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool mapLargeBlocks = false;
#else
constexpr bool mapLargeBlocks = true;
#endif
#else
constexpr bool mapLargeBlocks = true;
#endif

}  // namespace

bool pixelMemoryMapped() {
    return mapLargeBlocks;
}

void* mapPixelMemory(std::size_t bytes) {
    if (!mapLargeBlocks || bytes < mappedFrom) return ::operator new(bytes);
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    return memory;
}

void unmapPixelMemory(void* memory, std::size_t bytes) {
    if (!mapLargeBlocks || bytes < mappedFrom) {
        ::operator delete(memory);
        return;
    }
    ::munmap(memory, bytes);
}

bool packPicture(const Picture& picture, std::size_t limitBytes, PackedPicture& packed) {
    packed = PackedPicture{picture.width, picture.height, {}};
    const std::size_t limitWords = limitBytes / sizeof(std::uint32_t);
    auto pixel = picture.pixels.begin();
    while (pixel != picture.pixels.end()) {
        auto runEnd = std::find_if(pixel, picture.pixels.end(), [&](std::uint32_t p) { return p != *pixel; });
        if (packed.runs.size() + 2 > limitWords) {
            packed.runs = {};
            return false;
        }
        packed.runs.push_back(static_cast<std::uint32_t>(runEnd - pixel));
        packed.runs.push_back(*pixel);
        pixel = runEnd;
    }
    return true;
}

Picture unpackedPicture(const PackedPicture& packed) {
    Picture picture{packed.width, packed.height, {}};
    picture.pixels.reserve(static_cast<std::size_t>(packed.width) * packed.height);
    for (std::size_t i = 0; i + 1 < packed.runs.size(); i += 2) {
        picture.pixels.insert(picture.pixels.end(), packed.runs[i], packed.runs[i + 1]);
    }
    return picture;
}

}  // namespace media
