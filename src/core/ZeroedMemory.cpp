#include "core/ZeroedMemory.h"

#include <cstdlib>

namespace lumeye {

// The C library's zeroed allocation. A block under its mapping threshold
// (1 MiB, set at start-up) comes from the heap, where a freed block serves
// the next of its size; a larger one, a whole canvas, is a fresh mapping of
// its own, whose pages the system zeroes as they are first touched, and goes
// back to the system when freed.
void* allocateZeroed(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (void* block = std::calloc(bytes, 1)) return block;
    throw std::bad_alloc();
}

void freeZeroed(void* block, std::size_t) noexcept { std::free(block); }

}  // namespace lumeye
