#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace lumeye::ui {

class DeviceBitmap;

// A picture box's drawing calls on its image, in pixels of the image. Each
// returns the area it drew on; nothing is smoothed.

// A picture with its top-left at `at`, at `size`. At the picture's own size
// the pixels are copied one to one; another size repeats or drops pixels
// (nearest pixel), never blends: the chart is read to the pixel.
QRect drawPicture(DeviceBitmap& image, const QImage& picture, const QPoint& at, const QSize& size);

// One line of text, the top of the line at `origin`, on a transparent
// background. Point sizes come out as on screen: the font is measured at the
// display's dots per inch times pixelRatio.
struct TextLine {
    QRect area;    // drawn on, within the image; empty when the text lies outside
    double height; // of the line, pixels
    QPointF baseline; // where the text starts on its base line
};
TextLine drawTextLine(DeviceBitmap& image, const QPointF& origin, const QString& text, const QFont& font,
                      const QColor& colour, double pixelRatio);
// Where drawTextLine would draw, on an image without bounds.
TextLine textLineArea(const QPointF& origin, const QString& text, const QFont& font, double pixelRatio);

// A line `width` pixels wide with round ends, centred on the points.
QRect drawLine(DeviceBitmap& image, const QPoint& from, const QPoint& to, const QColor& colour, int width);
// Where drawLine would draw, on an image without bounds.
QRect lineArea(const QPoint& from, const QPoint& to, int width);

}  // namespace lumeye::ui
