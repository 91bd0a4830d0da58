#include "ui/ServerDrawnLabel.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Screen.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace lumeye::ui {

ServerDrawnLabel::ServerDrawnLabel(const QString& caption, QWidget* parent) : ServerDrawn(caption, parent) {
    setDrawnByServer(*this, true);
}

void ServerDrawnLabel::paintEvent(QPaintEvent* event) {
    if (!drawnByServer(*this)) {
        Label::paintEvent(event);
        return;
    }
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!beginServerDrawing(layout)) return;
    const double ratio = devicePixelRatioF();
    const QRegion area =
        toDraw(devicePixelsOf(event->region(), ratio)) & QRect(QPoint(0, 0), QSizeF(QSizeF(size()) * ratio).toSize());
    if (area.isEmpty()) return;
    // The server fills the background; only the text's box, with room for
    // glyphs that reach past their advance, is painted here and sent.
    const int flags = QStyle::visualAlignment(layoutDirection(), alignment());
    const int room = fontMetrics().height() / 4 + 1;
    const QRect textBox =
        style()->itemTextRect(fontMetrics(), contentsRect(), flags, isEnabled(), text()).adjusted(-room, -room, room, room);
    const QRect textPixels = devicePixelsOf(textBox, ratio).boundingRect() & area.boundingRect();
    const QRgb background = palette().color(backgroundRole()).rgb();
    server_.fill(area - textPixels, pixelValueOf(layout, background));
    if (textPixels.isEmpty()) return;

    QImage image(textPixels.size(), QImage::Format_RGB32);
    image.fill(background);
    image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&image);
        painter.translate(-QPointF(textPixels.topLeft()) / ratio);
        painter.setFont(font());
        style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(), text(), foregroundRole());
    }
    DeviceBitmap pixels(image.width(), image.height(), layout);
    pixels.drawImage(QPoint(0, 0), image);
    for (const QRect& r : (area & textPixels).translated(-textPixels.topLeft()))
        server_.put(pixels, r, textPixels.topLeft());
}

}  // namespace lumeye::ui
