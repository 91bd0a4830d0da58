#pragma once

#include <QRect>

#include <optional>

namespace lumeye::ui {

inline constexpr double kTwipsPerInch = 1440.0;

// What the program needs to know about the primary screen.
struct ScreenInfo {
    QRect geometry;          // whole screen, logical pixels
    QRect availableGeometry; // work area: screen less panels, logical pixels
    double logicalDpiX = 96.0;
    double logicalDpiY = 96.0;
    int depth = 24;                // bits per pixel the display reports
    // Bits a pixel takes in memory, when it differs from what depth implies
    // (0: 15 and 16 take 16, 24 takes 32, as on X); 24 gives packed 3-byte pixels.
    int bitsPerPixel = 0;
    double devicePixelRatio = 1.0; // device pixels per logical pixel
};

// The screen object: sizes in layout units (1/1440 inch), layout units per
// pixel, the client area of a full-screen window and the mouse pointer.
class Screen {
public:
    static ScreenInfo info();
    // Tests substitute a screen of any size, depth and dots per inch.
    static void setOverride(std::optional<ScreenInfo> screen);

    static double TwipsPerPixelX();
    static double TwipsPerPixelY();
    static double Width();  // layout units
    static double Height(); // layout units

    // Client area of a maximised top-level window on the primary screen:
    // the work area less a window title bar.
    static int FullScreenClientWidth();
    static int FullScreenClientHeight();

    // Mouse pointer shapes by number: 0 default, 11 hourglass.
    static constexpr int PointerDefault = 0;
    static constexpr int PointerHourglass = 11;
    static int MousePointer();
    static void setMousePointer(int pointer);
};

double twipsToPixelsX(double twips);
double twipsToPixelsY(double twips);
double pixelsToTwipsX(double pixels);
double pixelsToTwipsY(double pixels);

}  // namespace lumeye::ui
