#include "core/ZeroedMemory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace lumeye {
namespace {
// From this size on a block is mapped on its own, its pages made at once.
constexpr std::size_t kMappedBytes = std::size_t(2) << 20;
}  // namespace

void* allocateZeroed(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes < kMappedBytes) {
        if (void* block = std::calloc(bytes, 1)) return block;
        throw std::bad_alloc();
    }
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return block;
}

void freeZeroed(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    if (bytes < kMappedBytes) std::free(block);
    else munmap(block, bytes);
}

}  // namespace lumeye
