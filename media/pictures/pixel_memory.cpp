// Pixel memory: large blocks mapped from the kernel and given back to it when freed.
#include <sys/mman.h>

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

}  // namespace media
