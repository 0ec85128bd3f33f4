#pragma once

// The one exchange behind every figure on screen: one HTTP GET per symbol,
// answered by text shaped like
//   var hq_str_s_sh600000="NAME,PRICE,CHANGE,PERCENT,VOLUME,AMOUNT";
// in GBK. Fields are numbered from 1: 1 name, 2 price or level, 3 change,
// 4 change in percent.

#include <string_view>

#include "core/text.h"
#include "http/internet_client.h"

namespace zorvane::quotes {

using core::Text;
using core::TextArray;

// "sz" for codes whose integer value is at most 599999 (a signed test), else "sh".
Text market_prefix(std::string_view code);

// The payload between the first "=" and the first ";", less one delimiter
// byte at each end; empty when those positions do not allow it.
Text cut_payload(std::string_view reply);

// The public quote service. The environment variable ZORVANE_QUOTE_HOST
// (host or host:port) replaces it, so tests and demos can use a local one.
inline constexpr std::string_view public_quote_host = "hq.sinajs.cn";
Text quote_host_from_environment();

class QuoteService {
public:
    QuoteService(http::InternetClient& client, Text host);

    // "http://" + host + "/list=s_" + symbol.
    Text quote_url(std::string_view symbol) const;
    // One request; every failure gives no fields.
    TextArray fetch_quote_fields(std::string_view url) const;

private:
    http::InternetClient& client_;
    Text host_;
};

} // namespace zorvane::quotes
