#pragma once

// Text helpers of the request routine: taking a URL apart into host, port and
// object path, cutting text out between markers, rebuilding a request header
// block with capitalised names, reading the name of a response header line and
// merging two cookie texts.
//
// A header block is lines of a name, ": " and a value joined by "\r\n", with
// no "\r\n" after the last line. A cookie text is items of a name, "=" and a
// value joined by "; "; an item's name is what precedes its first "=".
// Positions start at 1, and every failure gives the empty text.

#include "core/text.h"

#include <optional>
#include <string_view>

namespace zorvane::http {

using core::Text;
using core::TextArray;

// The text between the first start marker (searched from `start`) and the next
// end marker after it; empty when either is missing. In both markers the
// placeholder "#引号" stands for a double quote, so callers can write markers
// that hold one.
Text text_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int start = 1, bool ignore_case = false);

// Everything after the first colon, trimmed; empty without a colon.
Text text_after_colon(std::string_view text);

// The lower-cased host of a URL, without scheme, path and (unless keep_port)
// port; a URL without a scheme is taken as http. domain_only keeps the last
// two labels. With dot_skip n the host keeps its last n + 2 labels (n + 1
// with domain_only), or all of them when it has fewer.
Text url_host(std::string_view url, bool domain_only = false, bool keep_port = false,
              std::optional<int> dot_skip = std::nullopt);

// The port written in the URL, else 443 for "https" URLs, else 80.
int url_port(std::string_view url);

// From the first "/" after the host to the end (query included, case kept);
// "/" when there is none.
Text url_path(std::string_view url);

// Every line holding ": " rebuilt as its capitalised name, ": " and its value;
// other lines dropped. A value that itself holds ": " is lost (the name stays).
Text normalize_header_block(std::string_view block);

// The first byte upper-cased when it is an ASCII letter; the rest unchanged.
Text capitalize_first(std::string_view text);

// The text from its start up to the first marker found from `start`; empty
// when the marker is missing.
Text text_before(std::string_view text, std::string_view marker, int start = 1,
                 bool ignore_case = false);

// The old cookies updated by the new ones: spaces removed, new items first,
// then the old items whose names the new text does not hold, without items
// set to "deleted" and without repeats. Both arguments are replaced by their
// space-free forms, and old_cookies then by the result, which is returned.
Text merge_cookie_text(Text& old_cookies, Text& new_cookies);

// The trimmed text before the first "=" (the whole item without one).
Text cookie_name(std::string_view item);

// Whether some item of the array has exactly this name.
bool has_cookie_name(const TextArray& items, std::string_view name);

// The pieces of the text, each kept once in its first place, joined by the
// separator. The pieces are the text split at the separator when split is on,
// else its characters.
Text join_unique(std::string_view text, std::string_view separator, bool split);

// One piece per character: a byte above 0x80 with the byte after it, CR LF as
// a pair, any other byte alone.
TextArray split_characters(std::string_view text);

// The position, from 1, of the first item equal to the text; -1 without one.
int index_of_text(const TextArray& items, std::string_view text);

} // namespace zorvane::http
