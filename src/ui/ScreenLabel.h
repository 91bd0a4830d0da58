#pragma once

#include "ui/Controls.h"
#include "ui/ServerPainted.h"

namespace lumeye::ui {

// A label on an area the X server draws (the wait form's): where the server
// draws its window too, the label is painted into an image here and sent to
// the server, so that its form needs no backing store of Qt's; elsewhere Qt
// paints it as any label.
class ScreenLabel : public ServerPainted<Label> {
    Q_OBJECT
public:
    ScreenLabel(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumeye::ui
