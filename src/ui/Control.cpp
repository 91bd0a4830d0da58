#include "ui/Control.h"

#include "core/Error.h"
#include "core/Numeric.h"
#include "ui/Screen.h"

#include <QComboBox>
#include <QWidget>

namespace lumeye::ui {
namespace {
constexpr const char* kScaleModeProperty = "lumeyeScaleMode";

// The unit of a widget's container; a top-level widget is placed in layout units.
ScaleMode containerMode(const QWidget* widget) {
    const QWidget* container = widget->parentWidget();
    return container ? scaleModeOf(container) : ScaleMode::Twips;
}
}  // namespace

ScaleMode scaleModeOf(const QWidget* container) {
    const QVariant v = container->property(kScaleModeProperty);
    return v.isValid() ? static_cast<ScaleMode>(v.toInt()) : ScaleMode::Twips;
}

void setScaleModeOf(QWidget* container, ScaleMode mode) {
    container->setProperty(kScaleModeProperty, static_cast<int>(mode));
}

double unitsToPixelsX(ScaleMode mode, double units, double pixelRatio) {
    return mode == ScaleMode::Pixels ? units : twipsToPixelsX(units) * pixelRatio;
}
double unitsToPixelsY(ScaleMode mode, double units, double pixelRatio) {
    return mode == ScaleMode::Pixels ? units : twipsToPixelsY(units) * pixelRatio;
}
double pixelsToUnitsX(ScaleMode mode, double pixels, double pixelRatio) {
    return mode == ScaleMode::Pixels ? pixels : pixelsToTwipsX(pixels / pixelRatio);
}
double pixelsToUnitsY(ScaleMode mode, double pixels, double pixelRatio) {
    return mode == ScaleMode::Pixels ? pixels : pixelsToTwipsY(pixels / pixelRatio);
}

int wholePixels(double pixels) { return static_cast<int>(roundHalfEven(pixels)); }

double toContainerUnitsX(const QWidget* widget, int pixels) { return pixelsToUnitsX(containerMode(widget), pixels); }
double toContainerUnitsY(const QWidget* widget, int pixels) { return pixelsToUnitsY(containerMode(widget), pixels); }
int fromContainerUnitsX(const QWidget* widget, double units) {
    return wholePixels(unitsToPixelsX(containerMode(widget), units));
}
int fromContainerUnitsY(const QWidget* widget, double units) {
    return wholePixels(unitsToPixelsY(containerMode(widget), units));
}

void placeTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(wholePixels(twipsToPixelsX(left)), wholePixels(twipsToPixelsY(top)),
                        wholePixels(twipsToPixelsX(width)), wholePixels(twipsToPixelsY(height)));
}

void placeDesign(QWidget* widget, int left, int top, int width, int height) {
    placeTwips(widget, left * kTwipsPerDesignPixel, top * kTwipsPerDesignPixel, width * kTwipsPerDesignPixel,
               height * kTwipsPerDesignPixel);
}

Control::Control(QObject* object) : object_(object) {}

QString Control::Name() const { return object_ ? object_->objectName() : QString(); }

bool Control::isComboBox() const { return qobject_cast<QComboBox*>(object_.data()) != nullptr; }

QWidget* Control::widgetOrThrow(const char* property) const {
    auto* w = qobject_cast<QWidget*>(object_.data());
    if (!w)
        throw Error(ErrorNumber::NoSuchPropertyOrMethod, "Object doesn't support this property or method",
                    Name().toStdString() + "." + property);
    return w;
}

double Control::Left() const { auto* w = widgetOrThrow("Left"); return toContainerUnitsX(w, w->x()); }
double Control::Top() const { auto* w = widgetOrThrow("Top"); return toContainerUnitsY(w, w->y()); }
double Control::Width() const { auto* w = widgetOrThrow("Width"); return toContainerUnitsX(w, w->width()); }
double Control::Height() const { auto* w = widgetOrThrow("Height"); return toContainerUnitsY(w, w->height()); }

void Control::setLeft(double value) {
    auto* w = widgetOrThrow("Left");
    w->move(fromContainerUnitsX(w, value), w->y());
}
void Control::setTop(double value) {
    auto* w = widgetOrThrow("Top");
    w->move(w->x(), fromContainerUnitsY(w, value));
}
void Control::setWidth(double value) {
    auto* w = widgetOrThrow("Width");
    w->resize(fromContainerUnitsX(w, value), w->height());
}

void Control::Move(double left, double top, double width, double height) {
    auto* w = widgetOrThrow("Move");
    w->setGeometry(fromContainerUnitsX(w, left), fromContainerUnitsY(w, top),
                   fromContainerUnitsX(w, width), fromContainerUnitsY(w, height));
}

double Control::FontSize() const { return widgetOrThrow("FontSize")->font().pointSizeF(); }

void Control::setFontSize(double points) {
    auto* w = widgetOrThrow("FontSize");
    QFont f = w->font();
    f.setPointSizeF(points);
    w->setFont(f);
}

}  // namespace lumeye::ui
