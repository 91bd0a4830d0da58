#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumeye {

// One pixel as the pixel helpers exchange it: three bytes, blue first. The
// values are in the display's own ranges (see DDBHelper.h).
struct PixelTriple {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    friend bool operator==(const PixelTriple&, const PixelTriple&) = default;
};
static_assert(sizeof(PixelTriple) == 3 && alignof(PixelTriple) == 1, "pixel triples are packed, rows are runs of 3 bytes");

// A two-dimensional array of pixels indexed (x, y), both from 0, x fastest:
// element (x, y) lies 3·(x + y·width) bytes from the start, so each row is
// one contiguous run of 3·width bytes.
class PixelArray {
public:
    PixelArray() = default;
    PixelArray(int width, int height) { redim(width, height); }

    // New dimensions; old contents are discarded and every pixel is 0.
    void redim(int width, int height) {
        width_ = width > 0 ? width : 0;
        height_ = height > 0 ? height : 0;
        bytes_.clear();
        bytes_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * sizeof(PixelTriple));
    }

    int width() const { return width_; }
    int height() const { return height_; }
    // Upper bounds of the two indexes (-1 when empty).
    int upperBoundX() const { return width_ - 1; }
    int upperBoundY() const { return height_ - 1; }

    PixelTriple& operator()(int x, int y) { return pixels()[index(x, y)]; }
    const PixelTriple& operator()(int x, int y) const { return pixels()[index(x, y)]; }
    PixelTriple* row(int y) { return pixels() + index(0, y); }
    const PixelTriple* row(int y) const { return pixels() + index(0, y); }

    friend bool operator==(const PixelArray&, const PixelArray&) = default;

private:
    size_t index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }
    // The triples are kept as plain bytes: a byte vector grows cleared in one
    // block, where a vector of triples would clear them one by one, and
    // re-dimensioning is most of the cost of reading a small picture.
    PixelTriple* pixels() { return reinterpret_cast<PixelTriple*>(bytes_.data()); }
    const PixelTriple* pixels() const { return reinterpret_cast<const PixelTriple*>(bytes_.data()); }

    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> bytes_;
};

}  // namespace lumeye
