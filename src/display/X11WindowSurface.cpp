#include "display/X11WindowSurface.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace lumeye::display {
namespace {
xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// How the X server stores a format's pixels: a TrueColor visual of this
// depth and these colour masks, so many bits a pixel.
struct ServerFormat {
    uint8_t depth;
    uint32_t red, green, blue;
    uint8_t bitsPixel;
};
ServerFormat serverFormatOf(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bgrx32: return {24, 0xff0000, 0x00ff00, 0x0000ff, 32};
    case PixelFormat::Rgb565: return {16, 0xf800, 0x07e0, 0x001f, 16};
    case PixelFormat::Rgb555: return {15, 0x7c00, 0x03e0, 0x001f, 16};
    }
    return {};
}

const xcb_screen_t* screenWithRoot(xcb_connection_t* c, xcb_window_t root) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        if (it.data->root == root) return it.data;
    return nullptr;
}

// The connection's default screen (the display name's), where Qt opens its windows.
const xcb_screen_t* defaultScreen(xcb_connection_t* c) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    int number = x11 && x11->display() ? DefaultScreen(x11->display()) : 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it), --number)
        if (number == 0) return it.data;
    return nullptr;
}

// The scan-line pad, in bits, of a drawable whose visual stores the format's
// pixels exactly as the format does; nothing when any of depth, visual class,
// colour masks, bits per pixel or byte order differs.
std::optional<int> scanlinePad(xcb_connection_t* c, const xcb_screen_t* screen, xcb_visualid_t visual,
                               uint8_t depth, PixelFormat pixels) {
    const ServerFormat format = serverFormatOf(pixels);
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!screen || depth != format.depth || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return std::nullopt;
    bool trueColour = false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != depth) continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == visual)
                trueColour = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == format.red &&
                             v.data->green_mask == format.green && v.data->blue_mask == format.blue;
    }
    if (!trueColour) return std::nullopt;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth != depth) continue;
        const int pad = it.data->scanline_pad;
        if (it.data->bits_per_pixel != format.bitsPixel || pad < 8 || pad % 8 != 0) return std::nullopt;
        return pad;
    }
    return std::nullopt;
}

xcb_connection_t* asConnection(void* c) { return static_cast<xcb_connection_t*>(c); }
}  // namespace

bool X11WindowSurface::serverStores(PixelFormat format) {
    xcb_connection_t* c = connection();
    const xcb_screen_t* screen = c ? defaultScreen(c) : nullptr;
    return screen && scanlinePad(c, screen, screen->root_visual, screen->root_depth, format);
}

std::unique_ptr<X11WindowSurface> X11WindowSurface::of(const QWidget& widget, PixelFormat format) {
    xcb_connection_t* c = connection();
    if (!c || !widget.internalWinId()) return nullptr;
    const auto window = static_cast<xcb_window_t>(widget.internalWinId());
    // The window's own visual and depth: Qt may have made it with others than the screen's.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    std::optional<int> pad;
    if (attributes && geometry)
        pad = scanlinePad(c, screenWithRoot(c, geometry->root), attributes->visual, geometry->depth, format);
    std::free(attributes);
    std::free(geometry);
    if (!pad) return nullptr;
    return std::make_unique<X11WindowSurface>(c, window, format, *pad);
}

X11WindowSurface::X11WindowSurface(void* connection, uint32_t window, PixelFormat format, int scanlinePad)
    : connection_(connection), window_(window), gc_(xcb_generate_id(asConnection(connection))), format_(format),
      scanlinePad_(scanlinePad) {
    xcb_create_gc(asConnection(connection_), gc_, window_, 0, nullptr);
}

X11WindowSurface::~X11WindowSurface() {
    xcb_free_gc(asConnection(connection_), gc_);
    xcb_flush(asConnection(connection_));
}

void X11WindowSurface::fill(const QRegion& area, uint32_t pixel) {
    if (area.isEmpty()) return;
    xcb_change_gc(asConnection(connection_), gc_, XCB_GC_FOREGROUND, &pixel);
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : area)
        rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    xcb_poly_fill_rectangle(asConnection(connection_), window_, gc_, uint32_t(rects.size()), rects.data());
}

void X11WindowSurface::put(const PixelRows& rows, const QRect& area, const QPoint& at) {
    const QRect pixels = area.intersected(QRect(0, 0, rows.width, rows.height));
    if (pixels.isEmpty()) return;
    xcb_connection_t* c = asConnection(connection_);
    const ServerFormat format = serverFormatOf(format_);
    const int bytesPerPixel = format.bitsPixel / 8;
    const auto scanLine = [&rows](int y) { return rows.bits + size_t(y) * size_t(rows.bytesPerLine); };
    // The server's rows are padded to its scan-line pad; the rows go as they
    // lie where they already are, other areas are packed a band at a time.
    const size_t rowBytes = size_t(pixels.width()) * bytesPerPixel;
    const size_t padBytes = size_t(scanlinePad_ / 8);
    const size_t paddedRow = (rowBytes + padBytes - 1) / padBytes * padBytes;
    const bool asTheyLie = pixels.left() == 0 && pixels.width() == rows.width &&
                           size_t(rows.bytesPerLine) == paddedRow;
    const size_t maxRequest = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    const int bandRows = int(std::max<size_t>(1, maxRequest / paddedRow));
    std::vector<uint8_t> band;
    for (int top = pixels.top(); top <= pixels.bottom(); top += bandRows) {
        const int count = std::min(bandRows, pixels.bottom() + 1 - top);
        const uint8_t* data = scanLine(top);
        if (!asTheyLie) {
            band.assign(paddedRow * size_t(count), 0);
            for (int y = 0; y < count; ++y)
                std::memcpy(band.data() + paddedRow * size_t(y),
                            scanLine(top + y) + size_t(pixels.left()) * bytesPerPixel, rowBytes);
            data = band.data();
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(pixels.width()), uint16_t(count),
                      int16_t(at.x() + pixels.left()), int16_t(at.y() + top), 0, format.depth,
                      uint32_t(paddedRow * size_t(count)), data);
    }
}

}  // namespace lumeye::display
