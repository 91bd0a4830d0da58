#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace lumeye::ui {

// Coordinate unit of a form or picture box: layout units (1/1440 inch) or pixels.
enum class ScaleMode { Twips = 1, Pixels = 3 };

ScaleMode scaleModeOf(const QWidget* container);
void setScaleModeOf(QWidget* container, ScaleMode mode);

// Lengths in a coordinate unit and in pixels. Where an image holds
// pixelRatio pixels per screen pixel, pixels are the image's: layout units
// keep their physical size and a pixel stays one pixel of the image.
double unitsToPixelsX(ScaleMode mode, double units, double pixelRatio = 1.0);
double unitsToPixelsY(ScaleMode mode, double units, double pixelRatio = 1.0);
double pixelsToUnitsX(ScaleMode mode, double pixels, double pixelRatio = 1.0);
double pixelsToUnitsY(ScaleMode mode, double pixels, double pixelRatio = 1.0);
// The nearest whole pixel, halves to even.
int wholePixels(double pixels);

// One control of a form as the rescaling code sees it: geometry in the unit of
// its container, relative to the container, and a font size in points. Every
// member throws a lumeye::Error (438, "Object doesn't support this property or
// method") when the control lacks that property, as menu entries lack
// geometry, so callers can pass over what does not apply.
class Control {
public:
    explicit Control(QObject* object);

    QObject* object() const { return object_; }
    QString Name() const;
    bool isComboBox() const;

    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double value);
    void setTop(double value);
    void setWidth(double value);
    void Move(double left, double top, double width, double height);

    double FontSize() const;
    void setFontSize(double points);

private:
    QWidget* widgetOrThrow(const char* property) const;
    QPointer<QObject> object_;
};

// Geometry of a widget in its container's unit: the conversions used above,
// also for laying out forms from their design.
double toContainerUnitsX(const QWidget* widget, int pixels);
double toContainerUnitsY(const QWidget* widget, int pixels);
int fromContainerUnitsX(const QWidget* widget, double units);
int fromContainerUnitsY(const QWidget* widget, double units);

// Places a widget at a design position given in layout units.
void placeTwips(QWidget* widget, double left, double top, double width, double height);

// The forms are designed in pixels of a 96 dots-per-inch screen: 15 layout units each.
inline constexpr double kTwipsPerDesignPixel = 15.0;
// Places a widget at a design position given in design pixels.
void placeDesign(QWidget* widget, int left, int top, int width, int height);

}  // namespace lumeye::ui
