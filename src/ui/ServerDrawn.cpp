#include "ui/ServerDrawn.h"

#include "ui/DeviceBitmap.h"
#include "ui/Screen.h"

namespace lumeye::ui {

void setDrawnByServer(QWidget& widget, bool on) {
    on = on && ServerDrawing::possible(layoutForDisplay(Screen::info()));
    // Qt paints the controls of a window that paints on screen on screen too.
    widget.setAttribute(Qt::WA_PaintOnScreen, on);
    widget.setAttribute(Qt::WA_NoSystemBackground, on);
    // A control needs a window of its own to be drawn on (made last: it is
    // watched from its making as one the server draws); a form has one.
    if (!widget.isWindow()) widget.setAttribute(Qt::WA_NativeWindow, on);
}

}  // namespace lumeye::ui
