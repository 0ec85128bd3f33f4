#pragma once

// Text, byte-buffer and number operations whose exact rules show on screen.
//
// A text is bytes in the ANSI code page (GBK). It never holds a zero byte:
// wherever a text is made from bytes it ends at the first one. Sizes and
// positions count bytes and start at 1. A byte of 0x80 or above leads a
// two-byte character in every operation that steps by character (searching,
// replacing, splitting, case mapping, trimming, full-width folding); the
// operations that cut by count work on bytes and may cut a character in two.
//
// Every operation is pure and never fails: out-of-range arguments give the
// empty text, an empty buffer, -1 or 0. Case folding and white space follow
// the ASCII rules whatever the locale.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::core {

using Text = std::string;
// Length-counted bytes that may hold zero bytes: file contents, HTTP bodies.
using ByteBuffer = std::vector<unsigned char>;
// Items are numbered from 1 where the program speaks of them; element k - 1 here.
using TextArray = std::vector<Text>;

// Cutting by count (bytewise).
int text_len(std::string_view text);
Text text_head(std::string_view text, int n);
Text text_tail(std::string_view text, int n);
Text text_slice(std::string_view text, int start, int n);
Text char_of(int code);
Text space_run(int n);
Text join_texts(std::initializer_list<std::string_view> parts);
int compare_texts(std::string_view a, std::string_view b);

// Searching; a miss gives -1.
int find_forward(std::string_view text, std::string_view sought, int start = 1,
                 bool ignore_case = false);
int find_backward(std::string_view text, std::string_view sought,
                  std::optional<int> start = std::nullopt, bool ignore_case = false);

// Changing texts.
Text ascii_upper(std::string_view text);
Text ascii_lower(std::string_view text);
Text trim_spaces(std::string_view text);
Text strip_all_spaces(std::string_view text);
Text replace_text(std::string_view text, std::string_view sought,
                  std::string_view replacement = {}, int start = 1,
                  std::optional<int> count = std::nullopt, bool case_sensitive = true);
TextArray split_at(std::string_view text, std::string_view separator = ",",
                   std::optional<int> limit = std::nullopt);
Text fold_full_width(std::string_view text);

// Numbers.
std::int32_t parse_integer(std::string_view text);
float parse_number(std::string_view text);
double round_to_places(double value, int places = 0);
Text format_number(double value);

// Texts and byte buffers.
Text bytes_to_text(const ByteBuffer& buffer);
ByteBuffer text_to_bytes(std::string_view text);
int buffer_size(const ByteBuffer& buffer);
ByteBuffer buffer_head(const ByteBuffer& buffer, int n);
ByteBuffer buffer_slice(const ByteBuffer& buffer, int start, int n);
ByteBuffer zero_buffer(int n);
ByteBuffer join_buffers(std::initializer_list<ByteBuffer> buffers);
bool compare_buffers(const ByteBuffer& a, const ByteBuffer& b);

// Flag words.
std::uint32_t bit_or(std::initializer_list<std::uint32_t> values);

} // namespace zorvane::core
