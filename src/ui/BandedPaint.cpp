#include "ui/BandedPaint.h"

#include "ui/DeviceBitmap.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumeye::ui {
namespace {
// Pixels decoded at a time.
constexpr int kPaintBandPixels = 1 << 16;

// The fewest rows of bitmap pixels that span a whole number of logical
// pixels (5 at 1.25, 3 at 1.5); 0 where no few rows do.
int wholeRowsOf(double pixelRatio) {
    for (int logical = 1; logical <= 8; ++logical) {
        const double rows = logical * pixelRatio;
        if (std::abs(rows - std::round(rows)) < 1e-9) return static_cast<int>(std::round(rows));
    }
    return 0;
}
}  // namespace

void paintInBands(QPainter& painter, const DeviceBitmap& image, const QRect& pixels, double pixelRatio,
                  const QPoint& origin) {
    paintInBands(painter, [&image](const QRect& strip) { return image.toImage(strip); }, pixels, pixelRatio, origin);
}

void paintInBands(QPainter& painter, const std::function<QImage(const QRect&)>& band, const QRect& pixels,
                  double pixelRatio, const QPoint& origin) {
    // Bands start on whole logical pixels, so they land exactly where the
    // undivided image would; a ratio that never meets one paints the area
    // at once.
    const int step = wholeRowsOf(pixelRatio);
    const int rows = kPaintBandPixels / std::max(1, pixels.width());
    const int height = step > 0 ? std::max(step, rows / step * step) : pixels.height();
    // The first band ends on a whole logical pixel too.
    int top = pixels.top();
    while (top <= pixels.bottom()) {
        int next = top + height;
        if (step > 0) next -= next % step;
        if (next <= top) next = top + step;
        const QRect strip(pixels.left(), top, pixels.width(), std::min(next, pixels.bottom() + 1) - top);
        QImage part = band(strip);
        part.setDevicePixelRatio(pixelRatio);
        painter.drawImage(QPointF(strip.topLeft()) / pixelRatio + QPointF(origin), part);
        top = strip.bottom() + 1;
    }
}

}  // namespace lumeye::ui
