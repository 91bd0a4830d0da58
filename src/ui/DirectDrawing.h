#pragma once

#include "display/WindowSurface.h"
#include "ui/DeviceBitmap.h"

#include <QRegion>
#include <QWidget>

#include <memory>
#include <optional>

namespace lumeye::ui {

// A widget's pixels sent to its own window by the display (see
// display::WindowSurface), in the display's own pixel layout. The display is
// asked about the window once, when it is first drawn on; a window made anew
// is asked about again.
class DirectDrawing {
public:
    // Whether the display takes the layout's pixels as they lie.
    static bool possibleFor(PixelLayout layout);

    // Whether the widget's window takes the layout's pixels as they lie: when
    // not, the widget is to be drawn through Qt.
    bool begin(const QWidget& widget, PixelLayout layout);
    // After begin: fills an area, or sends a bitmap's area with its top-left pixel at `at`.
    void fill(const QRegion& area, QRgb colour);
    void put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at);

private:
    std::unique_ptr<display::WindowSurface> surface_;
    WId window_ = 0;
    PixelLayout layout_ = PixelLayout::Bgrx32;
};

}  // namespace lumeye::ui
