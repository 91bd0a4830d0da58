#include "ui/SolidArea.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QPaintEvent>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : ServerPainted(parent) {
    setBackColor(this, colour);
    setDrawnByServer(display::ServerDrawing::possible(layoutForDisplay(Screen::info())));
}

void SolidArea::paintEvent(QPaintEvent* event) {
    if (!drawnByServer()) return;  // the background is filled by Qt
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!beginServerDrawing(layout)) return;
    const QRegion area = devicePixelsOf(event->region(), devicePixelRatioF());
    if (!server_.sentThisTurn(area)) server_.fill(area, pixelValueOf(layout, palette().color(backgroundRole()).rgb()));
}

}  // namespace lumeye::ui
