#include "base/Numbers.h"

#include "base/Errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace base {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double StrToFloat(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // from_chars would accept "inf", "nan" and hexadecimal forms; a price is none of these.
    const bool startsLikeNumber =
        !digits.empty() && (IsDigit(digits.front()) ||
                            (digits.front() == '.' && digits.size() > 1 && IsDigit(digits[1])));
    double value = 0;
    if (startsLikeNumber) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                               std::chars_format::general);
        if (ec == std::errc() && end == digits.data() + digits.size()) {
            return negative ? -value : value;
        }
    }
    throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

int32_t StrToInt(std::string_view text) {
    std::string_view digits = TrimBlanks(text);
    if (digits.size() > 1 && digits.front() == '+' && IsDigit(digits[1])) {
        digits.remove_prefix(1);
    }
    int32_t value = 0;
    if (!digits.empty()) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec == std::errc() && end == digits.data() + digits.size()) {
            return value;
        }
    }
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::string FormatGeneral(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "INF" : "-INF";
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    // %g always uses a full stop in the "C" locale, but the process locale may differ.
    std::string text(buffer);
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    const size_t e = text.find('e');
    if (e == std::string::npos) {
        return text;
    }
    // "1e+20" -> "1E20", "1e-07" -> "1E-7"
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    const bool negativeExponent = exponent.front() == '-';
    exponent.erase(0, 1);
    exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
    return mantissa + "E" + (negativeExponent ? "-" : "") + exponent;
}

std::string FormatFixed(double value, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    return text;
}

int64_t RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        rounded = floor + 1.0;
    }
    return static_cast<int64_t>(rounded);
}

}  // namespace base
