// The quote exchange: symbols, URLs, payloads and fields, with the request
// going over loopback to a server that records it.

#include "http/curl/curl_internet_client.h"
#include "quotes/quote_exchange.h"
#include "support/loopback_server.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::quotes {
namespace {

using test::http_reply;
using test::LoopbackServer;

TEST(MarketPrefix, ChoosesByTheCodesIntegerValue) {
    struct Row {
        const char* code;
        const char* prefix;
    };
    const Row rows[] =
        {
            {"600000", "sh"}, {"601000", "sh"}, {" 600000", "sh"},
            {"599999", "sz"}, {"000001", "sz"}, {"300001", "sz"},
            {"", "sz"},       {"abc", "sz"},    {"-700000", "sz"}, // the comparison is signed
        };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("code '") + row.code + "'");
        EXPECT_EQ(market_prefix(row.code), row.prefix);
    }
}

TEST(QuoteUrl, CarriesTheCodeAsTyped) {
    http::CurlInternetClient client;
    const QuoteService service(client, "quotes.test");
    struct Row {
        const char* code;
        const char* url;
    };
    const Row rows[] = {
        {"600000", "http://quotes.test/list=s_sh600000"},
        {"000001", "http://quotes.test/list=s_sz000001"},
        {" 600000", "http://quotes.test/list=s_sh 600000"},
        {"", "http://quotes.test/list=s_sz"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("code '") + row.code + "'");
        EXPECT_EQ(service.quote_url(market_prefix(row.code) + row.code), row.url);
    }
}

TEST(CutPayload, TakesWhatLiesBetweenTheDelimitersOfEqualsAndSemicolon) {
    struct Row {
        const char* name;
        std::string reply;
        const char* payload;
    };
    const Row rows[] = {
        {"a whole reply", "var hq_str_s_sh600000=\"A,1.00,0.01,1.00,5,6\";\n",
         "A,1.00,0.01,1.00,5,6"},
        {"no '='", "abc;def", "ab"},
        {"no ';'", "var x=\"A,1\"", ""},
        {"';' before '='", "a;b=\"c\"", ""},
        {"nothing between the delimiters", "var x=\"\";", ""},
        {"';' three bytes after '='", "x=ab;", ""},
        {"';' four bytes after '='", "x=abc;", "b"},
        {"a zero byte inside", std::string("var x=\"A,1\0,2\";", 15), ""},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cut_payload(row.reply), row.payload);
    }
}

TEST(FetchQuoteFields, SplitsThePayloadAtCommas) {
    struct Row {
        const char* name;
        std::string body;
        TextArray fields;
    };
    const Row rows[] = {
        {"six fields",
         "var hq_str_s_sh600000=\"A,1.00,0.01,1.00,5,6\";\n",
         {"A", "1.00", "0.01", "1.00", "5", "6"}},
        {"a GBK name",
         "var hq_str_s_sh600000=\"浦发银行,10.23,0.12,1.19,123456,7890\";\n",
         {"浦发银行", "10.23", "0.12", "1.19", "123456", "7890"}},
        {"empty field between two commas", "v=\"a,,b\";", {"a", "", "b"}},
        {"trailing comma adds none", "v=\"a,b,\";", {"a", "b"}},
        {"leading comma gives an empty first", "v=\",a\";", {"", "a"}},
        {"fields are not trimmed", "v=\" a , b\";", {" a ", " b"}},
        {"unlisted symbol", "var hq_str_s_sz123456=\"\";\n", {}},
        {"empty body", "", {}},
        {"a zero byte before the ';'", std::string("v=\"a,b\0\";", 9), {}},
        {"the public service's refusal", "Kinsoku jikou desu!", {}},
    };
    http::CurlInternetClient client;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server(http_reply("200 OK", row.body));
        const QuoteService service(client, "127.0.0.1:" + std::to_string(server.port()));

        EXPECT_EQ(service.fetch_quote_fields(service.quote_url("sh600000")), row.fields);
    }
}

// The public service refuses requests without a Referer from its own site, so
// the quote request names one; completion must not add a second.
TEST(FetchQuoteFields, SendsOneRefererFromTheQuoteSite) {
    LoopbackServer server(http_reply("200 OK", "var hq_str_s_sh600000=\"A,1,2,3,4,5\";"));
    http::CurlInternetClient client;
    const QuoteService service(client, "127.0.0.1:" + std::to_string(server.port()));

    EXPECT_EQ(service.fetch_quote_fields(service.quote_url("sh600000")).size(), 6U);

    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0],
              "GET /list=s_sh600000 HTTP/1.1\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(server.port()) +
                  "\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
                  "Referer: http://finance.sina.com.cn/\r\n"
                  "Accept: */*\r\n"
                  "Accept-Language: zh-cn\r\n"
                  "\r\n");
}

TEST(FetchQuoteFields, GivesNoFieldsWhenNobodyAnswers) {
    const test::RefusingPort refusing;
    http::CurlInternetClient client;
    const QuoteService service(client, "127.0.0.1:" + std::to_string(refusing.port()));

    EXPECT_TRUE(service.fetch_quote_fields(service.quote_url("sh600000")).empty());
}

TEST(QuoteHost, ComesFromTheEnvironmentWhenSet) {
    ::unsetenv("ZORVANE_QUOTE_HOST");
    EXPECT_EQ(quote_host_from_environment(), "hq.sinajs.cn");
    ::setenv("ZORVANE_QUOTE_HOST", "", 1);
    EXPECT_EQ(quote_host_from_environment(), "hq.sinajs.cn");
    ::setenv("ZORVANE_QUOTE_HOST", "127.0.0.1:8080", 1);
    EXPECT_EQ(quote_host_from_environment(), "127.0.0.1:8080");
    ::unsetenv("ZORVANE_QUOTE_HOST");
}

} // namespace
} // namespace zorvane::quotes
