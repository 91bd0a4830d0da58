#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QScreen;
class QWidget;

namespace lumeye::ui {

inline constexpr double kTwipsPerInch = 1440.0;

// What the program needs to know about its screen.
struct ScreenInfo {
    QRect geometry;          // whole screen, logical pixels
    QRect availableGeometry; // work area: screen less panels, logical pixels
    double logicalDpiX = 96.0;
    double logicalDpiY = 96.0;
    int depth = 24;                // bits per pixel the display reports
    // Bits a pixel takes in memory, when it differs from what depth implies
    // (0: 15 and 16 take 16, 24 takes 32, as on X); 24 gives packed 3-byte pixels.
    int bitsPerPixel = 0;
    // Device pixels per logical pixel of a substituted screen's windows (a
    // real one's are its windows' own: Screen::pixelRatioOf).
    double devicePixelRatio = 1.0;
};

// The screen object: sizes in layout units (1/1440 inch), layout units per
// pixel, the client area of a full-screen window and the mouse pointer, all
// of the program's screen: the primary screen until setProgramScreen names
// another.
class Screen {
public:
    static ScreenInfo info();
    // Tests substitute a screen of any size, depth and dots per inch.
    static void setOverride(std::optional<ScreenInfo> screen);

    // The screen that holds a point on the desktop, of those the program
    // still has; nullptr on none. (Qt 6.8's QGuiApplication::screenAt still
    // finds a screen just removed, through the remaining ones' siblings.)
    static QScreen* at(const QPoint& point);
    // The screen that shows a window: the one that holds its centre. Where
    // windows do not know their place on the desktop (Wayland), the one Qt
    // reports: the first output the window entered of those it is still on.
    static QScreen* showing(const QWidget& window);
    // Makes a screen the program's screen (nullptr: the primary one again).
    static void setProgramScreen(QScreen* screen);
    // Calls `changed`, while `receiver` lives, when the program's screen goes
    // away or changes its size, place or resolution.
    static void watchProgramScreen(QObject* receiver, const std::function<void()>& changed);
    // Puts a top-level window at the top left-hand corner of the program's
    // screen, so that it is shown there, full screen too.
    static void moveToScreen(QWidget* window);
    // Device pixels per logical pixel of a top-level window, as its contents
    // are painted: its own window's, which Qt 6.5 and later take from the
    // platform's window and may differ from its screen's (Qt's offscreen
    // platform keeps windows at 1 on a screen of 2, Wayland's fractional
    // scales). Makes the window's native window to ask it.
    static double pixelRatioOf(QWidget& window);

    static double TwipsPerPixelX();
    static double TwipsPerPixelY();
    static double Width();  // layout units
    static double Height(); // layout units
    // The screen's top left-hand corner on the desktop, in layout units: where
    // windows placed on it start from.
    static double Left();
    static double Top();

    // Client area of a maximised top-level window on the program's screen:
    // the work area less a window title bar.
    static int FullScreenClientWidth();
    static int FullScreenClientHeight();

    // Mouse pointer shapes by number: 0 default, 11 hourglass.
    static constexpr int PointerDefault = 0;
    static constexpr int PointerHourglass = 11;
    static int MousePointer();
    static void setMousePointer(int pointer);
};

// Qt draws on no display of fewer bits per pixel (an 8-bit palette X server
// makes it crash while painting the first window).
inline constexpr int kLeastDrawableDepth = 15;

// Whether the program runs as a Wayland client, where it neither knows nor
// chooses where its windows are.
bool runsOnWayland();

// Why the program cannot show windows on the displays Qt reports (the first
// whose depth is below kLeastDrawableDepth), or nothing when it can. Asked
// before any window is made; the screen a test substitutes does not count.
std::optional<QString> undrawableDisplay();

double twipsToPixelsX(double twips);
double twipsToPixelsY(double twips);
double pixelsToTwipsX(double pixels);
double pixelsToTwipsY(double pixels);

}  // namespace lumeye::ui
