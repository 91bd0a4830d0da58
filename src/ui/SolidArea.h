#pragma once

#include <QColor>
#include <QWidget>

namespace lumeye::ui {

// An area of one colour, for a form's client area that covers the screen. On
// X11 the server fills it and only the controls on it are drawn through Qt,
// so it takes no screen-sized image in the window's backing store.
class SolidArea : public QWidget {
public:
    SolidArea(const QColor& colour, QWidget* parent = nullptr);
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setFilledByServer(bool on);
    bool byServer_ = false;
};

}  // namespace lumeye::ui
