#pragma once

#include "ui/BoxScale.h"
#include "ui/Control.h"
#include "ui/DeviceBitmap.h"
#include "ui/Palette.h"
#include "ui/ServerDrawn.h"
#include "ui/StdPicture.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace lumeye::ui {

// A picture box: a drawing surface with a persistent image (Image) kept in the
// display's own pixel format, and a displayed picture (Picture) that forms the
// background of that image.
//
// Everything drawn lands in Image (a box that keeps strokes keeps the drawing
// calls instead: see setKeepsStrokes), which is what the box shows,
// pixel for pixel with no smoothing; Image always has the size of the inner area (the
// box less its border). Coordinates of the drawing calls, CurrentX/CurrentY and
// ScaleWidth/ScaleHeight are in the box's own coordinate unit (layout units
// unless set to pixels); controls placed inside the box are measured in the
// same unit. The top-left pixel is (0, 0) in either unit. Fractional
// positions round to the nearest pixel, halves to even.
//
// Image takes the display's pixel format (ui::Screen::info()) when it is
// first used and again whenever the box's size or the display's format has
// changed; its contents are kept where the sizes overlap.
//
// On a high-density screen a box can draw at the device's own resolution:
// with a pixel ratio r, Image holds r device pixels per pixel of the box on
// screen, its pixel coordinates count those device pixels, and it is shown
// one to one on the device. Layout units and point sizes keep their
// physical size.
//
// The box itself keeps the image and the properties; the coordinates map
// through BoxScale, the drawing calls are those of ui/ImageDrawing, the keys
// it reports come from ui/KeyCodes and it repaints through ui/BandedPaint.
class PictureBox : public ServerDrawn<QWidget> {
    Q_OBJECT
public:
    enum class BorderStyle { None = 0, FixedSingle = 1 }; // FixedSingle: 1-pixel black frame

    explicit PictureBox(QWidget* parent = nullptr);

    // Coordinates.
    ScaleMode scaleMode() const;
    void setScaleMode(ScaleMode mode);
    double ScaleLeft() const { return 0.0; }
    double ScaleTop() const { return 0.0; }
    // Inner area in the box's unit.
    double ScaleWidth() const;
    double ScaleHeight() const;
    // Pixels of Image per pixel of the box on screen (1 unless set).
    double pixelRatio() const { return pixelRatio_; }
    void setPixelRatio(double ratio);
    // Sizes the box so that its inner area holds exactly this many pixels of
    // Image, also where they are not a whole number of screen pixels.
    void setInnerPixels(int width, int height);
    BorderStyle borderStyle() const { return border_; }
    void setBorderStyle(BorderStyle style);

    // Appearance. Setting BackColor clears the box, as Cls does. Fonts are
    // design faces ("verdana" ...) resolved through ui::designFont.
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& colour);
    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& colour);
    QString FontName() const { return fontName_; }
    void setFontName(const QString& face);
    double FontSize() const;
    void setFontSize(double points);
    // Pen width in pixels for Line, at least 1.
    int DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int pixels);
    // Whether the form wants its drawing kept: the box always keeps it in
    // Image (the screen is repainted from there), so this is recorded only.
    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    // When on, setting a picture sizes the box to it (plus the border).
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    // The displayed picture. Setting it sizes the box when AutoSize is on,
    // then clears Image to BackColor with the picture at its top left.
    // To keep what was drawn as the picture: box.setPicture(StdPicture(box.Image())).
    const StdPicture& Picture() const { return picture_; }
    void setPicture(const StdPicture& picture);

    // The persistent image in the display's format. Writing its bits
    // (SetBitmapBits) shows on screen at the next Refresh.
    DeviceBitmap& Image();
    const DeviceBitmap& Image() const;
    // The drawing context, with the picture's palette selected.
    DeviceContext hDC() const { return DeviceContext{picture_.hPal()}; }

    // Text position for Print.
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }

    // Clears Image to BackColor and draws the picture at the top left;
    // CurrentX and CurrentY go back to 0.
    void Cls();
    // Paints a picture with its top-left at (x, y), at the given size (default:
    // its own). At its own size the pixels are copied one to one; another size
    // repeats or drops pixels (nearest pixel), never blends.
    void PaintPicture(const StdPicture& picture, double x, double y, std::optional<double> width = std::nullopt,
                      std::optional<double> height = std::nullopt);
    // Paints a bitmap at its own size, pixel for pixel (a copy of its rows
    // when it is in Image's format).
    void PaintPicture(const DeviceBitmap& bitmap, double x, double y);
    // The same for a bitmap that does not change: a canvas that keeps what
    // was drawn keeps it without a copy.
    void PaintPicture(std::shared_ptr<const DeviceBitmap> bitmap, double x, double y);
    // Prints one line of text in ForeColor with FontName/FontSize, the top of
    // the line at CurrentY, its left at CurrentX, on a transparent background;
    // then CurrentX goes to 0 and CurrentY down by the line's height.
    void Print(const QString& text);
    // A line in ForeColor, DrawWidth pixels wide with round ends, centred on
    // the points, not smoothed.
    void Line(double x1, double y1, double x2, double y2);
    // Fills the box spanned by two corners (both included) with a colour.
    void FillBox(double x1, double y1, double x2, double y2, const QColor& colour);
    // The colour of one pixel; an invalid colour outside the image.
    QColor Point(double x, double y) const;
    // Sets one pixel to the nearest colour the display holds; nothing outside.
    void PSet(double x, double y, const QColor& colour);

    // Position 0 brings the box to the front of its siblings, 1 sends it back.
    void ZOrder(int position = 0);
    // Repaints the box on screen now from Image.
    void Refresh();
    // For a canvas that covers the screen: the box keeps only what was drawn
    // (pictures, text, lines, boxes) to show it again from, and Image is made
    // when asked for, kept until the next Cls. The screen's pixels are then
    // held once: in Qt's backing store, or nowhere of ours where the X server
    // draws the box (setDrawnByServer), which fills what is still BackColor
    // and is sent only the areas drawn on, made from what was kept. The
    // server draws a box without its border (a canvas has none).
    void setKeepsStrokes(bool on);

signals:
    // A key pressed while the box has the focus: its key code (27 Escape,
    // 13 Enter, 32 Space, 65-90 letters, 37-40 arrows ...) and the modifiers
    // held (1 Shift, 2 Ctrl, 4 Alt).
    void keyDown(int keyCode, int shift);
    void dblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // A picture box shows nothing of its focus, so gaining or losing it
    // repaints nothing (a canvas may cover the whole screen).
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}

private:
    // One drawing call, kept to be drawn again.
    struct Stroke {
        enum class Kind { Picture, Bitmap, Text, Line, Fill } kind;
        QRect area{};     // drawn on, in pixels of Image, unclipped
        QImage picture{}; // drawn at the area's size
        std::shared_ptr<const DeviceBitmap> bitmap{}; // drawn pixel for pixel
        QPointF origin{}; // text
        QString text{};
        QFont font{};
        double pixelRatio = 1.0;
        QPoint from{};    // line
        QPoint to{};
        QColor colour{};
        int width = 1;
    };
    static void drawStroke(DeviceBitmap& target, const Stroke& stroke, const QPoint& offset);
    // True while drawing calls are kept as strokes rather than drawn on Image.
    bool keepingStrokes() const { return keepsStrokes_ && image_.isNull(); }
    void keepStroke(Stroke stroke);
    // The box's pixels in an area of Image, made from the picture and the strokes.
    DeviceBitmap pixelsOf(const QRect& area) const;
    // The kept bitmap of the layout that alone shows in an area, if one does.
    const Stroke* bitmapShowing(const QRect& area, PixelLayout layout) const;

    BoxScale scale() const { return {scaleMode(), pixelRatio_}; }
    // The inner area in pixels of Image.
    QSize innerPixels() const;
    DeviceBitmap& surface() const;
    void clearSurface();
    // Records an area of Image as drawn on and repaints the part of the box that shows it.
    void showArea(const QRect& area);
    // Where a bitmap painted at (x, y) lies, in pixels of Image.
    QRect bitmapArea(const DeviceBitmap& bitmap, double x, double y) const;
    QRegion pictureArea() const;
    // The pixels of Image the box shows: all of it, made or kept as strokes.
    QRect shownPixels() const;
    void drawThroughServer(const QRegion& exposed);
    void paintBorder(QPainter& painter);

    mutable DeviceBitmap image_;
    StdPicture picture_;
    QColor backColor_;
    QColor foreColor_ = Qt::black;
    QString fontName_;
    int drawWidth_ = 1;
    double pixelRatio_ = 1.0;
    std::optional<QSize> exactInner_; // set by setInnerPixels while the box keeps that size
    bool autoRedraw_ = false;
    bool autoSize_ = false;
    bool keepsStrokes_ = false;
    mutable std::vector<Stroke> strokes_;
    // Where Image may differ from BackColor, in its pixels.
    mutable QRegion drawnOn_;
    BorderStyle border_ = BorderStyle::FixedSingle;
    double currentX_ = 0.0;
    double currentY_ = 0.0;
};

}  // namespace lumeye::ui
