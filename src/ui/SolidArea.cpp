#include "ui/SolidArea.h"

#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"
#include "ui/WaylandSurface.h"
#include "ui/X11Surface.h"

#include <QChildEvent>
#include <QImage>
#include <QPaintEvent>
#include <QTimer>
#include <QWindow>

namespace lumeye::ui {

SolidArea::SolidArea(const QColor& colour, QWidget* parent) : QWidget(parent) {
    setBackColor(this, colour);
    if (X11Surface::serverStores(layoutForDisplay(Screen::info()))) setFiller(Filler::Server);
    else if (WaylandFill::compositorScales()) setFiller(Filler::Compositor);
}

SolidArea::~SolidArea() = default;

void SolidArea::setFiller(Filler filler) {
    filler_ = filler;
    const bool byServer = filler == Filler::Server;
    if (byServer) setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen, byServer);
    setAttribute(Qt::WA_NoSystemBackground, byServer);
    compositorFill_.reset(filler == Filler::Compositor ? new WaylandFill : nullptr);
    // On Wayland the area is its window's whole surface: Qt paints nothing of
    // that window (see showEvent).
    if (filler != Filler::Compositor && parentWidget()) window()->setAttribute(Qt::WA_PaintOnScreen, false);
}

QPaintEngine* SolidArea::paintEngine() const { return filler_ == Filler::Qt ? QWidget::paintEngine() : nullptr; }

namespace {
// Whether a widget is being painted into another device (a grab, the
// picture of the controls) rather than on screen.
bool paintedElsewhere(const QWidget& widget) {
    struct Redirection : QWidget {
        using QWidget::redirected;
    };
    return (widget.*&Redirection::redirected)(nullptr) != nullptr;
}
}  // namespace

bool SolidArea::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    return QWidget::event(event);
}

void SolidArea::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (filler_ != Filler::Compositor) return;
    // The window is made by now, not yet exposed: it paints on screen with no
    // paint engine, so Qt makes no buffer for it.
    window()->setAttribute(Qt::WA_PaintOnScreen);
    window()->windowHandle()->installEventFilter(this);
}

void SolidArea::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (compositorFill_) compositorFill_->release();
}

bool SolidArea::eventFilter(QObject* watched, QEvent* event) {
    if (filler_ == Filler::Compositor) {
        if (watched == window()->windowHandle() && event->type() == QEvent::Expose) sendToCompositor();
        // A control on the area, painting on screen, would find no paint
        // engine: its change goes into the picture instead.
        if (event->type() == QEvent::Paint && watched->isWidgetType() && watched->parent() == this &&
            !paintedElsewhere(*static_cast<QWidget*>(watched))) {
            controlsChanged_ = true;
            if (!std::exchange(sendQueued_, true))
                QTimer::singleShot(0, this, [this] {
                    sendQueued_ = false;
                    sendToCompositor();
                });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SolidArea::sendToCompositor() {
    const QWindow* handle = window()->windowHandle();
    if (filler_ != Filler::Compositor || !handle || !handle->isExposed()) return;
    const QRgb colour = palette().color(backgroundRole()).rgb();
    // With a pixel of the background around them: Qt blends text that
    // touches the top edge of the device it draws on slightly otherwise.
    const QRect controls = childrenRect().adjusted(-1, -1, 1, 1) & rect();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = childrenRect().isEmpty() ? QSize() : (QSizeF(controls.size()) * ratio).toSize();
    // Drawn again only when a control changed: every exposure sends it.
    if (controlsChanged_ || picture_.size() != pixels || picture_.devicePixelRatio() != ratio) {
        controlsChanged_ = false;
        picture_ = QImage();
        if (!pixels.isEmpty()) {
            picture_ = QImage(pixels, QImage::Format_RGB32);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(colour);
            render(&picture_, QPoint(), QRegion(controls), DrawChildren);
        }
    }
    if (compositorFill_->show(*window(), colour, picture_, mapTo(window(), controls.topLeft()))) return;
    // Not to be shown so (a scale that is not whole): Qt fills the window from now on.
    setFiller(Filler::Qt);
    window()->update();
}

void SolidArea::paintEvent(QPaintEvent* event) {
    if (filler_ != Filler::Server) return;  // filled by Qt, or shown by the compositor
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (auto surface = X11Surface::of(*this, layout)) {
        const qreal ratio = devicePixelRatioF();
        QRegion device;
        for (const QRect& r : event->region())
            device += QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        surface->fill(device, palette().color(backgroundRole()).rgb());
    } else {
        // The window's own visual stores pixels otherwise: Qt fills it from now on.
        setFiller(Filler::Qt);
        update();
    }
}

}  // namespace lumeye::ui
