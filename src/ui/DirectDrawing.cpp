#include "ui/DirectDrawing.h"

#include <cstring>

namespace lumeye::ui {
namespace {
std::optional<display::PixelFormat> formatOf(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Bgrx32: return display::PixelFormat::Bgrx32;
    case PixelLayout::Rgb565: return display::PixelFormat::Rgb565;
    case PixelLayout::Rgb555: return display::PixelFormat::Rgb555;
    default: return std::nullopt;
    }
}
}  // namespace

bool DirectDrawing::possibleFor(PixelLayout layout) {
    const auto format = formatOf(layout);
    return format && display::displayStores(*format);
}

bool DirectDrawing::begin(const QWidget& widget, PixelLayout layout) {
    const WId window = widget.internalWinId();
    if (surface_ && window == window_ && layout == layout_) return true;
    const auto format = formatOf(layout);
    surface_ = format ? display::surfaceOf(widget, *format) : nullptr;
    window_ = window;
    layout_ = layout;
    return surface_ != nullptr;
}

void DirectDrawing::fill(const QRegion& area, QRgb colour) {
    DeviceBitmap one(1, 1, layout_);
    one.setPixel(0, 0, colour);
    uint32_t pixel = 0;
    std::memcpy(&pixel, one.bits(), size_t(one.bitsPixel() / 8));
    surface_->fill(area, pixel);
}

void DirectDrawing::put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at) {
    if (bitmap.layout() != layout_) return;
    surface_->put({bitmap.bits(), bitmap.width(), bitmap.height(), bitmap.widthBytes()}, area, at);
}

}  // namespace lumeye::ui
