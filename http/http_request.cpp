#include "http/http_request.h"

#include "http/url_text.h"

#include <array>
#include <cstdint>

namespace zorvane::http {

using namespace core;

namespace {

constexpr std::array<std::string_view, 8> verbs = {"GET",     "POST",   "HEAD",  "PUT",
                                                   "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr std::string_view default_agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr int read_piece = 1024;
constexpr int head_capacity = 5000;

bool contains_ignoring_case(std::string_view text, std::string_view sought) {
    return find_forward(text, sought, 1, true) != -1;
}

// The agent named by the caller's "User-Agent:" line, or the default one.
Text choose_agent(std::string_view extra_headers) {
    const int line_start = find_forward(extra_headers, "User-Agent:", 1, true);
    if (line_start == -1) {
        return Text(default_agent);
    }
    Text agent =
        trim_spaces(text_between(join_texts({extra_headers, "\r\n"}), "User-Agent:", "\r\n"));
    if (agent.empty()) {
        // A line spelt in another case: its value is what follows the colon.
        // Only that line is read, so no other header line and no line break
        // can slip into the agent.
        const Text line = text_before(
            join_texts({text_slice(extra_headers, line_start, text_len(extra_headers)), "\r\n"}),
            "\r\n");
        agent = text_after_colon(line);
    }
    return agent;
}

// The caller's lines with the default ones added where missing, normalised.
Text build_header_block(std::string_view url, int method, const RequestOptions& options) {
    Text block = options.extra_headers;
    if (options.complete_headers.value_or(true)) {
        if (block.empty()) {
            block = "Accept: */*";
        }
        if (!contains_ignoring_case(block, "Accept:")) {
            block += "\r\nAccept: */*";
        }
        if (!contains_ignoring_case(block, "Referer:")) {
            block += join_texts({"\r\nReferer: ", url});
        }
        if (!contains_ignoring_case(block, "Accept-Language:")) {
            block += "\r\nAccept-Language: zh-cn";
        }
        if (method == 1 && !contains_ignoring_case(block, "Content-Type:")) {
            block += "\r\nContent-Type: application/x-www-form-urlencoded";
        }
    }
    block = normalize_header_block(block);
    if (options.cookies && !options.cookies->empty()) {
        const Text& cookies = *options.cookies;
        if (find_forward(cookies, "Cookie:") != -1) {
            block += join_texts({"\r\n", cookies});
        } else {
            block += join_texts({"\r\nCookie: ", cookies});
        }
    }
    return block;
}

// The cookie items of the head's "Set-Cookie" lines, without their
// attributes, joined by "; ".
Text gather_cookies(std::string_view head) {
    Text cookies;
    for (const Text& line : split_at(head, "\r\n")) {
        if (text_before(line, ": ") != "Set-Cookie") {
            continue;
        }
        Text item;
        if (find_forward(line, ";") != -1) {
            item = text_between(line, "Set-Cookie:", ";");
        } else {
            item = replace_text(line, "Set-Cookie:", {}, 1, std::nullopt, false);
        }
        cookies += join_texts({trim_spaces(item), "; "});
    }
    return text_head(cookies, text_len(cookies) - 2);
}

} // namespace

ByteBuffer http_request(InternetClient& client, std::string_view url,
                        const RequestOptions& options) {
    const int method = options.method < 0 || options.method > 7 ? 0 : options.method;
    const bool https = ascii_lower(text_head(url, 8)) == "https://";
    const Text agent = choose_agent(options.extra_headers);

    InternetHandle internet = null_handle;
    if (options.proxy.empty()) {
        internet = client.open(agent, AccessType::direct, {});
    } else if (https) {
        internet = client.open(agent, AccessType::proxy, options.proxy);
    } else {
        internet = client.open(agent, AccessType::proxy, join_texts({"http=", options.proxy}));
    }
    if (internet == null_handle) {
        return {};
    }

    const InternetHandle connection = client.connect(internet, url_host(url), url_port(url));
    if (connection == null_handle) {
        client.close(internet);
        return {};
    }

    std::uint32_t flags = bit_or({flag_reload, flag_need_file});
    if (options.cookies) {
        flags = bit_or({flags, flag_no_cookies});
    }
    if (options.no_redirect) {
        flags = bit_or({flags, flag_no_auto_redirect});
    }
    flags = bit_or({flags, https ? flag_secure : flag_ignore_redirect_to_https});
    const InternetHandle request = client.open_request(
        connection, verbs[static_cast<std::size_t>(method)], url_path(url), "HTTP/1.1", flags);
    if (request == null_handle) {
        client.close(connection);
        client.close(internet);
        return {};
    }

    const Text headers = build_header_block(url, method, options);
    // A GET carries an empty body that still has an address; other methods
    // pass no address when they have no bytes.
    static const unsigned char no_body = 0;
    ByteBuffer body;
    const unsigned char* body_bytes = &no_body;
    if (method != 0) {
        body = options.post_bytes.empty() ? text_to_bytes(options.post_text) : options.post_bytes;
        body_bytes = body.empty() ? nullptr : body.data();
    }
    client.send_request(request, headers, body_bytes, body.size());

    ByteBuffer response;
    ByteBuffer piece = zero_buffer(read_piece);
    for (;;) {
        const std::size_t count = client.read(request, piece.data(), piece.size());
        if (count == 0) {
            break;
        }
        const int taken = count > piece.size() ? read_piece : static_cast<int>(count);
        response = join_buffers({response, buffer_head(piece, taken)});
    }

    // The client writes the head and its closing NUL over the spaces only
    // when it fits; otherwise the spaces stay.
    Text head_buffer = space_run(head_capacity);
    std::size_t head_length = head_buffer.size();
    client.query_raw_headers(request, head_buffer.data(), head_length);
    const Text head = head_buffer.substr(0, head_buffer.find('\0'));

    client.close(request);
    client.close(connection);
    client.close(internet);

    Text cookies = gather_cookies(head);
    if (options.merge_cookies.value_or(true) && options.cookies) {
        Text given = *options.cookies;
        cookies = merge_cookie_text(given, cookies);
    }
    if (options.returned_headers != nullptr) {
        *options.returned_headers = head;
    }
    if (options.returned_cookies != nullptr) {
        *options.returned_cookies = cookies;
    }
    return response;
}

} // namespace zorvane::http
