#include "ui/SolidArea.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QPaintEvent>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : ServerDrawn(parent) {
    setBackColor(this, colour);
    setDrawnByServer(*this, true);
}

void SolidArea::paintEvent(QPaintEvent* event) {
    if (!drawnByServer(*this)) return;  // the background is filled by Qt
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!beginServerDrawing(layout)) return;
    server_.fill(toDraw(devicePixelsOf(event->region(), devicePixelRatioF())),
                 pixelValueOf(layout, palette().color(backgroundRole()).rgb()));
}

}  // namespace lumeye::ui
