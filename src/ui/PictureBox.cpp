#include "ui/PictureBox.h"

#include "core/Numeric.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace lumeye::ui {
namespace {
constexpr double kInchesPerMetre = 1.0 / 0.0254;
constexpr const char* kDefaultFace = "MS Sans Serif";
constexpr double kDefaultPoints = 8.25;
// Pixels decoded at a time when the box is repainted (a band of rows).
constexpr int kPaintBandPixels = 1 << 16;

bool hasShape(const DeviceBitmap& image, const QSize& size, PixelLayout layout) {
    return image.width() == size.width() && image.height() == size.height() && image.layout() == layout;
}

// A scratch image for drawing text and lines, at the display's dots per inch
// (times the box's pixel ratio) so that point sizes come out as they do on screen.
QImage scratch(const QImage& from, double pixelRatio) {
    QImage image = from;
    const ScreenInfo screen = Screen::info();
    image.setDotsPerMeterX(int(std::lround(screen.logicalDpiX * pixelRatio * kInchesPerMetre)));
    image.setDotsPerMeterY(int(std::lround(screen.logicalDpiY * pixelRatio * kInchesPerMetre)));
    return image;
}
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), fontName_(QString::fromLatin1(kDefaultFace)) {
    backColor_ = palette().color(QPalette::Button);
    setFont(designFont(fontName_, kDefaultPoints));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContentsMargins(1, 1, 1, 1);
}

// ---- coordinates

ScaleMode PictureBox::scaleMode() const { return scaleModeOf(this); }
void PictureBox::setScaleMode(ScaleMode mode) { setScaleModeOf(this, mode); }

double PictureBox::ScaleWidth() const { return toUnitsX(innerPixels().width()); }
double PictureBox::ScaleHeight() const { return toUnitsY(innerPixels().height()); }

int PictureBox::toPixelX(double units) const {
    return static_cast<int>(
        roundHalfEven(scaleMode() == ScaleMode::Pixels ? units : twipsToPixelsX(units) * pixelRatio_));
}
int PictureBox::toPixelY(double units) const {
    return static_cast<int>(
        roundHalfEven(scaleMode() == ScaleMode::Pixels ? units : twipsToPixelsY(units) * pixelRatio_));
}
double PictureBox::toUnitsX(double pixels) const {
    return scaleMode() == ScaleMode::Pixels ? pixels : pixelsToTwipsX(pixels / pixelRatio_);
}
double PictureBox::toUnitsY(double pixels) const {
    return scaleMode() == ScaleMode::Pixels ? pixels : pixelsToTwipsY(pixels / pixelRatio_);
}

void PictureBox::setPixelRatio(double ratio) {
    pixelRatio_ = ratio;
    exactInner_.reset();
    update();
}

void PictureBox::setInnerPixels(int width, int height) {
    exactInner_ = QSize(width, height);
    const QMargins m = contentsMargins();
    resize(areaFor(*exactInner_).grownBy(m));
}

QSize PictureBox::areaFor(const QSize& pixels) const {
    return QSize(int(std::ceil(pixels.width() / pixelRatio_)), int(std::ceil(pixels.height() / pixelRatio_)));
}

QSize PictureBox::innerPixels() const {
    const QSize area = contentsRect().size().expandedTo(QSize(0, 0));
    if (pixelRatio_ == 1.0) return area;
    // Until the box is sized otherwise, it keeps the exact size it was given.
    if (exactInner_ && areaFor(*exactInner_) == area) return *exactInner_;
    return QSize(int(std::lround(area.width() * pixelRatio_)), int(std::lround(area.height() * pixelRatio_)));
}

void PictureBox::setBorderStyle(BorderStyle style) {
    border_ = style;
    const int m = style == BorderStyle::FixedSingle ? 1 : 0;
    setContentsMargins(m, m, m, m);
    update();
}

// ---- appearance

void PictureBox::setBackColor(const QColor& colour) {
    backColor_ = colour;
    clearSurface();
}

void PictureBox::setForeColor(const QColor& colour) { foreColor_ = colour; }

void PictureBox::setFontName(const QString& face) {
    fontName_ = face;
    setFont(designFont(face, FontSize()));
}

double PictureBox::FontSize() const { return font().pointSizeF(); }

void PictureBox::setFontSize(double points) {
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

void PictureBox::setDrawWidth(int pixels) { drawWidth_ = std::max(pixels, 1); }

void PictureBox::setAutoSize(bool on) {
    autoSize_ = on;
    if (on && !picture_.isNull()) setInnerPixels(picture_.width(), picture_.height());
}

// ---- pictures

void PictureBox::setPicture(const StdPicture& picture) {
    picture_ = picture;
    setAutoSize(autoSize_);
    clearSurface();
}

DeviceBitmap& PictureBox::Image() { return surface(); }
const DeviceBitmap& PictureBox::Image() const { return surface(); }

DeviceBitmap& PictureBox::surface() const {
    const QSize size = innerPixels();
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (hasShape(image_, size, layout)) return image_;
    if (image_.isNull()) {
        image_ = DeviceBitmap(size.width(), size.height(), layout);
        image_.fill(backColor_.rgb());
        if (!picture_.isNull()) image_.drawImage(QPoint(0, 0), picture_.image());
    } else {
        image_ = image_.resized(size.width(), size.height(), layout, backColor_.rgb());
    }
    return image_;
}

void PictureBox::clearSurface() {
    // All of Image is cleared: one of another size or layout is made anew
    // rather than resized with its contents first (a canvas is megabytes).
    const QSize size = innerPixels();
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!hasShape(image_, size, layout)) image_ = DeviceBitmap(size.width(), size.height(), layout);
    image_.fill(backColor_.rgb());
    if (!picture_.isNull()) image_.drawImage(QPoint(0, 0), picture_.image());
    update();
}

void PictureBox::showArea(const QRect& area) {
    const QRectF onScreen(QPointF(area.topLeft()) / pixelRatio_, QSizeF(area.size()) / pixelRatio_);
    update(onScreen.toAlignedRect().translated(contentsRect().topLeft()));
}

// ---- drawing

void PictureBox::Cls() {
    clearSurface();
    currentX_ = 0.0;
    currentY_ = 0.0;
}

void PictureBox::PaintPicture(const StdPicture& picture, double x, double y, std::optional<double> width,
                              std::optional<double> height) {
    if (picture.isNull()) return;
    const int w = width ? toPixelX(*width) : picture.width();
    const int h = height ? toPixelY(*height) : picture.height();
    if (w <= 0 || h <= 0) return;
    const QPoint at(toPixelX(x), toPixelY(y));
    // Other sizes take the nearest source pixel: the chart is read to the pixel.
    const QImage source = (w == picture.width() && h == picture.height())
                              ? picture.image()
                              : picture.image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    surface().drawImage(at, source);
    showArea(QRect(at, QSize(w, h)));
}

void PictureBox::Print(const QString& text) {
    DeviceBitmap& s = surface();
    const QFont f = font();
    const QImage probe = scratch(QImage(1, 1, QImage::Format_RGB32), pixelRatio_);
    const QFontMetricsF metrics(f, &probe);
    const QPointF origin(toPixelX(currentX_), toPixelY(currentY_));
    const QPointF baseline = origin + QPointF(0, metrics.ascent());
    // The ink can reach past the advance (overhangs, accents): take both boxes.
    const QRectF ink = metrics.boundingRect(text).translated(baseline);
    const QRectF cell(origin, QSizeF(metrics.horizontalAdvance(text), metrics.height()));
    const QRect area = ink.united(cell).toAlignedRect().adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, s.width(), s.height()));
    if (!area.isEmpty()) {
        QImage canvas = scratch(s.toImage(area), pixelRatio_);
        {
            QPainter p(&canvas);
            p.setFont(f);
            p.setPen(foreColor_);
            p.drawText(baseline - QPointF(area.topLeft()), text);
        }
        s.drawImage(area.topLeft(), canvas);
        showArea(area);
    }
    currentX_ = 0.0;
    currentY_ += toUnitsY(metrics.height());
}

void PictureBox::Line(double x1, double y1, double x2, double y2) {
    DeviceBitmap& s = surface();
    const QPoint from(toPixelX(x1), toPixelY(y1));
    const QPoint to(toPixelX(x2), toPixelY(y2));
    const int reach = drawWidth_ / 2 + 2;
    const QRect area = QRect(from, to).normalized().adjusted(-reach, -reach, reach, reach)
                           .intersected(QRect(0, 0, s.width(), s.height()));
    if (area.isEmpty()) return;
    QImage canvas = s.toImage(area);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(foreColor_, drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.translate(-area.topLeft());
        p.drawLine(from, to);
    }
    s.drawImage(area.topLeft(), canvas);
    showArea(area);
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2, const QColor& colour) {
    const int left = toPixelX(std::min(x1, x2)), right = toPixelX(std::max(x1, x2));
    const int top = toPixelY(std::min(y1, y2)), bottom = toPixelY(std::max(y1, y2));
    const QRect area(QPoint(left, top), QPoint(right, bottom));
    surface().fillRect(area, colour.rgb());
    showArea(area);
}

QColor PictureBox::Point(double x, double y) const {
    const DeviceBitmap& s = surface();
    const int px = toPixelX(x), py = toPixelY(y);
    if (px < 0 || py < 0 || px >= s.width() || py >= s.height()) return QColor();
    return QColor::fromRgb(s.pixel(px, py));
}

void PictureBox::PSet(double x, double y, const QColor& colour) {
    DeviceBitmap& s = surface();
    const int px = toPixelX(x), py = toPixelY(y);
    if (px < 0 || py < 0 || px >= s.width() || py >= s.height()) return;
    s.setPixel(px, py, colour.rgb());
    showArea(QRect(px, py, 1, 1));
}

void PictureBox::ZOrder(int position) {
    if (position == 0) raise();
    else lower();
}

void PictureBox::Refresh() {
    update();
    if (isVisible()) repaint();
}

// ---- events

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect inner = contentsRect();
    const DeviceBitmap& s = surface();
    for (const QRect& r : event->region()) {
        const QRect area = r.intersected(inner).translated(-inner.topLeft());
        if (area.isEmpty()) continue;
        // The Image pixels under the area, shown one to one on the device.
        const QRect pixels = QRectF(QPointF(area.topLeft()) * pixelRatio_, QSizeF(area.size()) * pixelRatio_)
                                 .toAlignedRect()
                                 .intersected(QRect(0, 0, s.width(), s.height()));
        // In bands of rows: a whole-screen image decoded at once would take
        // megabytes of fresh memory for every repaint. Bands start on whole
        // screen pixels, so at a whole-number ratio they land exactly where
        // the undivided image would; any other ratio paints the area at once.
        const int ratio = static_cast<int>(pixelRatio_);
        const int rows = kPaintBandPixels / std::max(1, pixels.width());
        const int band = ratio == pixelRatio_ ? std::max(ratio, rows / ratio * ratio) : pixels.height();
        for (int top = pixels.top(); top <= pixels.bottom(); top += band) {
            const QRect strip(pixels.left(), top, pixels.width(), std::min(band, pixels.bottom() + 1 - top));
            QImage part = s.toImage(strip);
            part.setDevicePixelRatio(pixelRatio_);
            p.drawImage(QPointF(strip.topLeft()) / pixelRatio_ + QPointF(inner.topLeft()), part);
        }
    }
    if (border_ == BorderStyle::FixedSingle) {
        // Filled edges rather than a pen: a one-pixel frame then covers whole
        // device pixels at any ratio and never the image inside.
        const QRect r = rect();
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), Qt::black);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Qt::black);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), Qt::black);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), Qt::black);
    }
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    const int code = keyCodeOf(event->key());
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyDown(code, shiftMaskOf(event->modifiers()));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit dblClick();
    else QWidget::mouseDoubleClickEvent(event);
}

int keyCodeOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // 65-90
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;  // 48-57
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int shiftMaskOf(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= 1;
    if (modifiers & Qt::ControlModifier) mask |= 2;
    if (modifiers & Qt::AltModifier) mask |= 4;
    return mask;
}

}  // namespace lumeye::ui
