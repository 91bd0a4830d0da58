#include "app/AnswerReader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lumeye::app {
namespace {
bool isIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

double ReadAnswer(std::string_view answer) {
    std::string s;
    s.reserve(answer.size());
    for (char c : answer)
        if (!isIgnored(c)) s.push_back(c);

    // Find the longest prefix that forms a number.
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) { number.push_back(s[i++]); ++digits; }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && isDigit(s[i])) { number.push_back(s[i++]); ++digits; }
    }
    if (digits == 0) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        const std::size_t expStart = j;
        while (j < s.size() && isDigit(s[j])) exponent.push_back(s[j++]);
        if (j > expStart) number += exponent;
    }

    const char* first = number.data();
    if (*first == '+') ++first;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Either too large (an infinity) or too small (zero); from_chars leaves
        // value untouched, so decide from the exponent's sign.
        const bool tiny = number.find("e-") != std::string::npos;
        const bool negative = number[0] == '-';
        if (tiny) return negative ? -0.0 : 0.0;
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    return value;
}

}  // namespace lumeye::app
