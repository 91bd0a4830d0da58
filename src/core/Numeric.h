#pragma once

#include <cstdint>
#include <string>

// Conversions with the program's arithmetic rules: reals round to the nearest
// integer with halves going to the even neighbour, and a value that does not
// fit its integer type is an overflow error rather than a wrapped number.
namespace lumeye {

double roundHalfEven(double value);

int16_t toInt16(double value, const std::string& source);
int32_t toInt32(double value, const std::string& source);
uint8_t toByte(double value, const std::string& source);

// Checked 16-bit integer arithmetic for the places where the program counts in
// 16 bits.
int16_t checkedInt16(int64_t value, const std::string& source);

// Real division that treats a zero divisor as an error, as the program's
// arithmetic does, instead of producing an infinity.
double divide(double dividend, double divisor, const std::string& source);

}  // namespace lumeye
