#pragma once

#include "ui/ServerDrawing.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QWidget>

class QPaintEngine;

namespace lumeye::ui {

// Whether the X server draws a widget (see ServerDrawing): it then paints on
// a window of its own, past Qt's backing store. Qt keeps the record, as the
// widget's painting on screen.
inline bool drawnByServer(const QWidget& widget) { return widget.testAttribute(Qt::WA_PaintOnScreen); }
// Has the X server draw a widget where it can (on: where the display stores
// pixels in a layout the server draws), or Qt paint it (off). A form the
// server draws takes no backing store of Qt's, which would hold an image of
// the window's size and have the server make a pixmap as large: that is only
// for a form whose every control the server draws.
void setDrawnByServer(QWidget& widget, bool on);

// A widget the X server draws where it is asked to (setDrawnByServer). Where
// its window turns out to store pixels otherwise, Qt paints it, and its
// window, from then on.
template <class Base>
class ServerDrawn : public Base {
public:
    using Base::Base;
    // Qt paints nothing of a widget the server draws.
    QPaintEngine* paintEngine() const override { return drawnByServer(*this) ? nullptr : Base::paintEngine(); }

protected:
    // Begins drawing in the layout; false, with a repaint by Qt queued, when
    // the server cannot draw the widget.
    bool beginServerDrawing(PixelLayout layout) {
        if (server_.begin(*this, layout)) return true;
        setDrawnByServer(*this, false);
        setDrawnByServer(*this->window(), false);
        this->update();
        return false;
    }
    // What of a paint event's area is still to be drawn (see ServerDrawing::toDraw).
    QRegion toDraw(const QRegion& area) { return server_.toDraw(area, updating_); }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::WinIdChange && drawnByServer(*this)) server_.watch(*this);
        // The widget's own update is painted while this event is handled, an
        // expose when the window's is. (Only then is the flag touched after
        // the event: a deferred delete leaves no widget to touch.)
        if (event->type() != QEvent::UpdateRequest) return Base::event(event);
        QScopedValueRollback updating(updating_, true);
        return Base::event(event);
    }

    ServerDrawing server_;

private:
    bool updating_ = false;
};

}  // namespace lumeye::ui
