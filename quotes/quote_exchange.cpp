#include "quotes/quote_exchange.h"

#include "http/http_request.h"

#include <cstdlib>

namespace zorvane::quotes {

namespace {

// The public service refuses every request that does not come, by its
// Referer, from its own site: it answers 403 with a short text and no fields.
// So the quote request names that site; header completion then adds Accept
// and Accept-Language but no second Referer.
constexpr std::string_view quote_referer = "Referer: http://finance.sina.com.cn/";

constexpr char quote_host_variable[] = "ZORVANE_QUOTE_HOST";

} // namespace

Text market_prefix(std::string_view code) {
    return core::parse_integer(code) <= 599999 ? "sz" : "sh";
}

Text cut_payload(std::string_view reply) {
    // A text ends at its first zero byte.
    const std::string_view text = reply.substr(0, reply.find('\0'));
    const int equals = core::find_forward(text, "=");
    const int semicolon = core::find_forward(text, ";");
    return core::text_slice(text, equals + 2, semicolon - equals - 3);
}

Text quote_host_from_environment() {
    const char* value = std::getenv(quote_host_variable);
    if (value == nullptr || *value == '\0') {
        return Text(public_quote_host);
    }
    return value;
}

QuoteService::QuoteService(http::InternetClient& client, Text host)
    : client_(client)
    , host_(std::move(host)) {}

Text QuoteService::quote_url(std::string_view symbol) const {
    return core::join_texts({"http://", host_, "/list=s_", symbol});
}

TextArray QuoteService::fetch_quote_fields(std::string_view url) const {
    http::RequestOptions options;
    options.extra_headers = quote_referer;
    const Text payload =
        cut_payload(core::bytes_to_text(http::http_request(client_, url, options)));
    if (payload.empty()) {
        return {};
    }
    return core::split_at(payload, ",");
}

} // namespace zorvane::quotes
