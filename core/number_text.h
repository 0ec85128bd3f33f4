#pragma once

// Reading and writing numbers the way the program does; shared by the text
// operations and the edit boxes' normal forms.

#include "core/text.h"

#include <cstddef>

namespace zorvane::core {

bool is_digit(char c);

// Index of the first byte after the digits that start at i.
std::size_t skip_digits(std::string_view text, std::size_t i);

struct NumberStart {
    std::size_t digits_at; // index of the first byte after white space and sign
    bool negative;
};

// Skips the leading C white space (space, tab, LF, VT, FF, CR) and one "+"
// or "-" where a number begins.
NumberStart skip_space_and_sign(std::string_view text);

// The value like the C format "%.<digits>g" with three exponent digits:
// rounded to `digits` significant digits (a next digit of 5 or more rounds
// up), plain when the exponent e lies in -4 <= e < digits and "d.ddde+XXX"
// otherwise, trailing fraction zeros removed, and zero never written "-0".
// digits is 1 to 17.
Text format_significant(double value, int digits);

} // namespace zorvane::core
