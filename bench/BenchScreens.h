#pragma once

// Screens the benchmarks run on: a substituted display of a given size and
// depth, and the screen settings a user of such a display would have entered.
#include "GuiTest.h"

#include <cstdint>

namespace lumeye::bench {

inline void useDisplay(int width, int height, int depth = 24, int bitsPerPixel = 0) {
    testing::useScreen({.width = width, .height = height, .depth = depth, .bitsPerPixel = bitsPerPixel});
}

// A 520 x 293 mm screen (23.6 inches): at 3840 x 2160 its largest letters are
// more than 299 pixels and are enlarged.
inline constexpr int16_t kScreenWidthMM = 520;
inline constexpr int16_t kScreenHeightMM = 293;

inline void knownScreen(int fullX, int fullY) { testing::knownScreen(kScreenWidthMM, kScreenHeightMM, fullX, fullY); }

}  // namespace lumeye::bench
