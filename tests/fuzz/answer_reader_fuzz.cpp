// The number read from a typed screen dimension: any text gives a number
// (never NaN), the same number wherever blanks are put and whatever follows
// the number, and the 16-bit conversion the dialogue makes either gives a
// value or raises the overflow error.
#include "FuzzInput.h"

#include "app/AnswerReader.h"
#include "core/Error.h"
#include "core/Numeric.h"

#include <cmath>
#include <string>

using namespace lumeye;

namespace {
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool plainInteger(const std::string& s) {
    size_t i = s[0] == '+' || s[0] == '-' ? 1 : 0;
    if (i >= s.size() || s.size() - i > 15) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const size_t blankAt = input.byte();
    const char blank = " \t\n"[input.byte() % 3];
    const std::string answer(input.rest());

    const double value = app::ReadAnswer(answer);
    FUZZ_CHECK(!std::isnan(value));

    // Blanks, tabs and line feeds anywhere are ignored.
    std::string blanked = answer;
    blanked.insert(blankAt % (answer.size() + 1), 1, blank);
    FUZZ_CHECK(same(app::ReadAnswer(blanked), value));
    // Reading stops at the first character that cannot continue the number.
    FUZZ_CHECK(same(app::ReadAnswer(answer + "mm"), value));

    // Digits alone read as the integer they spell.
    std::string compact;
    for (char c : answer)
        if (c != ' ' && c != '\t' && c != '\n') compact.push_back(c);
    if (!compact.empty() && plainInteger(compact)) FUZZ_CHECK(value == std::stod(compact));

    try {
        const int16_t mm = toInt16(value, "MainForm.ScreenSize");
        FUZZ_CHECK(std::fabs(mm - value) <= 0.5);
    } catch (const Error& e) {
        FUZZ_CHECK(e.number() == ErrorNumber::Overflow);
        FUZZ_CHECK(!(std::fabs(value) < 32767.5));
    }
    return 0;
}
