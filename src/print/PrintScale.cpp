#include "print/PrintScale.h"

#include "core/Numeric.h"

namespace lumeye::print {
namespace {
const std::string kSource = "Picprint.PrintPicture";
}

int32_t printScale(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height) {
    int32_t scale = toInt32(divide(horzRes, width, kSource), kSource);
    const double available = static_cast<double>(vertRes) - (static_cast<double>(height) + kCardTopGap);
    const double rows = divide(available, height, kSource);
    if (rows < scale) scale = toInt32(rows, kSource);
    return scale;
}

std::optional<QRect> cardPlacement(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height) {
    const int32_t scale = printScale(horzRes, vertRes, width, height);
    if (scale < 2) return std::nullopt;
    return QRect(0, height + kCardTopGap, toInt32(width * double(scale) / 2.0, kSource),
                 toInt32(height * double(scale) / 2.0, kSource));
}

}  // namespace lumeye::print
