#include "print/PrintPicture.h"

#include "print/PrintScale.h"

namespace lumeye::print {

void PrintPicture(const QImage& picture, PageSurface& page) {
    const Dib4 dib = toDib4(picture);
    const auto target =
        cardPlacement(page.HorzRes(), page.VertRes(), dib.width(), dib.height(), "Picprint.PrintPicture");
    if (target) page.StretchDIBits(*target, dib);
}

}  // namespace lumeye::print
