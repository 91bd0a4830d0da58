#pragma once

#include "ui/DirectDrawing.h"

#include <QColor>
#include <QWidget>

namespace lumeye::ui {

// An area of one colour, for a form's client area that covers the screen.
// Where the display draws on windows itself (X11) it fills the area and only
// the controls on it are drawn through Qt, so it takes no screen-sized image
// in the window's backing store.
class SolidArea : public QWidget {
public:
    SolidArea(const QColor& colour, QWidget* parent = nullptr);
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setFilledByDisplay(bool on);
    bool byDisplay_ = false;
    DirectDrawing display_;
};

}  // namespace lumeye::ui
