#pragma once

#include "ui/Controls.h"
#include "ui/ServerDrawn.h"

namespace lumeye::ui {

// A label the X server draws where it can (the wait form's): the label is
// painted into an image here and sent to the server, so that a form the
// server draws needs no backing store of Qt's; elsewhere Qt paints it as any
// label.
class ServerDrawnLabel : public ServerDrawn<Label> {
    Q_OBJECT
public:
    ServerDrawnLabel(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumeye::ui
