#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>

class QWidget;

namespace lumeye::display {

// The pixel formats a display may take from memory as they lie: 15-bit
// (5-5-5) and 16-bit (5-6-5) words, low byte first, and 32-bit words of
// blue, green, red and an unused byte.
enum class PixelFormat { Rgb555, Rgb565, Bgrx32 };

// Rows of pixels in memory, top-down, in a surface's format.
struct PixelRows {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int32_t bytesPerLine = 0;
};

// Draws on a widget's own native window with the display's own requests,
// past Qt's backing store: a full-screen canvas or background then costs one
// screen-sized image, or none, instead of one more in the backing store.
// Areas are in the window's device pixels.
class WindowSurface {
public:
    virtual ~WindowSurface() = default;
    // Fills an area with one pixel value of the surface's format.
    virtual void fill(const QRegion& area, uint32_t pixel) = 0;
    // Sends the pixels of an area of the rows, their top-left pixel at `at`.
    virtual void put(const PixelRows& rows, const QRect& area, const QPoint& at) = 0;
};

// Whether the display the program runs on takes the format's pixels as they
// lie, so that windows are worth giving surfaces of their own.
bool displayStores(PixelFormat format);

// The surface of the widget's own window, when it has one and stores the
// format's pixels exactly; null otherwise, and the widget is to be drawn
// through Qt. Asks the display about the window: keep it for as long as the
// window lives.
std::unique_ptr<WindowSurface> surfaceOf(const QWidget& widget, PixelFormat format);

}  // namespace lumeye::display
