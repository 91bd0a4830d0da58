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
    const QRegion area = devicePixelsOf(event->region(), ratio);
    if (server_.sentThisTurn(area)) return;
    // The label as a label paints itself, in the server's pixels.
    QImage image(QSizeF(QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(palette().color(backgroundRole()));
    {
        QPainter painter(&image);
        painter.setFont(font());
        style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                              palette(), isEnabled(), text(), foregroundRole());
    }
    DeviceBitmap pixels(image.width(), image.height(), layout);
    pixels.drawImage(QPoint(0, 0), image);
    for (const QRect& r : area & image.rect())
        server_.put({pixels.bits(), pixels.width(), pixels.height(), pixels.widthBytes()}, r, QPoint(0, 0));
}

}  // namespace lumeye::ui
