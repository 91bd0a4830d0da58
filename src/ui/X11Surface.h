#pragma once

#include "ui/DeviceBitmap.h"

#include <QRegion>

#include <cstdint>
#include <optional>

class QWidget;

namespace lumeye::ui {

// Draws on a widget's own X window with the X server's requests, with no copy
// in Qt's backing store: a full-screen canvas or background then costs one
// screen-sized image, or none, instead of one more in the backing store.
// Areas are in the window's device pixels.
class X11Surface {
public:
    // Whether the program runs on an X server whose pixels are stored as
    // this layout stores them (the chart's own formats at 15, 16 and 24 bits).
    static bool serverStores(PixelLayout layout);
    // The widget's window, when the widget has one of its own and the server
    // stores pixels as the layout does.
    static std::optional<X11Surface> of(const QWidget& widget, PixelLayout layout);

    X11Surface(const X11Surface&) = delete;
    X11Surface(X11Surface&& other) noexcept;
    ~X11Surface();

    void fill(const QRegion& area, QRgb colour);
    // Sends the bitmap's pixels in an area to the window, its top-left pixel at `at`.
    void put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at);

private:
    X11Surface(void* connection, uint32_t window, PixelLayout layout);

    void* connection_;
    uint32_t window_;
    uint32_t gc_;
    PixelLayout layout_;
};

}  // namespace lumeye::ui
