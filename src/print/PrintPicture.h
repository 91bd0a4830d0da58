#pragma once

#include "print/PageSurface.h"

#include <QImage>

namespace lumeye::print {

// Draws the card picture onto a page that the caller has started and will
// end: converted to a 4-bit DIB and stretched once, at the place and scale
// cardPlacement() gives for the page's printable size; nothing when the page
// is too small for a scale of 2. Prints nothing else and reports nothing.
void PrintPicture(const QImage& picture, PageSurface& page);

}  // namespace lumeye::print
