#pragma once

#include "app/State.h"

#include <cstdint>
#include <string>

namespace lumeye::app {

// Viewing distance in millimetres for chart row n (1 to 8): 500 times the
// denominator of the row's acuity line.
double RowDistanceMM(int row);

// Fills the letter-height table from the screen width: entry n is the height
// that subtends five minutes of arc at distance d(n), in proportion to the
// screen width. Also records the full-screen client size and the pixels per
// millimetre. Entries start at 0; when the size is not known nothing more is
// done. A zero dimension throws lumeye::Error (division by zero) after the
// table was cleared. Errors name errorSource as their routine.
void BuildSizeTable(SizeTable& table, int16_t width, int16_t height, bool screenSizeKnown,
                    int fullScreenX, int fullScreenY, const std::string& errorSource);

}  // namespace lumeye::app
