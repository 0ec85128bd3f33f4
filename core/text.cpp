#include "core/text.h"

#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace zorvane::core {

namespace {

using Size = std::string_view::size_type;

unsigned char byte_at(std::string_view text, Size i) {
    return static_cast<unsigned char>(text[i]);
}

bool is_lead_byte(unsigned char byte) {
    return byte >= 0x80;
}

// Bytes taken by the character at i: two after a lead byte, one otherwise, and
// one for a lead byte that is the last byte of the text.
Size char_width(std::string_view text, Size i) {
    return is_lead_byte(byte_at(text, i)) && i + 1 < text.size() ? 2 : 1;
}

char fold_ascii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matches_at(std::string_view text, Size i, std::string_view sought, bool ignore_case) {
    const std::string_view candidate = text.substr(i, sought.size());
    if (!ignore_case) {
        return candidate == sought;
    }
    return std::equal(candidate.begin(), candidate.end(), sought.begin(), sought.end(),
                      [](char a, char b) { return fold_ascii(a) == fold_ascii(b); });
}

// Visits the candidate positions of a character-stepping search from byte
// `from` on, in order, while at least `need` bytes remain; stops early when
// `visit` returns true. A match never begins on a trail byte, and a lead byte
// as the last byte ends the walk, since its character would run off the end.
template <typename Visit>
void walk_candidates(std::string_view text, Size from, Size need, Visit visit) {
    for (Size i = from; i < text.size() && text.size() - i >= need;) {
        if (visit(i)) {
            return;
        }
        i += 2;
        if (!is_lead_byte(byte_at(text, i - 2))) {
            --i;
        }
    }
}

bool is_full_width_space(std::string_view text, Size i) {
    return byte_at(text, i) == 0xA1 && i + 1 < text.size() && byte_at(text, i + 1) == 0xA1;
}

// Width of the space character at i (ASCII or full-width), or 0 when the
// character at i is no space.
Size space_width(std::string_view text, Size i) {
    if (text[i] == ' ') {
        return 1;
    }
    return is_full_width_space(text, i) ? 2 : 0;
}

Text map_ascii_letters(std::string_view text, char from, char to) {
    Text result(text);
    for (Size i = 0; i < result.size(); i += char_width(text, i)) {
        if (result[i] >= from && result[i] <= to) {
            result[i] = static_cast<char>(result[i] - from + (from == 'a' ? 'A' : 'a'));
        }
    }
    return result;
}

// The bytes before a 1-based start position: none for a start of 1 or less
// (computed without forming start - 1, which the lowest int cannot hold).
Size bytes_before(int start) {
    return start <= 1 ? 0 : static_cast<Size>(start) - 1;
}

Size clamp_count(int n, Size size) {
    return n <= 0 ? 0 : std::min(static_cast<Size>(n), size);
}

} // namespace

int text_len(std::string_view text) {
    return static_cast<int>(text.size());
}

Text text_head(std::string_view text, int n) {
    return Text(text.substr(0, clamp_count(n, text.size())));
}

Text text_tail(std::string_view text, int n) {
    const Size count = clamp_count(n, text.size());
    return Text(text.substr(text.size() - count));
}

Text text_slice(std::string_view text, int start, int n) {
    if (start < 1 || static_cast<Size>(start) > text.size() || n <= 0) {
        return {};
    }
    return Text(text.substr(static_cast<Size>(start) - 1, static_cast<Size>(n)));
}

Text char_of(int code) {
    if (code < 1 || code > 255) {
        return {};
    }
    return Text(1, static_cast<char>(static_cast<unsigned char>(code)));
}

Text space_run(int n) {
    return n < 1 ? Text{} : Text(static_cast<Size>(n), ' ');
}

Text join_texts(std::initializer_list<std::string_view> parts) {
    Size total = 0;
    for (const std::string_view part : parts) {
        total += part.size();
    }
    Text result;
    result.reserve(total);
    for (const std::string_view part : parts) {
        result.append(part);
    }
    return result;
}

int compare_texts(std::string_view a, std::string_view b) {
    // std::string_view compares through char_traits<char>, whose compare works
    // on unsigned bytes.
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int find_forward(std::string_view text, std::string_view sought, int start, bool ignore_case) {
    const Size skip = bytes_before(start);
    if (skip >= text.size()) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    int found = -1;
    walk_candidates(text, skip, sought.size(), [&](Size i) {
        if (matches_at(text, i, sought, ignore_case)) {
            found = static_cast<int>(i) + 1;
            return true;
        }
        return false;
    });
    return found;
}

int find_backward(std::string_view text, std::string_view sought, std::optional<int> start,
                  bool ignore_case) {
    const Size limit = start ? std::min(bytes_before(*start), text.size()) : text.size();
    if (limit == 0) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    const std::string_view searched = text.substr(0, limit);
    int found = -1;
    walk_candidates(searched, 0, sought.size(), [&](Size i) {
        if (matches_at(searched, i, sought, ignore_case)) {
            found = static_cast<int>(i) + 1;
        }
        return false;
    });
    return found;
}

Text ascii_upper(std::string_view text) {
    return map_ascii_letters(text, 'a', 'z');
}

Text ascii_lower(std::string_view text) {
    return map_ascii_letters(text, 'A', 'Z');
}

Text trim_spaces(std::string_view text) {
    Size begin = 0;
    while (begin < text.size()) {
        const Size width = space_width(text, begin);
        if (width == 0) {
            break;
        }
        begin += width;
    }
    // Walk on by characters so that a trail byte is never taken for a space.
    Size end = begin;
    for (Size i = begin; i < text.size();) {
        const Size width = space_width(text, i);
        if (width != 0) {
            i += width;
        } else {
            i += char_width(text, i);
            end = i;
        }
    }
    return Text(text.substr(begin, end - begin));
}

Text strip_all_spaces(std::string_view text) {
    Text result;
    result.reserve(text.size());
    for (Size i = 0; i < text.size();) {
        const Size width = space_width(text, i);
        if (width != 0) {
            i += width;
            continue;
        }
        const Size taken = char_width(text, i);
        result.append(text.substr(i, taken));
        i += taken;
    }
    return result;
}

Text replace_text(std::string_view text, std::string_view sought, std::string_view replacement,
                  int start, std::optional<int> count, bool case_sensitive) {
    const Size skip = bytes_before(start);
    if (text.empty() || sought.empty() || skip >= text.size() || (count && *count == 0)) {
        return Text(text);
    }
    Text result(text.substr(0, skip));
    std::optional<int> left = count;
    Size i = skip;
    while (text.size() - i >= sought.size() && !(left && *left == 0)) {
        if (matches_at(text, i, sought, !case_sensitive)) {
            result.append(replacement);
            i += sought.size();
            if (left) {
                --*left;
            }
        } else {
            const Size taken = char_width(text, i);
            result.append(text.substr(i, taken));
            i += taken;
        }
    }
    result.append(text.substr(i));
    return result;
}

TextArray split_at(std::string_view text, std::string_view separator, std::optional<int> limit) {
    TextArray items;
    if (text.empty() || (limit && *limit <= 0)) {
        return items;
    }
    if (separator.empty()) {
        items.emplace_back(text);
        return items;
    }
    std::optional<int> left = limit;
    Size piece = 0;
    Size i = 0;
    while (i < text.size() && text.size() - i >= separator.size()) {
        if (text.substr(i, separator.size()) == separator) {
            items.emplace_back(text.substr(piece, i - piece));
            i += separator.size();
            piece = i;
            if (left && --*left == 0) {
                return items;
            }
        } else if (is_lead_byte(byte_at(text, i)) && i + 1 == text.size()) {
            break;
        } else {
            i += char_width(text, i);
        }
    }
    if (piece < text.size()) {
        items.emplace_back(text.substr(piece));
    }
    return items;
}

Text fold_full_width(std::string_view text) {
    Text result;
    result.reserve(text.size());
    for (Size i = 0; i < text.size(); ++i) {
        const unsigned char lead = byte_at(text, i);
        if (!is_lead_byte(lead)) {
            result.push_back(text[i]);
            continue;
        }
        if (i + 1 == text.size()) {
            break; // a lead byte without its trail byte is dropped
        }
        const unsigned char trail = byte_at(text, ++i);
        if (lead == 0xA1 && trail == 0xA1) {
            result.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            result.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            result.push_back('*');
        } else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            result.push_back(static_cast<char>(trail - 0x80));
        } else {
            result.push_back(static_cast<char>(lead));
            result.push_back(static_cast<char>(trail));
        }
    }
    return result;
}

std::int32_t parse_integer(std::string_view typed) {
    const Text text = fold_full_width(typed);
    const auto [start, negative] = skip_space_and_sign(text);
    Size i = start;
    // Unsigned arithmetic wraps around in 32 bits, as the reading of codes
    // and page numbers always has.
    std::uint32_t value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        value = value * 10U + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0U - value;
    }
    return static_cast<std::int32_t>(value);
}

namespace {

// The value of digits x 10^exponent when it lies beyond the range of a
// double: infinite when it is large, zero when it is tiny.
double out_of_range_value(std::string_view digits, long long exponent) {
    const Size first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) {
        return 0.0;
    }
    const long long magnitude =
        exponent + static_cast<long long>(digits.size()) - static_cast<long long>(first);
    return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Double to single precision, nearest value with ties to even; values beyond
// the largest single become infinite as IEEE rounding has it.
float nearest_float(double value) {
    // Halfway between the largest single and 2^128: from there on the nearest
    // single (ties to even) is infinity.
    constexpr double overflow_edge = 0x1.ffffffp127;
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (std::fabs(value) >= overflow_edge) {
        constexpr float infinity = std::numeric_limits<float>::infinity();
        return std::signbit(value) ? -infinity : infinity;
    }
    return static_cast<float>(value);
}

} // namespace

float parse_number(std::string_view typed) {
    const Text text = fold_full_width(typed);
    const auto [int_begin, negative] = skip_space_and_sign(text);
    const Size int_end = skip_digits(text, int_begin);
    Size frac_begin = int_end;
    Size frac_end = int_end;
    if (int_end < text.size() && text[int_end] == '.') {
        frac_begin = int_end + 1;
        frac_end = skip_digits(text, frac_begin);
    }
    if (int_end == int_begin && frac_end == frac_begin) {
        return 0.0F;
    }
    // The mantissa's digits without the point, then "e" and the exponent, so
    // that "d" exponents and a leading "+" read like any other.
    Text clean(text.substr(int_begin, int_end - int_begin));
    clean.append(text.substr(frac_begin, frac_end - frac_begin));
    const Size digit_count = clean.size();
    long long exponent = -static_cast<long long>(frac_end - frac_begin);
    Size e = frac_end;
    if (e < text.size() && (text[e] == 'e' || text[e] == 'E' || text[e] == 'd' || text[e] == 'D')) {
        Size j = e + 1;
        bool exp_negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exp_negative = text[j] == '-';
            ++j;
        }
        const Size exp_end = skip_digits(text, j);
        if (exp_end > j) {
            // Exponents this large are far beyond any double; saturating
            // keeps the sum from overflowing.
            long long written = 0;
            for (Size k = j; k < exp_end; ++k) {
                written = std::min(written * 10 + (text[k] - '0'), 100'000'000'000LL);
            }
            exponent += exp_negative ? -written : written;
        }
    }
    clean.push_back('e');
    clean.append(std::to_string(exponent));
    double value = 0.0;
    const auto [end, error] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        value = out_of_range_value(std::string_view(clean).substr(0, digit_count), exponent);
    }
    return nearest_float(negative ? -value : value);
}

namespace {

// 10^n for n >= 0; exact up to 10^22, the largest power of ten a double holds.
double power_of_ten(int n) {
    static constexpr std::array<double, 23> exact = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (n < static_cast<int>(exact.size())) {
        return exact[static_cast<Size>(n)];
    }
    return std::pow(10.0, n);
}

} // namespace

double round_to_places(double value, int places) {
    if (value == 0.0 || std::isnan(value)) {
        return value;
    }
    const bool negative = std::signbit(value);
    double a = std::fabs(value);
    // Beyond 400 places the scale is infinite either way; the clamp also
    // keeps the negation of the lowest int defined.
    const double scale = power_of_ten(std::clamp(places, -400, 400) * (places < 0 ? -1 : 1));
    if (std::isinf(scale)) {
        // Scaling by more than a double holds: every digit of the value lies
        // on the kept side, or none does.
        return places > 0 ? value : std::copysign(0.0, value);
    }
    if (places > 0) {
        a = a * scale;
        if (std::isinf(a)) {
            // So large that its last digit lies far before the places kept:
            // there is nothing to round, and scaling back would give infinity.
            return value;
        }
    } else if (places < 0) {
        a = a / scale;
    }
    double whole = 0.0;
    const double fraction = std::modf(a + 1e-12, &whole);
    double r = fraction >= 0.5 ? whole + 1.0 : whole;
    if (places > 0) {
        r = r / scale;
    } else if (places < 0) {
        r = r * scale;
    }
    return negative ? -r : r;
}

Text format_number(double value) {
    return format_significant(value, 13);
}

Text bytes_to_text(const ByteBuffer& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), 0);
    return Text(buffer.begin(), end);
}

ByteBuffer text_to_bytes(std::string_view text) {
    return ByteBuffer(text.begin(), text.end());
}

int buffer_size(const ByteBuffer& buffer) {
    return static_cast<int>(buffer.size());
}

ByteBuffer buffer_head(const ByteBuffer& buffer, int n) {
    const auto count = static_cast<std::ptrdiff_t>(clamp_count(n, buffer.size()));
    return ByteBuffer(buffer.begin(), buffer.begin() + count);
}

ByteBuffer buffer_slice(const ByteBuffer& buffer, int start, int n) {
    const Size size = buffer.size();
    const Size begin = std::min(bytes_before(start), size);
    const Size count = clamp_count(n, size - begin);
    const auto first = buffer.begin() + static_cast<std::ptrdiff_t>(begin);
    return ByteBuffer(first, first + static_cast<std::ptrdiff_t>(count));
}

ByteBuffer zero_buffer(int n) {
    return n <= 0 ? ByteBuffer{} : ByteBuffer(static_cast<Size>(n), 0);
}

ByteBuffer join_buffers(std::initializer_list<ByteBuffer> buffers) {
    ByteBuffer result;
    for (const ByteBuffer& buffer : buffers) {
        result.insert(result.end(), buffer.begin(), buffer.end());
    }
    return result;
}

bool compare_buffers(const ByteBuffer& a, const ByteBuffer& b) {
    return a == b;
}

std::uint32_t bit_or(std::initializer_list<std::uint32_t> values) {
    std::uint32_t result = 0;
    for (const std::uint32_t value : values) {
        result |= value;
    }
    return result;
}

} // namespace zorvane::core
