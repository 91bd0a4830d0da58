#include "ui/X11Surface.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace lumeye::ui {
namespace {
xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The depth of the X visual whose pixels a layout stores as the server does.
int depthOf(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Bgrx32: return 24;
    case PixelLayout::Rgb565: return 16;
    case PixelLayout::Rgb555: return 15;
    default: return 0;
    }
}

bool stores(xcb_connection_t* c, PixelLayout layout) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int depth = depthOf(layout);
    if (depth == 0 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    if (xcb_setup_roots_iterator(setup).data->root_depth != depth) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel == bitsPixelOf(layout);
    return false;
}

xcb_connection_t* asConnection(void* c) { return static_cast<xcb_connection_t*>(c); }
}  // namespace

bool X11Surface::serverStores(PixelLayout layout) {
    xcb_connection_t* c = connection();
    return c && stores(c, layout);
}

std::optional<X11Surface> X11Surface::of(const QWidget& widget, PixelLayout layout) {
    xcb_connection_t* c = connection();
    if (!c || !widget.internalWinId() || !stores(c, layout)) return std::nullopt;
    return X11Surface(c, static_cast<uint32_t>(widget.internalWinId()), layout);
}

X11Surface::X11Surface(void* connection, uint32_t window, PixelLayout layout)
    : connection_(connection), window_(window), gc_(xcb_generate_id(asConnection(connection))), layout_(layout) {
    xcb_create_gc(asConnection(connection_), gc_, window_, 0, nullptr);
}

X11Surface::X11Surface(X11Surface&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)), window_(other.window_), gc_(other.gc_),
      layout_(other.layout_) {}

X11Surface::~X11Surface() {
    if (!connection_) return;
    xcb_free_gc(asConnection(connection_), gc_);
    xcb_flush(asConnection(connection_));
}

void X11Surface::fill(const QRegion& area, QRgb colour) {
    if (area.isEmpty()) return;
    DeviceBitmap one(1, 1, layout_);
    one.setPixel(0, 0, colour);
    uint32_t pixel = 0;
    std::memcpy(&pixel, one.bits(), size_t(one.bitsPixel() / 8));
    xcb_change_gc(asConnection(connection_), gc_, XCB_GC_FOREGROUND, &pixel);
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : area)
        rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    xcb_poly_fill_rectangle(asConnection(connection_), window_, gc_, uint32_t(rects.size()), rects.data());
}

void X11Surface::put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at) {
    const QRect pixels = area.intersected(QRect(0, 0, bitmap.width(), bitmap.height()));
    if (pixels.isEmpty() || bitmap.layout() != layout_) return;
    xcb_connection_t* c = asConnection(connection_);
    const int bytesPerPixel = bitmap.bitsPixel() / 8;
    // The server's rows are padded to 4 bytes; the bitmap's rows go as they
    // lie where they already are, other areas are packed a band at a time.
    const size_t rowBytes = size_t(pixels.width()) * bytesPerPixel;
    const size_t paddedRow = (rowBytes + 3) & ~size_t(3);
    const bool asTheyLie = pixels.left() == 0 && pixels.width() == bitmap.width() &&
                           size_t(bitmap.widthBytes()) == paddedRow;
    const size_t maxRequest = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    const int bandRows = int(std::max<size_t>(1, maxRequest / paddedRow));
    std::vector<uint8_t> band;
    for (int top = pixels.top(); top <= pixels.bottom(); top += bandRows) {
        const int rows = std::min(bandRows, pixels.bottom() + 1 - top);
        const uint8_t* data = bitmap.scanLine(top);
        if (!asTheyLie) {
            band.assign(paddedRow * size_t(rows), 0);
            for (int y = 0; y < rows; ++y)
                std::memcpy(band.data() + paddedRow * size_t(y),
                            bitmap.scanLine(top + y) + size_t(pixels.left()) * bytesPerPixel, rowBytes);
            data = band.data();
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(pixels.width()), uint16_t(rows),
                      int16_t(at.x() + pixels.left()), int16_t(at.y() + top), 0, uint8_t(depthOf(layout_)),
                      uint32_t(paddedRow * size_t(rows)), data);
    }
}

}  // namespace lumeye::ui
