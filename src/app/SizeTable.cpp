#include "app/SizeTable.h"

#include "core/Numeric.h"

#include <cmath>

namespace lumeye::app {
namespace {
// The degrees conversion uses this value of pi, not a more precise one, so
// the table matches the sizes the chart was calibrated with.
constexpr double kPi = 3.1415927;
constexpr double kDistances[9] = {0, 30000, 18000, 12000, 9000, 6000, 4500, 3000, 2500};
}  // namespace

double RowDistanceMM(int row) { return kDistances[row]; }

void BuildSizeTable(SizeTable& table, int16_t width, int16_t height, bool screenSizeKnown,
                    int fullScreenX, int fullScreenY, const std::string& errorSource) {
    table.LetterSizes.fill(0.0);
    if (!screenSizeKnown) return;
    table.FullScreenX = static_cast<float>(fullScreenX);
    table.FullScreenY = static_cast<float>(fullScreenY);
    table.PixelsPerMMX = divide(table.FullScreenX, width, errorSource);
    table.PixelsPerMMY = divide(table.FullScreenY, height, errorSource);
    const double half = width / 2.0;
    // Five times the width in 32 bits, so widths above 6553 mm work too.
    const int32_t fiveWidths = 5 * static_cast<int32_t>(width);
    for (int n = 1; n <= 8; ++n) {
        const double angle = std::atan(half / RowDistanceMM(n)) * 180.0 / kPi;
        table.LetterSizes[n] = divide(fiveWidths, angle * 2.0 * 60.0, errorSource);
    }
}

}  // namespace lumeye::app
