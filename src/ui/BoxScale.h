#pragma once

#include "ui/Control.h"

#include <QRegion>
#include <QSize>

#include <optional>

namespace lumeye::ui {

// How a picture box's coordinates map onto the pixels of its image: in
// pixels they count image pixels; in layout units they keep their physical
// size, pixelRatio image pixels making one screen pixel. Pixel positions
// round to the nearest pixel, halves to even.
struct BoxScale {
    ScaleMode mode = ScaleMode::Twips;
    double pixelRatio = 1.0;

    int toPixelX(double units) const;
    int toPixelY(double units) const;
    double toUnitsX(double pixels) const;
    double toUnitsY(double pixels) const;
};

// The screen pixels a box's inner area needs to show this many image pixels.
QSize areaFor(const QSize& pixels, double pixelRatio);
// The image pixels an inner area of `area` screen pixels holds. A box sized
// for `exact` image pixels (not always a whole number of screen pixels)
// holds exactly those while its area is the one they need.
QSize pixelsIn(const QSize& area, double pixelRatio, const std::optional<QSize>& exact);
// The device pixels that show an area of a widget: every one it touches.
QRegion devicePixelsOf(const QRegion& area, double pixelRatio);

}  // namespace lumeye::ui
