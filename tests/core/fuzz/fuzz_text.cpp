// Fuzzes the operations that step through texts character by character and
// the number readers, checking what must hold for any input. Every text lives
// in a heap block of exactly its size, so AddressSanitizer reports any read
// past its end.

#include "core/edit_rules.h"
#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace zorvane::core;

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// A copy of the bytes in a block of exactly their size.
class ExactBytes {
public:
    explicit ExactBytes(const std::string& bytes)
        : data_(std::make_unique<char[]>(bytes.size()))
        , size_(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), data_.get());
    }
    std::string_view view() const { return {data_.get(), size_}; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_;
};

char fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matches_at(std::string_view text, std::size_t at, std::string_view sought, bool ignore_case) {
    if (at + sought.size() > text.size()) {
        return false;
    }
    for (std::size_t k = 0; k < sought.size(); ++k) {
        const char a = text[at + k];
        const char b = sought[k];
        if (ignore_case ? fold(a) != fold(b) : a != b) {
            return false;
        }
    }
    return true;
}

// Whether byte `at` starts a character when the text is read from byte `from`.
bool starts_character(std::string_view text, std::size_t from, std::size_t at) {
    std::size_t i = from;
    while (i < at) {
        i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
    }
    return i == at;
}

void check_find_forward(std::string_view text, std::string_view sought, int start,
                        bool ignore_case) {
    const int found = find_forward(text, sought, start, ignore_case);
    const std::size_t skip = static_cast<std::size_t>(std::max(start - 1, 0));
    if (sought.empty()) {
        FUZZ_CHECK(found == (skip < text.size() ? 1 : -1));
        return;
    }
    if (found == -1) {
        for (std::size_t at = skip; at < text.size(); ++at) {
            FUZZ_CHECK(
                !(starts_character(text, skip, at) && matches_at(text, at, sought, ignore_case)));
        }
        return;
    }
    FUZZ_CHECK(found >= 1);
    const auto at = static_cast<std::size_t>(found - 1);
    FUZZ_CHECK(at >= skip && at + sought.size() <= text.size());
    FUZZ_CHECK(matches_at(text, at, sought, ignore_case));
    FUZZ_CHECK(starts_character(text, skip, at));
    for (std::size_t before = skip; before < at; ++before) {
        FUZZ_CHECK(!(starts_character(text, skip, before) &&
                     matches_at(text, before, sought, ignore_case)));
    }
}

void check_find_backward(std::string_view text, std::string_view sought, bool ignore_case) {
    const int last = find_backward(text, sought, std::nullopt, ignore_case);
    const int first = find_forward(text, sought, 1, ignore_case);
    FUZZ_CHECK((last == -1) == (first == -1));
    if (last == -1 || sought.empty()) {
        return;
    }
    FUZZ_CHECK(last >= first);
    const auto at = static_cast<std::size_t>(last - 1);
    FUZZ_CHECK(at + sought.size() <= text.size());
    FUZZ_CHECK(matches_at(text, at, sought, ignore_case));
    FUZZ_CHECK(starts_character(text, 0, at));
    // Passing a found position back finds an earlier one, or none.
    const int previous = find_backward(text, sought, last, ignore_case);
    FUZZ_CHECK(previous < last);
    if (previous != -1) {
        FUZZ_CHECK(static_cast<std::size_t>(previous - 1) + sought.size() <=
                   static_cast<std::size_t>(last - 1));
    }
}

void check_split(std::string_view text, std::string_view separator, std::optional<int> limit) {
    const TextArray items = split_at(text, separator, limit);
    if (text.empty() || (limit && *limit <= 0)) {
        FUZZ_CHECK(items.empty());
        return;
    }
    FUZZ_CHECK(!items.empty());
    if (limit) {
        FUZZ_CHECK(items.size() <= static_cast<std::size_t>(*limit));
    }
    if (separator.empty()) {
        FUZZ_CHECK(items.size() == 1 && items[0] == text);
        return;
    }
    std::string joined;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) {
            joined.append(separator);
        }
        joined.append(items[k]);
    }
    const bool limit_used = limit && items.size() == static_cast<std::size_t>(*limit);
    if (limit_used) {
        // What the limit drops follows the last item's separator, if any.
        FUZZ_CHECK(text.substr(0, joined.size()) == joined);
    } else {
        const std::string with_trailing = joined + std::string(separator);
        FUZZ_CHECK(joined == text || with_trailing == text);
    }
}

void check_changes(std::string_view text, std::string_view sought, std::string_view replacement,
                   int start, std::optional<int> count, bool case_sensitive) {
    const Text trimmed = trim_spaces(text);
    FUZZ_CHECK(trim_spaces(trimmed) == trimmed);
    FUZZ_CHECK(text.find(trimmed) != std::string_view::npos);
    const Text stripped = strip_all_spaces(text);
    FUZZ_CHECK(strip_all_spaces(stripped) == stripped);
    FUZZ_CHECK(strip_all_spaces(trimmed) == stripped);
    FUZZ_CHECK(stripped.find(' ') == Text::npos ||
               std::any_of(stripped.begin(), stripped.end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));

    const Text folded = fold_full_width(text);
    FUZZ_CHECK(folded.size() <= text.size());
    FUZZ_CHECK(fold_full_width(folded) == folded);

    const Text upper = ascii_upper(text);
    const Text lower = ascii_lower(text);
    FUZZ_CHECK(upper.size() == text.size() && lower.size() == text.size());
    FUZZ_CHECK(ascii_upper(lower) == upper && ascii_lower(upper) == lower);
    for (std::size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(fold(upper[i]) == fold(text[i]) && fold(lower[i]) == fold(text[i]));
    }

    const Text replaced = replace_text(text, sought, replacement, start, count, case_sensitive);
    if (case_sensitive && replacement == sought) {
        FUZZ_CHECK(replaced == text);
    }
    if (replacement.empty()) {
        FUZZ_CHECK(replaced.size() <= text.size());
    }
    const auto skip = std::min(static_cast<std::size_t>(std::max(start - 1, 0)), text.size());
    FUZZ_CHECK(replaced.substr(0, skip) == text.substr(0, skip));
    if (!sought.empty() && case_sensitive && find_forward(text, sought, start) == -1) {
        FUZZ_CHECK(replaced == text);
    }
}

void check_numbers(std::string_view text, std::int32_t whole, float single) {
    // A number written out reads back as itself, whatever follows it.
    const std::string written = std::to_string(whole) + "x" + std::string(text);
    FUZZ_CHECK(parse_integer(written) == whole);
    (void)parse_integer(text);

    const float parsed = parse_number(text);
    FUZZ_CHECK(!std::isnan(parsed));
    if (std::isfinite(single)) {
        // 13 significant digits are more than a single needs to come back.
        const float again = parse_number(format_number(static_cast<double>(single)));
        FUZZ_CHECK(again == single);
    }

    const double value = static_cast<double>(single) * static_cast<double>(whole);
    const Text shown = format_number(value);
    FUZZ_CHECK(!shown.empty() && shown.size() <= 24);
    FUZZ_CHECK(shown != "-0");
    if (std::isfinite(value)) {
        double back = 0;
        const auto [end, error] = std::from_chars(shown.data(), shown.data() + shown.size(), back);
        FUZZ_CHECK(error == std::errc{} && end == shown.data() + shown.size());
        FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 5.1e-13);
    }

    const int places = static_cast<int>(whole % 12);
    const double rounded = round_to_places(static_cast<double>(parsed), places);
    FUZZ_CHECK(std::isnan(rounded) == std::isnan(static_cast<double>(parsed)));
    FUZZ_CHECK(std::signbit(rounded) == std::signbit(static_cast<double>(parsed)));

    for (const InputRule rule : {InputRule::share_count, InputRule::cost_price}) {
        const Text normal = normal_form(rule, text);
        if (normal.find("inf") == Text::npos) {
            FUZZ_CHECK(normal_form(rule, normal) == normal);
        }
    }
}

void check_buffers(std::string_view text, int start, int n) {
    const ByteBuffer bytes = text_to_bytes(text);
    FUZZ_CHECK(buffer_size(bytes) == static_cast<int>(text.size()));
    const Text back = bytes_to_text(bytes);
    FUZZ_CHECK(back == text.substr(0, text.find('\0')));
    const ByteBuffer slice = buffer_slice(bytes, start, n);
    FUZZ_CHECK(slice.size() <= static_cast<std::size_t>(std::max(n, 0)));
    FUZZ_CHECK(compare_buffers(join_buffers({buffer_head(bytes, n), {}}), buffer_head(bytes, n)));
    const Text cut = text_slice(text, start, n);
    FUZZ_CHECK(cut.empty() || text.substr(static_cast<std::size_t>(start - 1), cut.size()) == cut);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const int start = provider.ConsumeIntegralInRange(-2, 64);
    const int n = provider.ConsumeIntegralInRange(-2, 64);
    const bool flag = provider.ConsumeBool();
    const std::optional<int> limit =
        provider.ConsumeBool() ? std::optional<int>(provider.ConsumeIntegralInRange(-1, 8))
                               : std::nullopt;
    const auto whole = provider.ConsumeIntegral<std::int32_t>();
    const auto single = provider.ConsumeFloatingPoint<float>();
    const ExactBytes sought(provider.ConsumeRandomLengthString(8));
    const ExactBytes replacement(provider.ConsumeRandomLengthString(8));
    const ExactBytes text(provider.ConsumeRemainingBytesAsString());

    check_find_forward(text.view(), sought.view(), start, flag);
    check_find_backward(text.view(), sought.view(), flag);
    check_split(text.view(), sought.view(), limit);
    check_changes(text.view(), sought.view(), replacement.view(), start, limit, flag);
    check_numbers(text.view(), whole, single);
    check_buffers(text.view(), start, n);
    return 0;
}
