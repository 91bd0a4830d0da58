#pragma once

#include "ui/ServerDrawn.h"

#include <QColor>
#include <QWidget>

namespace lumeye::ui {

// An area of one colour, for a form's client area that covers the screen.
// Where the X server can draw on it, the server fills the area and only the
// controls on it are drawn through Qt, so it takes no screen-sized image in
// the window's backing store.
class SolidArea : public ServerDrawn<QWidget> {
public:
    SolidArea(const QColor& colour, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumeye::ui
