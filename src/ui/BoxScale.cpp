#include "ui/BoxScale.h"

#include <QRectF>

#include <cmath>

namespace lumeye::ui {

int BoxScale::toPixelX(double units) const { return wholePixels(unitsToPixelsX(mode, units, pixelRatio)); }
int BoxScale::toPixelY(double units) const { return wholePixels(unitsToPixelsY(mode, units, pixelRatio)); }
double BoxScale::toUnitsX(double pixels) const { return pixelsToUnitsX(mode, pixels, pixelRatio); }
double BoxScale::toUnitsY(double pixels) const { return pixelsToUnitsY(mode, pixels, pixelRatio); }

QSize areaFor(const QSize& pixels, double pixelRatio) {
    return QSize(int(std::ceil(pixels.width() / pixelRatio)), int(std::ceil(pixels.height() / pixelRatio)));
}

QSize pixelsIn(const QSize& area, double pixelRatio, const std::optional<QSize>& exact) {
    if (pixelRatio == 1.0) return area;
    if (exact && areaFor(*exact, pixelRatio) == area) return *exact;
    return QSize(int(std::lround(area.width() * pixelRatio)), int(std::lround(area.height() * pixelRatio)));
}

QRegion devicePixelsOf(const QRegion& area, double pixelRatio) {
    QRegion pixels;
    for (const QRect& r : area)
        pixels += QRectF(QPointF(r.topLeft()) * pixelRatio, QSizeF(r.size()) * pixelRatio).toAlignedRect();
    return pixels;
}

}  // namespace lumeye::ui
