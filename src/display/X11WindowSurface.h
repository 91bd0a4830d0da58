#pragma once

#include "display/WindowSurface.h"

#include <memory>

namespace lumeye::display {

// A window of the X server, drawn with its PutImage and PolyFillRectangle
// requests through Qt's own connection.
class X11WindowSurface final : public WindowSurface {
public:
    // Whether the program runs on an X server whose default screen stores
    // pixels as the format does: its root visual's depth, class and colour
    // masks, the bits per pixel and the byte order.
    static bool serverStores(PixelFormat format);
    // The widget's window, when the program runs on an X server and the
    // window's own visual stores the format's pixels exactly.
    static std::unique_ptr<X11WindowSurface> of(const QWidget& widget, PixelFormat format);

    X11WindowSurface(void* connection, uint32_t window, PixelFormat format, int scanlinePad);
    X11WindowSurface(const X11WindowSurface&) = delete;
    X11WindowSurface& operator=(const X11WindowSurface&) = delete;
    ~X11WindowSurface() override;

    void fill(const QRegion& area, uint32_t pixel) override;
    void put(const PixelRows& rows, const QRect& area, const QPoint& at) override;

private:
    void* connection_;
    uint32_t window_;
    uint32_t gc_;
    PixelFormat format_;
    int scanlinePad_; // bits
};

}  // namespace lumeye::display
