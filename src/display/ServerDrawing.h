#pragma once

#include "core/PixelLayout.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>

class QWidget;

namespace lumeye::display {

// Rows of pixels in memory, top-down.
struct PixelRows {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int32_t bytesPerLine = 0;
};

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
    // Has a widget paint on a window of its own, past Qt's backing store, for
    // the server to draw on (on), or be painted by Qt again (off).
    static void paintOnScreen(QWidget& widget, bool on);

    ServerDrawing();
    ServerDrawing(const ServerDrawing&) = delete;
    ServerDrawing& operator=(const ServerDrawing&) = delete;
    ~ServerDrawing();

    // Whether the widget's own window stores the layout's pixels exactly: when
    // not, the widget is to be drawn through Qt. The server is asked about a
    // window once; a window made anew is asked about again.
    bool begin(const QWidget& widget, PixelLayout layout);
    // After begin: fills an area with one pixel value of the layout, or sends
    // an area of the rows with their top-left pixel at `at`.
    void fill(const QRegion& area, uint32_t pixel);
    void put(const PixelRows& rows, const QRect& area, const QPoint& at);

    // Qt answers one expose of a window that paints on screen twice, as an
    // expose and as a paint event: whether all of an area was sent already in
    // this turn of the event loop; when not, it counts as sent from now on.
    bool sentThisTurn(const QRegion& area);
    // What was sent has been drawn over: the next area is sent in any case.
    void drawnOver() { sent_ = QRegion(); }

private:
    class Window;
    std::unique_ptr<Window> window_;
    QRegion sent_;
    // Where the record's end at the next turn is queued: gone with this object, so is the call.
    QObject turn_;
};

}  // namespace lumeye::display
