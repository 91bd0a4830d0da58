#pragma once

#include <QPoint>
#include <QRect>

class QPainter;

namespace lumeye::ui {

class DeviceBitmap;

// Shows an area of a device bitmap one to one on the painter's device, its
// top-left pixel at `origin` (logical pixels), pixelRatio bitmap pixels to a
// logical pixel. The area is decoded in bands of rows: a whole-screen image
// decoded at once would take megabytes of fresh memory for every repaint.
void paintInBands(QPainter& painter, const DeviceBitmap& image, const QRect& pixels, double pixelRatio,
                  const QPoint& origin);

}  // namespace lumeye::ui
