#pragma once

#include "core/PixelLayout.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>

class QWidget;

namespace lumeye::ui {

class DeviceBitmap;

// A widget drawn by the X server on its own native window, with the server's
// requests through Qt's connection and past Qt's backing store: a full-screen
// canvas or background then costs one screen-sized image, or none, instead of
// one more in the backing store. Elsewhere (Wayland, the offscreen platform)
// Qt draws every window. Areas are in the window's device pixels.
class ServerDrawing {
public:
    // Whether the program runs on an X server whose default screen stores
    // pixels as the layout does: its root visual's depth, class and colour
    // masks, the bits per pixel and the byte order.
    static bool possible(PixelLayout layout);

    ServerDrawing();
    ServerDrawing(const ServerDrawing&) = delete;
    ServerDrawing& operator=(const ServerDrawing&) = delete;
    ~ServerDrawing();

    // Watches the widget's own window from its making, for what the server
    // exposes on it (see toDraw).
    void watch(const QWidget& widget);
    // Whether the widget's own window stores the layout's pixels exactly: when
    // not, the widget is to be drawn through Qt. The server is asked about a
    // window once; a window made anew is asked about again, and nothing drawn
    // on the one before counts for it.
    bool begin(const QWidget& widget, PixelLayout layout);

    // After begin, for a paint event's area: what is still to be drawn. A
    // paint for the widget's own update draws all of it. One for an expose
    // leaves out the pixels drawn since the server last exposed the window. Qt
    // paints a window when it learns that it is mapped, and again for the
    // server's expose, which comes once the window can be seen (under a
    // window manager, once its frame is mapped): a window watched from its
    // making is drawn for the server's alone, another only where it can be
    // seen, so that a screen-sized area is not sent twice.
    QRegion toDraw(const QRegion& area, bool forUpdate);

    // After begin: fills an area with one pixel value of the layout, or sends
    // an area of a bitmap of the layout with its top-left pixel at `at`.
    void fill(const QRegion& area, uint32_t pixel);
    void put(const DeviceBitmap& pixels, const QRect& area, const QPoint& at);

private:
    class Window;
    std::unique_ptr<Window> window_;
};

}  // namespace lumeye::ui
