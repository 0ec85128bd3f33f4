// Our local quote service, met the way the program meets the public one: the
// libcurl client, http_request and the quote exchange over loopback.

#include "http/curl/curl_internet_client.h"
#include "http/http_request.h"
#include "quotes/quote_exchange.h"
#include "tools/quote_service/quote_service_process.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::tools {
namespace {

using core::TextArray;
using quotes::QuoteService;

std::string text_of(const core::ByteBuffer& body) {
    return std::string(body.begin(), body.end());
}

TEST(LocalQuoteService, AnswersListedSymbolsWithGbkNamesAndNumbers) {
    const QuoteServiceProcess process;
    http::CurlInternetClient client;
    const QuoteService service(client, process.host());
    struct Row {
        const char* symbol;
        const char* name; // GBK, like every narrow literal here
    };
    const Row rows[] = {
        {"sh600000", "浦发银行"}, {"sz000001", "平安银行"}, {"sz300750", "宁德时代"},
        {"sh000001", "上证指数"}, {"sz399001", "深证成指"}, {"sz399006", "创业板指"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.symbol);
        const TextArray fields = service.fetch_quote_fields(service.quote_url(row.symbol));
        ASSERT_EQ(fields.size(), 6U);
        EXPECT_EQ(fields[0], row.name);
        EXPECT_GT(core::parse_number(fields[1]), 0.0F);
        // The change in percent follows from the price and the change.
        const double price = core::parse_number(fields[1]);
        const double change = core::parse_number(fields[2]);
        EXPECT_NEAR(core::parse_number(fields[3]), change / (price - change) * 100, 0.02);
    }
}

TEST(LocalQuoteService, AnswersAnUnlistedSymbolWithAnEmptyValue) {
    const QuoteServiceProcess process;
    http::CurlInternetClient client;
    const QuoteService service(client, process.host());
    const std::string url = service.quote_url("sz123456");

    EXPECT_EQ(text_of(http::http_request(client, url)), "var hq_str_s_sz123456=\"\";\n");
    EXPECT_TRUE(service.fetch_quote_fields(url).empty());
}

// Prices move from request to request, the same way for the same seed; and
// the service keeps answering one connection after another.
TEST(LocalQuoteService, MovesPricesAsItsSeedSays) {
    auto prices = [](const char* seed) {
        const QuoteServiceProcess process({"--seed", seed});
        http::CurlInternetClient client;
        const QuoteService service(client, process.host());
        std::vector<std::string> seen;
        for (int i = 0; i < 30; ++i) {
            const TextArray fields = service.fetch_quote_fields(service.quote_url("sh600519"));
            seen.push_back(fields.size() > 1 ? fields[1] : "none");
        }
        return seen;
    };
    const std::vector<std::string> first = prices("7");

    EXPECT_EQ(prices("7"), first);
    EXPECT_NE(prices("8"), first);
    EXPECT_LT(std::count(first.begin(), first.end(), first.front()), 30);
    EXPECT_EQ(std::count(first.begin(), first.end(), "none"), 0);
}

// The public service answers requests without its Referer with a refusal;
// the quote exchange names the Referer and gets its quote.
TEST(LocalQuoteService, RefusesStrangersButNotTheQuoteExchange) {
    const QuoteServiceProcess process({"--require-referer"});
    http::CurlInternetClient client;
    const QuoteService service(client, process.host());
    const std::string url = service.quote_url("sh600000");
    core::Text head;
    http::RequestOptions plain;
    plain.returned_headers = &head;

    EXPECT_EQ(text_of(http::http_request(client, url, plain)), "Kinsoku jikou desu!");
    EXPECT_EQ(head.substr(0, 22), "HTTP/1.1 403 Forbidden");
    EXPECT_EQ(service.fetch_quote_fields(url).size(), 6U);
}

TEST(LocalQuoteService, FaultSwitchesLeaveTheQuoteExchangeWithoutFields) {
    struct Row {
        std::vector<std::string> options;
        bool empty_body; // else some body arrives, but no quote in it
    };
    // The client below gives up after 200 ms, long before the delayed reply.
    const Row rows[] = {
        {{"--forbidden"}, false}, {{"--garbage"}, false},        {{"--cut"}, true},
        {{"--huge"}, true},       {{"--delay-ms", "600"}, true},
    };
    http::CurlLimits impatient;
    impatient.total_timeout_ms = 200;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options.front());
        const QuoteServiceProcess process(row.options);
        http::CurlInternetClient client(impatient);
        const QuoteService service(client, process.host());
        const std::string url = service.quote_url("sh600000");

        const std::string body = text_of(http::http_request(client, url));
        EXPECT_EQ(body.empty(), row.empty_body);
        EXPECT_EQ(body.find("var hq_str_s_sh600000=\""), std::string::npos);
        if (row.options.front() != "--garbage") { // random bytes may form fields
            EXPECT_TRUE(service.fetch_quote_fields(url).empty());
        }
    }
}

} // namespace
} // namespace zorvane::tools
