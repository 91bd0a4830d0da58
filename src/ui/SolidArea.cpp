#include "ui/SolidArea.h"

#include "ui/BoxScale.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QPaintEvent>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : QWidget(parent) {
    setBackColor(this, colour);
    setFilledByDisplay(DirectDrawing::possibleFor(layoutForDisplay(Screen::info())));
}

void SolidArea::setFilledByDisplay(bool on) {
    byDisplay_ = on;
    if (on) setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen, on);
    setAttribute(Qt::WA_NoSystemBackground, on);
}

QPaintEngine* SolidArea::paintEngine() const { return byDisplay_ ? nullptr : QWidget::paintEngine(); }

void SolidArea::paintEvent(QPaintEvent* event) {
    if (!byDisplay_) return;  // the background is filled by Qt
    if (display_.begin(*this, layoutForDisplay(Screen::info()))) {
        display_.fill(devicePixelsOf(event->region(), devicePixelRatioF()), palette().color(backgroundRole()).rgb());
    } else {
        // The window's own visual stores pixels otherwise: Qt fills it from now on.
        setFilledByDisplay(false);
        update();
    }
}

}  // namespace lumeye::ui
