#include "ui/ImageDrawing.h"

#include "ui/DeviceBitmap.h"
#include "ui/Screen.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace lumeye::ui {
namespace {
constexpr double kInchesPerMetre = 1.0 / 0.0254;

// A scratch image for drawing text and lines, at the display's dots per inch
// (times the pixel ratio) so that point sizes come out as they do on screen.
QImage scratch(const QImage& from, double pixelRatio) {
    QImage image = from;
    const ScreenInfo screen = Screen::info();
    image.setDotsPerMeterX(int(std::lround(screen.logicalDpiX * pixelRatio * kInchesPerMetre)));
    image.setDotsPerMeterY(int(std::lround(screen.logicalDpiY * pixelRatio * kInchesPerMetre)));
    return image;
}

QRect whole(const DeviceBitmap& image) { return QRect(0, 0, image.width(), image.height()); }
}  // namespace

QRect drawPicture(DeviceBitmap& image, const QImage& picture, const QPoint& at, const QSize& size) {
    const QImage source =
        size == picture.size() ? picture : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    image.drawImage(at, source);
    return QRect(at, size);
}

TextLine textLineArea(const QPointF& origin, const QString& text, const QFont& font, double pixelRatio) {
    const QImage probe = scratch(QImage(1, 1, QImage::Format_RGB32), pixelRatio);
    const QFontMetricsF metrics(font, &probe);
    const QPointF baseline = origin + QPointF(0, metrics.ascent());
    // The ink can reach past the advance (overhangs, accents): take both boxes.
    const QRectF ink = metrics.boundingRect(text).translated(baseline);
    const QRectF cell(origin, QSizeF(metrics.horizontalAdvance(text), metrics.height()));
    return {ink.united(cell).toAlignedRect().adjusted(-2, -2, 2, 2), metrics.height(), baseline};
}

TextLine drawTextLine(DeviceBitmap& image, const QPointF& origin, const QString& text, const QFont& font,
                      const QColor& colour, double pixelRatio) {
    const TextLine line = textLineArea(origin, text, font, pixelRatio);
    const QRect area = line.area.intersected(whole(image));
    if (!area.isEmpty()) {
        QImage canvas = scratch(image.toImage(area), pixelRatio);
        {
            QPainter p(&canvas);
            p.setFont(font);
            p.setPen(colour);
            p.drawText(line.baseline - QPointF(area.topLeft()), text);
        }
        image.drawImage(area.topLeft(), canvas);
    }
    return {area, line.height, line.baseline};
}

QRect lineArea(const QPoint& from, const QPoint& to, int width) {
    const int reach = width / 2 + 2;
    return QRect(from, to).normalized().adjusted(-reach, -reach, reach, reach);
}

QRect drawLine(DeviceBitmap& image, const QPoint& from, const QPoint& to, const QColor& colour, int width) {
    const QRect area = lineArea(from, to, width).intersected(whole(image));
    if (area.isEmpty()) return area;
    QImage canvas = image.toImage(area);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.translate(-area.topLeft());
        p.drawLine(from, to);
    }
    image.drawImage(area.topLeft(), canvas);
    return area;
}

}  // namespace lumeye::ui
