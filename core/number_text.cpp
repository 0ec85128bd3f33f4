#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace zorvane::core {

namespace {

// Enough digits after the point to write every double exactly in scientific
// form (the longest needs 767 significant digits).
constexpr int exact_precision = 770;

void trim_fraction_zeros(Text& number) {
    if (number.find('.') == Text::npos) {
        return;
    }
    while (number.back() == '0') {
        number.pop_back();
    }
    if (number.back() == '.') {
        number.pop_back();
    }
}

bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_digits(std::string_view text, std::size_t i) {
    while (i < text.size() && is_digit(text[i])) {
        ++i;
    }
    return i;
}

NumberStart skip_space_and_sign(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_c_space(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return {i, negative};
}

Text format_significant(double value, int digits) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    if (value == 0.0) {
        return "0";
    }
    const auto count = static_cast<std::size_t>(std::clamp(digits, 1, 17));

    // The exact decimal digits of the magnitude, then rounded by hand: the C
    // library would round an exact tie to even, the program rounds it up.
    std::string exact(exact_precision + 16, '\0');
    const auto written = std::to_chars(exact.data(), exact.data() + exact.size(), std::fabs(value),
                                       std::chars_format::scientific, exact_precision);
    exact.resize(static_cast<std::size_t>(written.ptr - exact.data()));
    const std::size_t e_at = exact.find('e');
    int exponent = std::stoi(exact.substr(e_at + 1));
    std::string mantissa = exact.substr(0, 1) + exact.substr(2, e_at - 2);

    const bool round_up = mantissa[count] >= '5';
    mantissa.resize(count);
    if (round_up) {
        std::size_t i = count;
        while (i > 0 && mantissa[i - 1] == '9') {
            mantissa[--i] = '0';
        }
        if (i == 0) {
            mantissa.insert(mantissa.begin(), '1');
            mantissa.pop_back();
            ++exponent;
        } else {
            ++mantissa[i - 1];
        }
    }

    Text result = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent < static_cast<int>(count)) {
        Text plain;
        if (exponent < 0) {
            plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
        } else {
            const auto int_digits = static_cast<std::size_t>(exponent) + 1;
            plain = mantissa.substr(0, int_digits) + "." + mantissa.substr(int_digits);
        }
        trim_fraction_zeros(plain);
        return result + plain;
    }
    Text scientific = mantissa.substr(0, 1) + "." + mantissa.substr(1);
    trim_fraction_zeros(scientific);
    const int magnitude = exponent < 0 ? -exponent : exponent;
    Text exponent_digits = std::to_string(magnitude);
    if (exponent_digits.size() < 3) {
        exponent_digits.insert(0, 3 - exponent_digits.size(), '0');
    }
    return result + scientific + (exponent < 0 ? "e-" : "e+") + exponent_digits;
}

} // namespace zorvane::core
