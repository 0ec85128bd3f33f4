#include "core/edit_rules.h"

#include "core/number_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace zorvane::core {

namespace {

// The typed shares as a whole number clamped to 32 bits. Reading stops at the
// first byte that is no digit; digits beyond the 32-bit range only push the
// value further out, so the reading saturates instead of wrapping around.
std::int32_t read_share_count(std::string_view text) {
    const auto [start, negative] = skip_space_and_sign(text);
    constexpr std::int64_t beyond = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (std::size_t i = start; i < text.size() && is_digit(text[i]); ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), beyond);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, lowest, highest));
}

Text empty_when_zero(Text text) {
    return text == "0" ? Text{} : text;
}

} // namespace

bool accepts_typed(InputRule rule, char typed) {
    const bool digit_or_minus = is_digit(typed) || typed == '-';
    switch (rule) {
    case InputRule::any:
        return true;
    case InputRule::stock_code:
    case InputRule::share_count:
        return digit_or_minus;
    case InputRule::cost_price:
        return digit_or_minus || typed == '.';
    }
    return false;
}

int length_limit(InputRule rule) {
    return rule == InputRule::stock_code ? 6 : 0;
}

Text normal_form(InputRule rule, std::string_view text) {
    switch (rule) {
    case InputRule::share_count:
        return empty_when_zero(std::to_string(read_share_count(text)));
    case InputRule::cost_price:
        return empty_when_zero(format_significant(static_cast<double>(parse_number(text)), 6));
    case InputRule::any:
    case InputRule::stock_code:
        break;
    }
    return Text(text);
}

} // namespace zorvane::core
