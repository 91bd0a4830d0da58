#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// What every fuzzer needs: reading values from the input bytes, and a check
// that ends the run with a message when something that must hold does not.
namespace lumeye::fuzz {

// Values taken from the front of the input; an exhausted input gives zeros.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return used_ >= size_; }

    uint8_t byte() { return empty() ? 0 : data_[used_++]; }

    template <class Int>
    Int integer() {
        uint64_t value = 0;
        for (size_t i = 0; i < sizeof(Int); ++i) value = (value << 8) | byte();
        return static_cast<Int>(value);
    }

    // A value in [low, high].
    int64_t inRange(int64_t low, int64_t high) {
        const uint64_t span = static_cast<uint64_t>(high - low) + 1;
        return low + static_cast<int64_t>(integer<uint32_t>() % span);
    }

    // Up to `count` further bytes.
    std::string_view bytes(size_t count) {
        const size_t n = std::min(count, size_ - used_);
        const std::string_view out(reinterpret_cast<const char*>(data_) + used_, n);
        used_ += n;
        return out;
    }
    std::string_view rest() { return bytes(size_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

[[noreturn]] inline void failed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

}  // namespace lumeye::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::lumeye::fuzz::failed(#condition, __FILE__, __LINE__))
