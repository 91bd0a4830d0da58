#pragma once

#include <string_view>

namespace lumeye::app {

// Reads the number at the start of a typed answer. Blanks, tabs and line feeds
// anywhere are ignored; then an optional sign, digits, an optional decimal
// point with digits and an optional exponent (E or D) are read, up to the
// first character that cannot continue the number. "300mm" reads 300,
// "3 03" reads 303, and an answer with no leading number reads 0. A number
// too large for a double reads as an infinity.
double ReadAnswer(std::string_view answer);

}  // namespace lumeye::app
