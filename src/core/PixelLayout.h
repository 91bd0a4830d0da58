#pragma once

namespace lumeye {

// How one pixel of the display is stored in memory.
enum class PixelLayout {
    Mono1,    // 1 bit, most significant bit first: 0 black, 1 white
    Vga4,     // 4 bits, high nibble first: the 16 standard colours
    Indexed8, // 1 byte: an index into the system palette
    Rgb555,   // 16-bit word, low byte first: bit 15 clear, red 10-14, green 5-9, blue 0-4
    Rgb565,   // 16-bit word, low byte first: red 11-15, green 5-10, blue 0-4
    Bgr24,    // 3 bytes: blue, green, red
    Bgrx32,   // 4 bytes: blue, green, red, unused
};

constexpr int bitsPixelOf(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Mono1: return 1;
    case PixelLayout::Vga4: return 4;
    case PixelLayout::Indexed8: return 8;
    case PixelLayout::Rgb555:
    case PixelLayout::Rgb565: return 16;
    case PixelLayout::Bgr24: return 24;
    case PixelLayout::Bgrx32: return 32;
    }
    return 0;
}

}  // namespace lumeye
