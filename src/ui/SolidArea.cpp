#include "ui/SolidArea.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QPaintEvent>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : QWidget(parent) {
    setBackColor(this, colour);
    setDrawnByServer(display::ServerDrawing::possible(layoutForDisplay(Screen::info())));
}

void SolidArea::setDrawnByServer(bool on) {
    drawnByServer_ = on;
    display::ServerDrawing::paintOnScreen(*this, on);
}

QPaintEngine* SolidArea::paintEngine() const { return drawnByServer_ ? nullptr : QWidget::paintEngine(); }

void SolidArea::paintEvent(QPaintEvent* event) {
    if (!drawnByServer_) return;  // the background is filled by Qt
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (server_.begin(*this, layout)) {
        const QRegion area = devicePixelsOf(event->region(), devicePixelRatioF());
        if (!server_.sentThisTurn(area)) server_.fill(area, pixelValueOf(layout, palette().color(backgroundRole()).rgb()));
    } else {
        // The window's own visual stores pixels otherwise: Qt fills it from
        // now on, and its form through Qt's backing store.
        setDrawnByServer(false);
        Form::drawnByQtAfterAll(*this);
        update();
    }
}

}  // namespace lumeye::ui
