#include "print/PrintScale.h"

#include "core/Numeric.h"

namespace lumeye::print {
int32_t printScale(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height, const std::string& errorSource) {
    int32_t scale = toInt32(divide(horzRes, width, errorSource), errorSource);
    const double available = static_cast<double>(vertRes) - (static_cast<double>(height) + kCardTopGap);
    const double rows = divide(available, height, errorSource);
    if (rows < scale) scale = toInt32(rows, errorSource);
    return scale;
}

std::optional<QRect> cardPlacement(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height,
                                   const std::string& errorSource) {
    const int32_t scale = printScale(horzRes, vertRes, width, height, errorSource);
    if (scale < 2) return std::nullopt;
    return QRect(0, height + kCardTopGap, toInt32(width * double(scale) / 2.0, errorSource),
                 toInt32(height * double(scale) / 2.0, errorSource));
}

}  // namespace lumeye::print
