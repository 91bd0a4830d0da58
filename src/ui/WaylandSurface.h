#pragma once

#include "ui/DeviceBitmap.h"

#include <QImage>
#include <QRegion>

class QWidget;
struct wl_buffer;
struct wl_subsurface;
struct wl_surface;
struct wp_viewport;

namespace lumeye::ui {

// Shows a bitmap as the whole of a window's Wayland surface, straight from
// the bitmap's own shared memory: the compositor reads the pixels where they
// lie, and the window needs no buffer of Qt's. Areas are in the bitmap's
// pixels, which are the window's device pixels.
//
// The bitmap stays the surface's buffer while it is drawn on, as a window the
// X server draws on directly: a frame the compositor makes while a letter is
// being written may show that letter half drawn, until the damage that
// follows it is committed.
class WaylandSurface {
public:
    // Whether the program is a Wayland client whose compositor takes the
    // layout's pixels from shared memory.
    static bool compositorStores(PixelLayout layout);

    WaylandSurface() = default;
    WaylandSurface(const WaylandSurface&) = delete;
    WaylandSurface& operator=(const WaylandSurface&) = delete;
    ~WaylandSurface();

    // Attaches the bitmap to the window's surface, marks the area as changed
    // and commits. False when the bitmap cannot be shown so (another layout,
    // memory the compositor cannot read, not the window's size, a scale
    // that is not whole): the window is then to be drawn through Qt.
    bool show(const QWidget& window, const DeviceBitmap& bitmap, const QRegion& area);

private:
    void release();

    wl_buffer* buffer_ = nullptr;
    // What the buffer was made over.
    const void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Shows a window's surface as one colour with a picture on part of it, at the
// cost of one pixel and the picture: the compositor stretches a one-pixel
// buffer over the window (wp_viewporter) and shows the picture on a surface
// of its own above it (a subsurface that takes no input).
class WaylandFill {
public:
    // Whether the program is a Wayland client whose compositor can do so.
    static bool compositorScales();

    WaylandFill() = default;
    WaylandFill(const WaylandFill&) = delete;
    WaylandFill& operator=(const WaylandFill&) = delete;
    ~WaylandFill();

    // The whole scale of the window's buffers (its device pixels to the
    // compositor's coordinates); 0 where the window cannot be shown so.
    static int bufferScale(const QWidget& window);

    // Fills the window with the colour and shows the picture at a place in
    // the window, both in the window's device pixels and on the grid of its
    // buffer scale. False when it cannot be shown so: the window is then to
    // be drawn through Qt.
    bool show(const QWidget& window, QRgb colour, const QImage& picture, QPoint at);
    // The window was hidden, which ends its surface: the next show starts afresh.
    void release();

private:
    wl_surface* window_ = nullptr;  // the window's surface the objects below belong to
    wp_viewport* viewport_ = nullptr;
    wl_buffer* colour_ = nullptr;
    QRgb colourValue_ = 0;
    wl_surface* pictureSurface_ = nullptr;
    wl_subsurface* subsurface_ = nullptr;
    wl_buffer* picture_ = nullptr;
    qint64 pictureKey_ = 0;  // what it was copied from
};

}  // namespace lumeye::ui
