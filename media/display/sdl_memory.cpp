// SDL's own memory: its surfaces and textures of a megabyte and more are pixel memory as the
// viewer's pictures are, mapped from the kernel and unmapped when freed; smaller blocks go to the C
// library as before. A page texture freed at an opening thus leaves no grown heap behind.
#include <SDL.h>
#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "media/display/display_internal.h"
#include "media/pictures/pictures.h"

namespace media::detail {

namespace {

constexpr std::size_t mappedFrom = 1 << 20;

struct SdlMemory {
    SDL_malloc_func malloc = nullptr;
    SDL_calloc_func calloc = nullptr;
    SDL_realloc_func realloc = nullptr;
    SDL_free_func free = nullptr;
    std::mutex mutex;
    std::unordered_map<void*, std::size_t> mapped;  // block -> its size
};

SdlMemory& memory() {
    static SdlMemory state;
    return state;
}

// The size of a block this file mapped, 0 for one the C library holds (also one SDL made before).
std::size_t mappedSize(void* block) {
    std::lock_guard lock(memory().mutex);
    const auto found = memory().mapped.find(block);
    return found == memory().mapped.end() ? 0 : found->second;
}

void* mapBlock(std::size_t size) {
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    std::lock_guard lock(memory().mutex);
    memory().mapped[block] = size;
    return block;
}

void SDLCALL freeBlock(void* block) {
    const std::size_t size = block != nullptr ? mappedSize(block) : 0;
    if (size == 0) {
        memory().free(block);
        return;
    }
    {
        std::lock_guard lock(memory().mutex);
        memory().mapped.erase(block);
    }
    ::munmap(block, size);
}

void* SDLCALL allocateBlock(std::size_t size) {
    return size < mappedFrom ? memory().malloc(size) : mapBlock(size);
}

// Mapped memory comes zeroed.
void* SDLCALL allocateZeroed(std::size_t count, std::size_t size) {
    if (size != 0 && count > SIZE_MAX / size) return nullptr;
    return count * size < mappedFrom ? memory().calloc(count, size) : mapBlock(count * size);
}

void* SDLCALL reallocateBlock(void* block, std::size_t size) {
    const std::size_t oldSize = block != nullptr ? mappedSize(block) : 0;
    if (oldSize == 0 && size < mappedFrom) return memory().realloc(block, size);
    void* moved = allocateBlock(size);
    if (moved == nullptr || block == nullptr) return moved;
    std::memcpy(moved, block, std::min(size, oldSize != 0 ? oldSize : ::malloc_usable_size(block)));
    freeBlock(block);
    return moved;
}

}  // namespace

// Before SDL's video starts; a block SDL made before stays the C library's and is freed there.
void mapLargeSdlBlocks() {
    SdlMemory& state = memory();
    if (!pixelMemoryMapped() || state.malloc != nullptr) return;
    SDL_GetOriginalMemoryFunctions(&state.malloc, &state.calloc, &state.realloc, &state.free);
    SDL_SetMemoryFunctions(allocateBlock, allocateZeroed, reallocateBlock, freeBlock);
}

}  // namespace media::detail
