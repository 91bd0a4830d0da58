#pragma once

#include "display/ServerDrawing.h"
#include "ui/Controls.h"

namespace lumeye::ui {

// A label on an area the X server draws (the wait form's): where the server
// draws its window too, the label is painted into an image here and sent to
// the server, so that its form needs no backing store of Qt's; elsewhere Qt
// paints it as any label.
class ScreenLabel : public Label {
    Q_OBJECT
public:
    ScreenLabel(const QString& caption, QWidget* parent);
    bool drawnByServer() const { return drawnByServer_; }
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setDrawnByServer(bool on);
    bool drawnByServer_ = false;
    display::ServerDrawing server_;
};

}  // namespace lumeye::ui
