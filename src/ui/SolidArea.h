#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <memory>

namespace lumeye::ui {

class WaylandFill;

// An area of one colour, for a form's client area that covers the screen,
// taking no screen-sized image in the window's backing store: on X11 the
// server fills it and only the controls on it are drawn through Qt; on
// Wayland the compositor stretches one pixel over the window and shows a
// picture of the controls above it.
class SolidArea : public QWidget {
public:
    SolidArea(const QColor& colour, QWidget* parent = nullptr);
    ~SolidArea() override;
    QPaintEngine* paintEngine() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Filler { Qt, Server, Compositor };
    void setFiller(Filler filler);
    void sendToCompositor();

    Filler filler_ = Filler::Qt;
    std::unique_ptr<WaylandFill> compositorFill_;
    QImage picture_;  // of the controls, for the compositor
    QRect picturePlace_;  // in the window's device pixels
    bool controlsChanged_ = false;
    bool sendQueued_ = false;
};

}  // namespace lumeye::ui
