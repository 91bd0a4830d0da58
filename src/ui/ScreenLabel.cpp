#include "ui/ScreenLabel.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Screen.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace lumeye::ui {

ScreenLabel::ScreenLabel(const QString& caption, QWidget* parent) : ServerPainted(caption, parent) {
    setDrawnByServer(display::ServerDrawing::possible(layoutForDisplay(Screen::info())));
}

void ScreenLabel::paintEvent(QPaintEvent* event) {
    if (!drawnByServer()) {
        Label::paintEvent(event);
        return;
    }
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!beginServerDrawing(layout)) return;
    const double ratio = devicePixelRatioF();
    const QRegion area = devicePixelsOf(event->region(), ratio) & QRect(QPoint(0, 0), QSizeF(QSizeF(size()) * ratio).toSize());
    if (area.isEmpty() || server_.sentThisTurn(area)) return;
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
    const QRegion textArea = (area & textPixels).translated(-textPixels.topLeft());
    const auto send = [&](const display::PixelRows& rows) {
        for (const QRect& r : textArea) server_.put(rows, r, textPixels.topLeft());
    };
    // 32-bit pixels as the server stores them at depth 24 (its fourth byte
    // unused) go as they are.
    if (layout == PixelLayout::Bgrx32) {
        send({image.constBits(), image.width(), image.height(), int32_t(image.bytesPerLine())});
        return;
    }
    DeviceBitmap pixels(image.width(), image.height(), layout);
    pixels.drawImage(QPoint(0, 0), image);
    send({pixels.bits(), pixels.width(), pixels.height(), pixels.widthBytes()});
}

}  // namespace lumeye::ui
