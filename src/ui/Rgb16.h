#pragma once

#include <cstdint>

// 16-bit pixels: one word, stored low byte first, whose channels are packed
// red highest, 5-5-5 (bit 15 clear) or 5-6-5.
namespace lumeye::ui::rgb16 {

inline unsigned wordAt(const uint8_t* row, int x) { return unsigned(row[2 * x]) | (unsigned(row[2 * x + 1]) << 8); }

inline void putWord(uint8_t* row, int x, unsigned word) {
    row[2 * x] = uint8_t(word & 255);
    row[2 * x + 1] = uint8_t((word >> 8) & 255);
}

// Channels already narrowed to 5 bits (6 for 5-6-5 green).
inline unsigned pack555(unsigned red, unsigned green, unsigned blue) { return (red << 10) | (green << 5) | blue; }
inline unsigned pack565(unsigned red, unsigned green, unsigned blue) { return (red << 11) | (green << 5) | blue; }

}  // namespace lumeye::ui::rgb16
