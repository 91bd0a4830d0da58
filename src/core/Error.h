#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumeye {

// Error numbers raised by the program's own routines, by its arithmetic, by
// its files and by the objects of its window toolkit.
namespace ErrorNumber {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t InputPastEndOfFile = 62;
inline constexpr int32_t NoSuchPropertyOrMethod = 438;
// The number the window toolkit gives every failure of its printer object.
inline constexpr int32_t PrinterError = 482;
// Module errors lie above the object-error base, as 0x80040000 + 1001 and + 1002.
inline constexpr int32_t ObjectErrorBase = static_cast<int32_t>(0x80040000u);
inline constexpr int32_t InvalidBitsPerPixel = ObjectErrorBase + 1001;  // 0x800403E9
inline constexpr int32_t PaletteMatch = ObjectErrorBase + 1002;         // 0x800403EA
}  // namespace ErrorNumber

// The one error type of the program: a number, a description and the routine
// that raised it, written "Module.Routine".
class Error : public std::runtime_error {
public:
    Error(int32_t number, std::string description, std::string source)
        : std::runtime_error(description), number_(number), description_(std::move(description)),
          source_(std::move(source)) {}

    int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
};

inline Error overflowError(const std::string& source) {
    return Error(ErrorNumber::Overflow, "Overflow", source);
}

inline Error divisionByZeroError(const std::string& source) {
    return Error(ErrorNumber::DivisionByZero, "Division by zero", source);
}

}  // namespace lumeye
