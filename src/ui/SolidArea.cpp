#include "ui/SolidArea.h"

#include "ui/BoxScale.h"
#include "ui/DeviceBitmap.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"
#include "ui/WaylandSurface.h"
#include "ui/X11Surface.h"

#include <QChildEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <cmath>

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
    // The controls placed on the area are watched for the compositor's picture of them.
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
    const qreal ratio = devicePixelRatioF();
    const int grid = WaylandFill::bufferScale(*window());
    // The picture's place in the window's device pixels, on the grid of the
    // compositor's coordinates and with a pixel of the background around the
    // controls: Qt blends text that touches the top edge of the device it
    // draws on slightly otherwise.
    QRect place;
    if (grid && !childrenRect().isEmpty()) {
        const QRectF around = QRectF(childrenRect().adjusted(-1, -1, 1, 1).translated(mapTo(window(), QPoint())));
        const QSizeF whole = QSizeF(window()->size()) * ratio;
        const auto down = [grid](qreal v) { return int(std::floor(v / grid)) * grid; };
        const auto up = [grid](qreal v) { return int(std::ceil(v / grid)) * grid; };
        place = QRect(QPoint(down(around.left() * ratio), down(around.top() * ratio)),
                      QPoint(up(around.right() * ratio) - 1, up(around.bottom() * ratio) - 1)) &
                QRect(QPoint(), QSize(down(whole.width()), down(whole.height())));
    }
    // Drawn again only when a control changed: every exposure sends it.
    if (controlsChanged_ || place != picturePlace_ || picture_.devicePixelRatio() != ratio) {
        controlsChanged_ = false;
        picturePlace_ = place;
        picture_ = QImage();
        if (!place.isEmpty()) {
            picture_ = QImage(place.size(), QImage::Format_RGB32);
            picture_.setDevicePixelRatio(ratio);
            picture_.fill(colour);
            // Each device pixel as in the window, also where the place does
            // not fall on a whole point (a scale factor of Qt's own).
            QPainter painter(&picture_);
            painter.translate(QPointF(mapTo(window(), QPoint())) - QPointF(place.topLeft()) / ratio);
            render(&painter, rect().topLeft(), QRegion(rect()), DrawChildren);
        }
    }
    if (grid && compositorFill_->show(*window(), colour, picture_, place.topLeft())) return;
    // Not to be shown so (a scale that is not whole): Qt fills the window from now on.
    setFiller(Filler::Qt);
    window()->update();
}

void SolidArea::paintEvent(QPaintEvent* event) {
    if (filler_ != Filler::Server) return;  // filled by Qt, or shown by the compositor
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (auto surface = X11Surface::of(*this, layout)) {
        surface->fill(devicePixelsOf(event->region(), devicePixelRatioF()), palette().color(backgroundRole()).rgb());
    } else {
        // The window's own visual stores pixels otherwise: Qt fills it from now on.
        setFiller(Filler::Qt);
        update();
    }
}

}  // namespace lumeye::ui
