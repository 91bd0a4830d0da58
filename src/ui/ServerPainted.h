#pragma once

#include "display/ServerDrawing.h"
#include "ui/Form.h"

class QPaintEngine;

namespace lumeye::ui {

// A control the X server draws where it can (see display::ServerDrawing):
// it paints on a window of its own, past Qt's backing store. Where its window
// turns out to store pixels otherwise, Qt paints it, and its form, from then
// on.
template <class Base>
class ServerPainted : public Base {
public:
    using Base::Base;
    bool drawnByServer() const { return drawnByServer_; }
    QPaintEngine* paintEngine() const override { return drawnByServer_ ? nullptr : Base::paintEngine(); }

protected:
    void setDrawnByServer(bool on) {
        drawnByServer_ = on;
        display::ServerDrawing::paintOnScreen(*this, on);
    }
    // Begins this turn's drawing in the layout; false, with a repaint by Qt
    // queued, when the server cannot draw the control.
    bool beginServerDrawing(PixelLayout layout) {
        if (server_.begin(*this, layout)) return true;
        setDrawnByServer(false);
        Form::drawnByQtAfterAll(*this);
        this->update();
        return false;
    }

    // Mutable: making the pixels from what was kept, in a const look at
    // them, draws over what was sent.
    mutable display::ServerDrawing server_;

private:
    bool drawnByServer_ = false;
};

}  // namespace lumeye::ui
