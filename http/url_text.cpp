#include "http/url_text.h"

namespace zorvane::http {

using namespace core;

namespace {

// Marker texts may write a double quote as this placeholder.
constexpr std::string_view quote_placeholder = "#引号";

bool contains(std::string_view text, std::string_view sought) {
    return find_forward(text, sought) != -1;
}

// The text without its last n bytes.
Text drop_tail(std::string_view text, int n) {
    return text_head(text, text_len(text) - n);
}

// The text after `position` (1-based) to its end.
Text after_position(std::string_view text, int position) {
    return text_tail(text, text_len(text) - position);
}

// The scheme-free host with its port, lower-cased, as the request routine
// reaches it: between the scheme and the first "/".
Text host_after_scheme(std::string_view lowered_url) {
    Text v(lowered_url);
    if (text_tail(v, 1) != "/") {
        v += "/";
    }
    if (text_head(v, 8) == "https://") {
        return text_between(v, "https://", "/");
    }
    if (!contains(v, "http://")) {
        v = join_texts({"http://", v});
    }
    return text_between(v, "http://", "/");
}

// The host keeping only its last labels, counted by dot_skip from the right.
Text host_by_dot_skip(std::string_view lowered_url, bool domain_only, int dot_skip) {
    Text v = replace_text(lowered_url, "http://");
    v = replace_text(v, "https://");
    if (contains(v, "/")) {
        v = text_before(v, "/");
    }
    const int size = text_len(v);
    int dot = size;
    for (int k = 1; k <= dot_skip; ++k) {
        dot = find_backward(v, ".", dot);
    }
    const int q = find_backward(v, ".", dot);
    if (domain_only) {
        return text_tail(v, size - q);
    }
    if (q != -1) {
        const int r = find_backward(v, ".", q);
        if (r != -1) {
            return text_tail(v, size - r);
        }
    }
    return v;
}

// Where the host starts being searched for in the URL: just after the scheme
// marker that url_host cut it behind.
int host_search_start(std::string_view url) {
    if (ascii_lower(text_head(url, 8)) == "https://") {
        return 9;
    }
    const int scheme = find_forward(url, "http://", 1, true);
    return scheme == -1 ? 1 : scheme + 7;
}

} // namespace

Text text_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int start, bool ignore_case) {
    const Text opening = replace_text(start_marker, quote_placeholder, "\"");
    const Text closing = replace_text(end_marker, quote_placeholder, "\"");
    const int p = find_forward(text, opening, start, ignore_case);
    if (p == -1) {
        return {};
    }
    const int c = p + text_len(opening);
    const int q = find_forward(text, closing, c, ignore_case);
    if (q == -1) {
        return {};
    }
    return text_slice(text, c, q - c);
}

Text text_after_colon(std::string_view text) {
    const int p = find_forward(text, ":");
    if (p == -1) {
        return {};
    }
    return trim_spaces(after_position(text, p));
}

Text url_host(std::string_view url, bool domain_only, bool keep_port, std::optional<int> dot_skip) {
    const Text lowered = ascii_lower(url);
    Text v;
    if (dot_skip) {
        v = host_by_dot_skip(lowered, domain_only, *dot_skip);
    } else {
        v = host_after_scheme(lowered);
        if (domain_only) {
            const TextArray labels = split_at(v, ".");
            if (labels.size() > 1) {
                v = join_texts({labels[labels.size() - 2], ".", labels.back()});
            }
        }
    }
    if (keep_port || !contains(v, ":")) {
        return v;
    }
    return text_before(v, ":");
}

int url_port(std::string_view url) {
    const Text host = url_host(url, false, true);
    const int colon = find_backward(host, ":");
    if (colon != -1) {
        return parse_integer(after_position(host, colon));
    }
    return ascii_lower(text_head(url, 5)) == "https" ? 443 : 80;
}

Text url_path(std::string_view url) {
    const Text host = url_host(url);
    // The host is sought behind the scheme: a short host such as "h" or "tp"
    // would otherwise be found inside "http://" itself.
    const int a = find_forward(url, host, host_search_start(url), true);
    const int b = find_forward(url, "/", a, true);
    if (b <= 0) {
        return "/";
    }
    return text_tail(url, text_len(url) - b + 1);
}

Text normalize_header_block(std::string_view block) {
    Text result;
    for (const Text& line : split_at(block, "\r\n")) {
        if (!contains(line, ": ")) {
            continue;
        }
        const TextArray parts = split_at(line, ": ");
        if (parts.empty()) {
            continue;
        }
        Text name;
        if (contains(parts[0], "-")) {
            Text words;
            for (const Text& word : split_at(parts[0], "-")) {
                words += capitalize_first(word) + "-";
            }
            name = drop_tail(words, 1);
        } else {
            name = capitalize_first(parts[0]);
        }
        if (parts.size() == 2) {
            result += join_texts({name, ": ", parts[1], "\r\n"});
        } else {
            result += join_texts({name, ": \r\n"});
        }
    }
    return drop_tail(result, 2);
}

Text capitalize_first(std::string_view text) {
    return join_texts({ascii_upper(text_head(text, 1)), text_slice(text, 2, text_len(text) - 1)});
}

Text text_before(std::string_view text, std::string_view marker, int start, bool ignore_case) {
    const int p = find_forward(text, marker, start < 1 ? 1 : start, ignore_case);
    if (p == -1) {
        return {};
    }
    return text_head(text, p - 1);
}

Text merge_cookie_text(Text& old_cookies, Text& new_cookies) {
    old_cookies = strip_all_spaces(old_cookies);
    new_cookies = strip_all_spaces(new_cookies);
    TextArray items = split_at(new_cookies, ";");
    for (const Text& old_item : split_at(old_cookies, ";")) {
        if (!has_cookie_name(items, cookie_name(old_item))) {
            items.push_back(old_item);
        }
    }
    Text merged;
    for (const Text& item : items) {
        if (text_tail(item, 8) != "=deleted") {
            merged += item + "; ";
        }
    }
    old_cookies = join_unique(drop_tail(merged, 2), "; ", true);
    return old_cookies;
}

Text cookie_name(std::string_view item) {
    const int p = find_forward(item, "=");
    return trim_spaces(p == -1 ? item : text_head(item, p - 1));
}

bool has_cookie_name(const TextArray& items, std::string_view name) {
    for (const Text& item : items) {
        if (cookie_name(item) == name) {
            return true;
        }
    }
    return false;
}

Text join_unique(std::string_view text, std::string_view separator, bool split) {
    const TextArray pieces = split ? split_at(text, separator) : split_characters(text);
    TextArray kept;
    Text result;
    for (const Text& piece : pieces) {
        if (index_of_text(kept, piece) == -1) {
            kept.push_back(piece);
            result += join_texts({piece, separator});
        }
    }
    return drop_tail(result, text_len(separator));
}

TextArray split_characters(std::string_view text) {
    TextArray pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = 1;
        if (i + 1 < text.size()) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte > 0x80 || (text[i] == '\r' && text[i + 1] == '\n')) {
                length = 2;
            }
        }
        pieces.emplace_back(text.substr(i, length));
        i += length;
    }
    return pieces;
}

int index_of_text(const TextArray& items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

} // namespace zorvane::http
