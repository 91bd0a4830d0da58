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
    // Whether the program runs on an X server whose default screen stores
    // pixels as this layout stores them (the chart's own formats at 15, 16
    // and 24 bits): its root visual's depth, class and colour masks, the bits
    // per pixel and the byte order.
    static bool serverStores(PixelLayout layout);
    // The widget's window, when the widget has one of its own and its own
    // visual stores pixels exactly as the layout does; otherwise the widget
    // is to be drawn through Qt.
    static std::optional<X11Surface> of(const QWidget& widget, PixelLayout layout);

    X11Surface(const X11Surface&) = delete;
    X11Surface(X11Surface&& other) noexcept;
    ~X11Surface();

    void fill(const QRegion& area, QRgb colour);
    // Sends the bitmap's pixels in an area to the window, its top-left pixel at `at`.
    void put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at);

private:
    X11Surface(void* connection, uint32_t window, PixelLayout layout, int scanlinePad);

    void* connection_;
    uint32_t window_;
    uint32_t gc_;
    PixelLayout layout_;
    int scanlinePad_; // bits
};

}  // namespace lumeye::ui
