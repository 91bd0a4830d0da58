#include "ui/BandedPaint.h"

#include "ui/DeviceBitmap.h"

#include <QPainter>

#include <algorithm>

namespace lumeye::ui {
namespace {
// Pixels decoded at a time.
constexpr int kPaintBandPixels = 1 << 16;
}  // namespace

void paintInBands(QPainter& painter, const DeviceBitmap& image, const QRect& pixels, double pixelRatio,
                  const QPoint& origin) {
    // Bands start on whole logical pixels, so at a whole-number ratio they
    // land exactly where the undivided image would; any other ratio paints
    // the area at once.
    const int ratio = static_cast<int>(pixelRatio);
    const int rows = kPaintBandPixels / std::max(1, pixels.width());
    const int band = ratio == pixelRatio ? std::max(ratio, rows / ratio * ratio) : pixels.height();
    for (int top = pixels.top(); top <= pixels.bottom(); top += band) {
        const QRect strip(pixels.left(), top, pixels.width(), std::min(band, pixels.bottom() + 1 - top));
        QImage part = image.toImage(strip);
        part.setDevicePixelRatio(pixelRatio);
        painter.drawImage(QPointF(strip.topLeft()) / pixelRatio + QPointF(origin), part);
    }
}

}  // namespace lumeye::ui
