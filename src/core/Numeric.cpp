#include "core/Numeric.h"

#include "core/Error.h"

#include <cmath>
#include <limits>

namespace lumeye {

double roundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; do not rely on that.
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

namespace {
template <typename Int>
Int toChecked(double value, const std::string& source) {
    if (std::isnan(value)) throw overflowError(source);
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throw overflowError(source);
    return static_cast<Int>(r);
}
}  // namespace

int16_t toInt16(double value, const std::string& source) { return toChecked<int16_t>(value, source); }
int32_t toInt32(double value, const std::string& source) { return toChecked<int32_t>(value, source); }
uint8_t toByte(double value, const std::string& source) { return toChecked<uint8_t>(value, source); }

int16_t checkedInt16(int64_t value, const std::string& source) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw overflowError(source);
    return static_cast<int16_t>(value);
}

double divide(double dividend, double divisor, const std::string& source) {
    if (divisor == 0.0) throw divisionByZeroError(source);
    const double q = dividend / divisor;
    if (!std::isfinite(q)) throw overflowError(source);
    return q;
}

}  // namespace lumeye
