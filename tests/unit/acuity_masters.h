#pragma once

// Reading the master picture files of resources/masters in tests, without the
// toolkit: a 1-bit Windows bitmap as a grid of palette indexes.
#include "bitmap/PixelArray.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace acuity_test {

struct OneBitBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::array<uint32_t, 2> palette{};  // 0x00RRGGBB
    std::vector<uint8_t> index;        // row-major, row 0 at the top
    int at(int column, int row) const { return index[static_cast<size_t>(row) * width + column]; }
};

// Throws std::runtime_error on anything but an uncompressed 1-bit bitmap.
OneBitBitmap readOneBitBitmap(const std::string& path);
std::string masterPath(int direction);

// The master as the pixel helpers would deliver it on a display with 8 bits
// per channel: palette colours as Blue, Green, Red.
lumeye::PixelArray masterPixels(int direction);

}  // namespace acuity_test
