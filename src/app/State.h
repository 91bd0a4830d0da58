#pragma once

#include <array>
#include <cstdint>
#include <string>

// Process-wide state of the application shell, one instance each for the run.
namespace lumeye::app {

inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

struct ScreenSettings {
    int16_t ScreenWidthMM = 0;
    int16_t ScreenHeightMM = 0;
    int16_t ScreenSizeKnown = kFalse;
    std::string DataPath; // folder of screen.dat, ending in '/'
};

struct SizeTable {
    std::array<double, 10> LetterSizes{}; // millimetres, entries 1 to 9 (0 unused)
    float FullScreenX = 0;
    float FullScreenY = 0;
    double PixelsPerMMX = 0;
    double PixelsPerMMY = 0;
};

// Design screen and display metrics shared by the forms that rescale themselves.
struct DisplayMetrics {
    int16_t DesignWidth = 0;
    int16_t DesignHeight = 0;
    int16_t ResizeForm = kFalse;
    int16_t UnitsPerPixelX = 0;
    int16_t UnitsPerPixelY = 0;
    int16_t ScreenPixelsX = 0;
    int16_t ScreenPixelsY = 0;
};

ScreenSettings& screenSettings();
SizeTable& sizeTable();
DisplayMetrics& displayMetrics();

// Back to the state at program start (tests).
void resetState();

}  // namespace lumeye::app
