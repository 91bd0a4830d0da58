#include "ui/ScreenLabel.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace lumeye::ui {

ScreenLabel::ScreenLabel(const QString& caption, QWidget* parent) : Label(caption, parent) {
    setDrawnByServer(display::ServerDrawing::possible(layoutForDisplay(Screen::info())));
}

void ScreenLabel::setDrawnByServer(bool on) {
    drawnByServer_ = on;
    display::ServerDrawing::paintOnScreen(*this, on);
}

QPaintEngine* ScreenLabel::paintEngine() const { return drawnByServer_ ? nullptr : Label::paintEngine(); }

void ScreenLabel::paintEvent(QPaintEvent* event) {
    if (!drawnByServer_) {
        Label::paintEvent(event);
        return;
    }
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!server_.begin(*this, layout)) {
        // The window's own visual stores pixels otherwise: Qt paints it from
        // now on, and its form through Qt's backing store.
        setDrawnByServer(false);
        Form::drawnByQtAfterAll(*this);
        update();
        return;
    }
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
