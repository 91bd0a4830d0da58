#include "ui/SolidArea.h"

#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"
#include "ui/X11Surface.h"

#include <QPaintEvent>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : QWidget(parent) {
    setBackColor(this, colour);
    setFilledByServer(X11Surface::serverStores(layoutForDisplay(Screen::info())));
}

void SolidArea::setFilledByServer(bool on) {
    byServer_ = on;
    if (on) setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen, on);
    setAttribute(Qt::WA_NoSystemBackground, on);
}

QPaintEngine* SolidArea::paintEngine() const { return byServer_ ? nullptr : QWidget::paintEngine(); }

void SolidArea::paintEvent(QPaintEvent* event) {
    if (!byServer_) return;  // the background is filled by Qt
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (auto surface = X11Surface::of(*this, layout)) {
        const qreal ratio = devicePixelRatioF();
        QRegion device;
        for (const QRect& r : event->region())
            device += QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        surface->fill(device, palette().color(backgroundRole()).rgb());
    } else {
        // The window's own visual stores pixels otherwise: Qt fills it from now on.
        setFilledByServer(false);
        update();
    }
}

}  // namespace lumeye::ui
