#include "core/ZeroedMemory.h"

#include <cstdlib>

namespace lumeye {

// The C library's zeroed allocation: large blocks are fresh anonymous pages,
// which the system zeroes as they are first touched, and a block freed comes
// back for the next of its size without a trip to the system.
void* allocateZeroed(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (void* block = std::calloc(bytes, 1)) return block;
    throw std::bad_alloc();
}

void freeZeroed(void* block, std::size_t) noexcept { std::free(block); }

}  // namespace lumeye
