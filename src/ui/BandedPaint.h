#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>

class QPainter;

namespace lumeye::ui {

class DeviceBitmap;

// Shows an area of a device bitmap one to one on the painter's device, its
// top-left pixel at `origin` (logical pixels), pixelRatio bitmap pixels to a
// logical pixel. The area is decoded in bands of rows: a whole-screen image
// decoded at once would take megabytes of fresh memory for every repaint.
void paintInBands(QPainter& painter, const DeviceBitmap& image, const QRect& pixels, double pixelRatio,
                  const QPoint& origin);
// The same for pixels made band by band: `band` gives the opaque image of an
// area of `pixels`.
void paintInBands(QPainter& painter, const std::function<QImage(const QRect&)>& band, const QRect& pixels,
                  double pixelRatio, const QPoint& origin);

}  // namespace lumeye::ui
