#pragma once

#include "print/Dib.h"

#include <QRect>

#include <cstdint>

namespace lumeye::print {

// A printer page as the card rendering sees it: the size of its printable
// area in device pixels, and one drawing call that stretches a 4-bit DIB onto
// it. Coordinates are device pixels from the top left of the printable area.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    virtual int32_t HorzRes() const = 0;
    virtual int32_t VertRes() const = 0;
    // Draws the whole DIB into the target rectangle, scaled to fit it, each
    // device pixel taking the colour of the DIB pixel it falls on.
    virtual void StretchDIBits(const QRect& target, const Dib4& dib) = 0;
};

}  // namespace lumeye::print
