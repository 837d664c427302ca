#include "common/NumberText.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace ondrix {

std::string NumberDigits(double value, Precision precision) {
    if (value == 0.0) {
        return "0"; // also "-0"
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, precision == Precision::Single ? "%.7G" : "%.15G", value);
    std::string text(buffer);
    // No zero before the point: "0.5" -> ".5", "-0.25" -> "-.25".
    const std::size_t digits = (text[0] == '-') ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == '0' && text[digits + 1] == '.') {
        text.erase(digits, 1);
    }
    return text;
}

std::string NumberText(double value, Precision precision) {
    std::string digits = NumberDigits(value, precision);
    return digits[0] == '-' ? digits : " " + digits;
}

std::string BareNumberText(double value, Precision precision) {
    return NumberDigits(value, precision);
}

std::string LogItemText(double value, Precision precision) {
    return NumberText(value, precision) + " ";
}

double TextValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string number = "0";
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
        } else if (c == '.' && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = DBL_MAX;
    }
    return negative ? -value : value;
}

} // namespace ondrix
