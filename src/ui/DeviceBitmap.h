#pragma once

#include "core/PixelLayout.h"
#include "core/ZeroedMemory.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

namespace lumeye::ui {

struct ScreenInfo;

using lumeye::bitsPixelOf;
using lumeye::PixelLayout;

// Bytes per row: the row's bits padded to an even number of bytes.
int32_t widthBytesOf(PixelLayout layout, int32_t width);
// The layout of a display from its depth, and its bits per pixel where given:
// 1 mono, 2-4 the 16 colours, 5-8 palette indexes, 15 and 16 5-5-5 and 5-6-5
// words, 24 packed only when the screen says 24 bits per pixel, else 32.
PixelLayout layoutForDisplay(const ScreenInfo& screen);
// The value a layout stores for a colour: the nearest colour it holds.
uint32_t pixelValueOf(PixelLayout layout, QRgb colour);

// The record that describes a bitmap: 24 bytes, as the pixel helpers read it.
struct BITMAP {
    int32_t bmType = 0;
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;
    int16_t bmPlanes = 1;
    int16_t bmBitsPixel = 0;
    int32_t bmBits = 0; // the bits are reached through GetBitmapBits only
};
static_assert(sizeof(BITMAP) == 24);

// A bitmap in the display's own pixel format (a device-dependent bitmap):
// rows top-down, each widthBytes() long. Colours go in and out as QRgb; on an
// 8-bit layout they are found in and looked up from the system palette.
class DeviceBitmap {
public:
    DeviceBitmap() = default;
    // All pixels 0 (black in every layout).
    DeviceBitmap(int width, int height, PixelLayout layout);

    int width() const { return width_; }
    int height() const { return height_; }
    PixelLayout layout() const { return layout_; }
    int bitsPixel() const { return bitsPixelOf(layout_); }
    int32_t widthBytes() const { return widthBytes_; }
    bool isNull() const { return width_ == 0 || height_ == 0; }

    const uint8_t* bits() const { return bits_.data(); }
    uint8_t* bits() { return bits_.data(); }
    int64_t byteCount() const { return static_cast<int64_t>(bits_.size()); }
    const uint8_t* scanLine(int y) const { return bits_.data() + static_cast<int64_t>(y) * widthBytes_; }
    uint8_t* scanLine(int y) { return bits_.data() + static_cast<int64_t>(y) * widthBytes_; }

    // The colour shown for a stored pixel, and storing a colour (the nearest
    // the layout holds). Coordinates must lie inside the bitmap.
    QRgb pixel(int x, int y) const;
    void setPixel(int x, int y, QRgb colour);
    // Stores one colour in every pixel, or in those of an area (clipped);
    // padding bytes are left as they are.
    void fill(QRgb colour);
    void fillRect(const QRect& area, QRgb colour);

    // Decodes an area (clipped to the bitmap) into an opaque 32-bit image.
    QImage toImage(const QRect& area) const;
    QImage toImage() const { return toImage(QRect(0, 0, width_, height_)); }
    // Encodes an image (any format) with its top-left at a point, clipped to
    // the bitmap, pixel for pixel; alpha is ignored.
    void drawImage(const QPoint& at, const QImage& image);
    // Copies a bitmap with its top-left at a point, clipped, pixel for pixel:
    // rows as they are stored where both have one layout of whole bytes.
    void drawBitmap(const QPoint& at, const DeviceBitmap& bitmap);

    // The same picture at another size or layout: the overlap is kept, the
    // rest filled with a colour.
    DeviceBitmap resized(int width, int height, PixelLayout layout, QRgb fill) const;

    friend bool operator==(const DeviceBitmap&, const DeviceBitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    PixelLayout layout_ = PixelLayout::Bgrx32;
    int32_t widthBytes_ = 0;
    std::vector<uint8_t, ZeroedAllocator<uint8_t>> bits_;
};

// The calls the pixel helpers make on a bitmap. The count is in bytes; bits
// move in the bitmap's own row layout, top row first, and as many as both the
// count and the bitmap allow. They return the number of bytes moved.
int32_t GetObject(const DeviceBitmap& bitmap, BITMAP& record);
int32_t GetBitmapBits(const DeviceBitmap& bitmap, int32_t count, void* buffer);
int32_t SetBitmapBits(DeviceBitmap& bitmap, int32_t count, const void* buffer);

}  // namespace lumeye::ui
