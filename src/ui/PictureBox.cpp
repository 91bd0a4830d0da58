#include "ui/PictureBox.h"

#include "ui/BandedPaint.h"
#include "ui/Fonts.h"
#include "ui/ImageDrawing.h"
#include "ui/KeyCodes.h"
#include "ui/Screen.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace lumeye::ui {
namespace {
constexpr const char* kDefaultFace = "MS Sans Serif";
constexpr double kDefaultPoints = 8.25;
// A box drawn on without end keeps an image rather than an ever longer list.
constexpr size_t kMostStrokes = 10000;

bool hasShape(const DeviceBitmap& image, const QSize& size, PixelLayout layout) {
    return image.width() == size.width() && image.height() == size.height() && image.layout() == layout;
}
}  // namespace

PictureBox::PictureBox(QWidget* parent) : ServerDrawn(parent), fontName_(QString::fromLatin1(kDefaultFace)) {
    backColor_ = palette().color(QPalette::Button);
    setFont(designFont(fontName_, kDefaultPoints));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContentsMargins(1, 1, 1, 1);
}

// ---- coordinates

ScaleMode PictureBox::scaleMode() const { return scaleModeOf(this); }
void PictureBox::setScaleMode(ScaleMode mode) { setScaleModeOf(this, mode); }

double PictureBox::ScaleWidth() const { return scale().toUnitsX(innerPixels().width()); }
double PictureBox::ScaleHeight() const { return scale().toUnitsY(innerPixels().height()); }

void PictureBox::setPixelRatio(double ratio) {
    pixelRatio_ = ratio;
    exactInner_.reset();
    update(rect());
}

void PictureBox::setInnerPixels(int width, int height) {
    exactInner_ = QSize(width, height);
    resize(areaFor(*exactInner_, pixelRatio_).grownBy(contentsMargins()));
}

QSize PictureBox::innerPixels() const {
    return pixelsIn(contentsRect().size().expandedTo(QSize(0, 0)), pixelRatio_, exactInner_);
}

void PictureBox::setBorderStyle(BorderStyle style) {
    border_ = style;
    const int m = style == BorderStyle::FixedSingle ? 1 : 0;
    setContentsMargins(m, m, m, m);
    update(rect());
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

// ---- the picture and the persistent image

void PictureBox::setPicture(const StdPicture& picture) {
    picture_ = picture;
    setAutoSize(autoSize_);
    clearSurface();
}

DeviceBitmap& PictureBox::Image() {
    // Whoever writes the bits may draw anywhere.
    DeviceBitmap& image = surface();
    drawnOn_ = QRect(0, 0, image.width(), image.height());
    return image;
}
const DeviceBitmap& PictureBox::Image() const { return surface(); }

DeviceBitmap& PictureBox::surface() const {
    const QSize size = innerPixels();
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (hasShape(image_, size, layout)) return image_;
    if (image_.isNull()) {
        image_ = DeviceBitmap(size.width(), size.height(), layout);
        image_.fill(backColor_.rgb());
        if (!picture_.isNull()) image_.drawImage(QPoint(0, 0), picture_.image());
        drawnOn_ = pictureArea();
        // What was kept as strokes is drawn on it, and Image is kept from now on.
        for (const Stroke& stroke : strokes_) {
            drawStroke(image_, stroke, QPoint(0, 0));
            drawnOn_ += stroke.area & QRect(0, 0, image_.width(), image_.height());
        }
        strokes_.clear();
    } else {
        image_ = image_.resized(size.width(), size.height(), layout, backColor_.rgb());
        drawnOn_ &= QRect(0, 0, size.width(), size.height());
        }
    return image_;
}

void PictureBox::clearSurface() {
    // All of Image is cleared: one of another size or layout is made anew
    // rather than resized with its contents first (a canvas is megabytes).
    strokes_.clear();
    if (keepsStrokes_) {
        image_ = DeviceBitmap();
        drawnOn_ = pictureArea();
        update(rect());
        return;
    }
    const QSize size = innerPixels();
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!hasShape(image_, size, layout)) image_ = DeviceBitmap(size.width(), size.height(), layout);
    image_.fill(backColor_.rgb());
    if (!picture_.isNull()) image_.drawImage(QPoint(0, 0), picture_.image());
    drawnOn_ = pictureArea();
    update(rect());
}

QRect PictureBox::shownPixels() const {
    const QSize size = keepingStrokes() ? innerPixels() : QSize(surface().width(), surface().height());
    return QRect(QPoint(0, 0), size);
}

QRegion PictureBox::pictureArea() const {
    if (picture_.isNull()) return {};
    return QRect(0, 0, picture_.width(), picture_.height()) & QRect(QPoint(0, 0), innerPixels());
}

void PictureBox::showArea(const QRect& area) {
    drawnOn_ += area;
    const QRectF onScreen(QPointF(area.topLeft()) / pixelRatio_, QSizeF(area.size()) / pixelRatio_);
    update(onScreen.toAlignedRect().translated(contentsRect().topLeft()));
}

void PictureBox::keepStroke(Stroke stroke) {
    const QRect area = stroke.area & QRect(QPoint(0, 0), innerPixels());
    strokes_.push_back(std::move(stroke));
    showArea(area);
    if (strokes_.size() > kMostStrokes) surface();
}

void PictureBox::drawStroke(DeviceBitmap& target, const Stroke& stroke, const QPoint& offset) {
    switch (stroke.kind) {
    case Stroke::Kind::Picture:
        drawPicture(target, stroke.picture, stroke.area.topLeft() - offset, stroke.area.size());
        break;
    case Stroke::Kind::Bitmap:
        target.drawBitmap(stroke.area.topLeft() - offset, *stroke.bitmap);
        break;
    case Stroke::Kind::Text:
        drawTextLine(target, stroke.origin - QPointF(offset), stroke.text, stroke.font, stroke.colour,
                     stroke.pixelRatio);
        break;
    case Stroke::Kind::Line:
        drawLine(target, stroke.from - offset, stroke.to - offset, stroke.colour, stroke.width);
        break;
    case Stroke::Kind::Fill:
        target.fillRect(stroke.area.translated(-offset), stroke.colour.rgb());
        break;
    }
}

const PictureBox::Stroke* PictureBox::bitmapShowing(const QRect& area, PixelLayout layout) const {
    // The last stroke on the area covers all before it there, if it is a
    // bitmap (opaque) over all of the area.
    for (auto stroke = strokes_.rbegin(); stroke != strokes_.rend(); ++stroke) {
        if (!stroke->area.intersects(area)) continue;
        const bool shows = stroke->kind == Stroke::Kind::Bitmap && stroke->area.contains(area) &&
                           stroke->bitmap->layout() == layout;
        return shows ? &*stroke : nullptr;
    }
    return nullptr;
}

DeviceBitmap PictureBox::pixelsOf(const QRect& area) const {
    DeviceBitmap pixels(area.width(), area.height(), layoutForDisplay(Screen::info()));
    pixels.fill(backColor_.rgb());
    if (!picture_.isNull()) pixels.drawImage(-area.topLeft(), picture_.image());
    for (const Stroke& stroke : strokes_)
        if (stroke.area.intersects(area)) drawStroke(pixels, stroke, area.topLeft());
    return pixels;
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
    const BoxScale s = scale();
    const QSize size(width ? s.toPixelX(*width) : picture.width(), height ? s.toPixelY(*height) : picture.height());
    if (size.isEmpty()) return;
    const QPoint at(s.toPixelX(x), s.toPixelY(y));
    if (keepingStrokes()) keepStroke({.kind = Stroke::Kind::Picture, .area = QRect(at, size), .picture = picture.image()});
    else showArea(drawPicture(surface(), picture.image(), at, size));
}

void PictureBox::PaintPicture(const DeviceBitmap& bitmap, double x, double y) {
    if (keepingStrokes()) {
        PaintPicture(std::make_shared<const DeviceBitmap>(bitmap), x, y);
        return;
    }
    if (bitmap.isNull()) return;
    const QRect area = bitmapArea(bitmap, x, y);
    surface().drawBitmap(area.topLeft(), bitmap);
    showArea(area);
}

void PictureBox::PaintPicture(std::shared_ptr<const DeviceBitmap> bitmap, double x, double y) {
    if (!bitmap) return;
    if (!keepingStrokes()) {
        PaintPicture(*bitmap, x, y);
        return;
    }
    if (bitmap->isNull()) return;
    const QRect area = bitmapArea(*bitmap, x, y);
    keepStroke({.kind = Stroke::Kind::Bitmap, .area = area, .bitmap = std::move(bitmap)});
}

QRect PictureBox::bitmapArea(const DeviceBitmap& bitmap, double x, double y) const {
    const BoxScale s = scale();
    return QRect(QPoint(s.toPixelX(x), s.toPixelY(y)), QSize(bitmap.width(), bitmap.height()));
}

void PictureBox::Print(const QString& text) {
    const BoxScale s = scale();
    const QPointF origin(s.toPixelX(currentX_), s.toPixelY(currentY_));
    double height = 0.0;
    if (keepingStrokes()) {
        const TextLine line = textLineArea(origin, text, font(), pixelRatio_);
        keepStroke({.kind = Stroke::Kind::Text, .area = line.area, .origin = origin, .text = text, .font = font(),
                    .pixelRatio = pixelRatio_, .colour = foreColor_});
        height = line.height;
    } else {
        const TextLine line = drawTextLine(surface(), origin, text, font(), foreColor_, pixelRatio_);
        showArea(line.area);
        height = line.height;
    }
    currentX_ = 0.0;
    currentY_ += s.toUnitsY(height);
}

void PictureBox::Line(double x1, double y1, double x2, double y2) {
    const BoxScale s = scale();
    const QPoint from(s.toPixelX(x1), s.toPixelY(y1));
    const QPoint to(s.toPixelX(x2), s.toPixelY(y2));
    if (keepingStrokes())
        keepStroke({.kind = Stroke::Kind::Line, .area = lineArea(from, to, drawWidth_), .from = from, .to = to,
                    .colour = foreColor_, .width = drawWidth_});
    else showArea(drawLine(surface(), from, to, foreColor_, drawWidth_));
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2, const QColor& colour) {
    const BoxScale s = scale();
    const QRect area(QPoint(s.toPixelX(std::min(x1, x2)), s.toPixelY(std::min(y1, y2))),
                     QPoint(s.toPixelX(std::max(x1, x2)), s.toPixelY(std::max(y1, y2))));
    if (keepingStrokes()) {
        keepStroke({.kind = Stroke::Kind::Fill, .area = area, .colour = colour});
        return;
    }
    surface().fillRect(area, colour.rgb());
    showArea(area);
}

QColor PictureBox::Point(double x, double y) const {
    const DeviceBitmap& image = surface();
    const QPoint at(scale().toPixelX(x), scale().toPixelY(y));
    if (!QRect(0, 0, image.width(), image.height()).contains(at)) return QColor();
    return QColor::fromRgb(image.pixel(at.x(), at.y()));
}

void PictureBox::PSet(double x, double y, const QColor& colour) {
    DeviceBitmap& image = surface();
    const QPoint at(scale().toPixelX(x), scale().toPixelY(y));
    if (!QRect(0, 0, image.width(), image.height()).contains(at)) return;
    image.setPixel(at.x(), at.y(), colour.rgb());
    showArea(QRect(at, QSize(1, 1)));
}

void PictureBox::ZOrder(int position) {
    if (position == 0) raise();
    else lower();
}

void PictureBox::Refresh() {
    // Either at once or when shown: both at once would send a canvas twice.
    if (isVisible()) repaint();
    else update(rect());
}

void PictureBox::setKeepsStrokes(bool on) { keepsStrokes_ = on; }

// ---- events

void PictureBox::drawThroughServer(const QRegion& exposed) {
    const PixelLayout layout = layoutForDisplay(Screen::info());
    if (!beginServerDrawing(layout)) return;
    const bool fromStrokes = keepingStrokes();
    // Image pixels are the window's device pixels, the box having no border.
    const QRegion pixels = toDraw(devicePixelsOf(exposed, pixelRatio_)) & shownPixels();
    server_.fill(pixels - drawnOn_, pixelValueOf(layout, backColor_.rgb()));
    for (const QRect& r : pixels & drawnOn_) {
        if (!fromStrokes) {
            server_.put(image_, r, QPoint(0, 0));
            continue;
        }
        // A letter shown whole goes as it was kept.
        if (const Stroke* top = bitmapShowing(r, layout)) {
            server_.put(*top->bitmap, r.translated(-top->area.topLeft()), top->area.topLeft());
            continue;
        }
        // Only what was drawn is made, an area at a time: a cleared canvas
        // takes no screen-sized image to fill and page in.
        server_.put(pixelsOf(r), QRect(QPoint(0, 0), r.size()), r.topLeft());
    }
}

void PictureBox::paintEvent(QPaintEvent* event) {
    if (drawnByServer(*this)) {
        drawThroughServer(event->region());
        return;
    }
    QPainter p(this);
    const QRect inner = contentsRect();
    const bool fromStrokes = keepingStrokes();
    const QRect bounds = shownPixels();
    for (const QRect& r : event->region()) {
        const QRect area = r.intersected(inner).translated(-inner.topLeft());
        if (area.isEmpty()) continue;
        // The Image pixels under the area.
        const QRect pixels = QRectF(QPointF(area.topLeft()) * pixelRatio_, QSizeF(area.size()) * pixelRatio_)
                                 .toAlignedRect()
                                 .intersected(bounds);
        if (fromStrokes)
            paintInBands(p, [this](const QRect& band) { return pixelsOf(band).toImage(); }, pixels, pixelRatio_,
                         inner.topLeft());
        else paintInBands(p, image_, pixels, pixelRatio_, inner.topLeft());
    }
    if (border_ == BorderStyle::FixedSingle) paintBorder(p);
}

void PictureBox::paintBorder(QPainter& painter) {
    // Filled edges rather than a pen: a one-pixel frame then covers whole
    // device pixels at any ratio and never the image inside.
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), Qt::black);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Qt::black);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), Qt::black);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), Qt::black);
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

}  // namespace lumeye::ui
