#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace lumeye {

// Memory that arrives filled with zeros, for pixel buffers of up to a whole
// screen: ordinary private memory, zeroed by the system where its pages are
// fresh rather than by a pass over them (see ZeroedMemory.cpp).
void* allocateZeroed(std::size_t bytes);
void freeZeroed(void* block, std::size_t bytes) noexcept;

// A vector allocator over that memory, for vectors sized once when made:
// elements made without a value are left as they arrive, that is zero (a
// vector that shrinks and grows again would find its old bytes instead).
template <class T>
struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) { return static_cast<T*>(allocateZeroed(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freeZeroed(p, n * sizeof(T)); }

    template <class U>
    void construct(U*) noexcept {}
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <class U>
    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator<U>&) noexcept {
        return true;
    }
};

}  // namespace lumeye
