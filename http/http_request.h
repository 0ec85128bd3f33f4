#pragma once

// One complete, blocking HTTP exchange: a new client, connection and request
// for every call, all closed before it returns. It never reports an error: a
// failure shows only as an empty body. Nothing survives from one call to the
// next.

#include <optional>

#include "core/text.h"
#include "http/internet_client.h"

namespace zorvane::http {

using core::ByteBuffer;
using core::Text;

// The routine's arguments after the URL, each with its default. Where an
// omitted argument differs from an empty or false one, it is optional.
// Callers name what they give:
//   http_request(client, url, {.extra_headers = "Referer: http://example.test/"});
// Every member has an initializer, so that GCC 12 does not warn about the
// members a designated initializer leaves out.
struct RequestOptions {
    int method = 0; // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
    Text post_text{};
    std::optional<Text> cookies{}; // given, even empty: no client cookies, and merging
    Text* returned_cookies = nullptr; // output, written only once the request is open
    Text extra_headers{};             // lines joined by "\r\n"
    Text* returned_headers = nullptr; // output, written only once the request is open
    bool no_redirect = false;
    ByteBuffer post_bytes{}; // wins over post_text when not empty
    Text proxy{};
    std::optional<bool> merge_cookies{};    // omitted means true
    std::optional<bool> complete_headers{}; // omitted means true
};

ByteBuffer http_request(InternetClient& client, std::string_view url,
                        const RequestOptions& options = {});

} // namespace zorvane::http
