#include "http/http_request.h"
#include "support/recording_internet_client.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::http {
namespace {

using test::RecordingInternetClient;

const std::string default_agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string quote_url = "http://hq.example.test/list=s_sh600000";

ByteBuffer bytes(std::string_view text) {
    return ByteBuffer(text.begin(), text.end());
}

// A fresh client after one request through it.
RecordingInternetClient run(std::string_view url, const RequestOptions& options = {}) {
    RecordingInternetClient client;
    http_request(client, url, options);
    return client;
}

// The block that default completion gives a caller without header lines.
std::string completed_block(std::string_view url) {
    return "Accept: */*\r\nReferer: " + std::string(url) + "\r\nAccept-Language: zh-cn";
}

TEST(HttpRequest, PlainGetRunsEveryStepInOrder) {
    RecordingInternetClient client;
    client.body = bytes("var hq_str_s_sh600000=\"x,1\";");
    client.head = "HTTP/1.1 200 OK\r\nContent-Length: 27\r\n\r\n";
    const std::string url = "http://HQ.Example.test/List=s_sh600000";

    const ByteBuffer body = http_request(client, url);

    EXPECT_EQ(body, client.body);
    EXPECT_EQ(client.calls,
              (std::vector<std::string>{"open", "connect", "open_request", "send_request", "read",
                                        "read", "query_raw_headers", "close", "close", "close"}));
    ASSERT_EQ(client.opens.size(), 1U);
    EXPECT_EQ(client.opens[0].agent, default_agent);
    EXPECT_EQ(client.opens[0].access, AccessType::direct);
    EXPECT_EQ(client.opens[0].proxy, "");
    ASSERT_EQ(client.connects.size(), 1U);
    EXPECT_EQ(client.connects[0].internet, client.internet_handle);
    EXPECT_EQ(client.connects[0].host, "hq.example.test");
    EXPECT_EQ(client.connects[0].port, 80);
    ASSERT_EQ(client.requests.size(), 1U);
    EXPECT_EQ(client.requests[0].connection, client.connection_handle);
    EXPECT_EQ(client.requests[0].verb, "GET");
    EXPECT_EQ(client.requests[0].object_path, "/List=s_sh600000");
    EXPECT_EQ(client.requests[0].version, "HTTP/1.1");
    EXPECT_EQ(client.requests[0].flags, 0x80004010U);
    ASSERT_EQ(client.sends.size(), 1U);
    EXPECT_EQ(client.sends[0].request, client.request_handle);
    // The Referer keeps the URL exactly as given.
    EXPECT_EQ(client.sends[0].headers, completed_block(url));
    EXPECT_FALSE(client.sends[0].body_is_null);
    EXPECT_TRUE(client.sends[0].body.empty());
    EXPECT_EQ(client.read_capacities, (std::vector<std::size_t>{1024, 1024}));
    EXPECT_EQ(client.query_lengths, (std::vector<std::size_t>{5000}));
    EXPECT_EQ(client.closed,
              (std::vector<InternetHandle>{client.request_handle, client.connection_handle,
                                           client.internet_handle}));
}

TEST(HttpRequest, UrlGivesHostPortPathAndScheme) {
    struct Row {
        std::string url;
        std::string host;
        int port;
        std::string path;
        std::uint32_t flags;
    };
    const Row rows[] = {
        {"HTTPS://Example.COM:8443/Path?q=1", "example.com", 8443, "/Path?q=1", 0x80800010},
        {"https://h.example/", "h.example", 443, "/", 0x80800010},
        {"http://example.com", "example.com", 80, "/", 0x80004010},
        {"example.com/x", "example.com", 80, "/x", 0x80004010},
        {"http://127.0.0.1:8080/a", "127.0.0.1", 8080, "/a", 0x80004010},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        const RecordingInternetClient client = run(row.url);
        ASSERT_EQ(client.requests.size(), 1U);
        EXPECT_EQ(client.connects[0].host, row.host);
        EXPECT_EQ(client.connects[0].port, row.port);
        EXPECT_EQ(client.requests[0].object_path, row.path);
        EXPECT_EQ(client.requests[0].flags, row.flags);
    }
}

TEST(HttpRequest, FlagsWord) {
    struct Row {
        const char* name;
        std::string url;
        RequestOptions options;
        std::uint32_t flags;
    };
    const Row rows[] = {
        {"plain http GET", quote_url, {}, 0x80004010},
        {"plain https GET", "https://h.example/", {}, 0x80800010},
        {"cookies given empty", quote_url, {.cookies = ""}, 0x80084010},
        {"no redirect", quote_url, {.no_redirect = true}, 0x80204010},
        {"https, cookies, no redirect",
         "https://h.example/",
         {.cookies = "a=1", .no_redirect = true},
         0x80A80010},
        {"the method does not count", quote_url, {.method = 1}, 0x80004010},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(row.url, row.options);
        ASSERT_EQ(client.requests.size(), 1U);
        EXPECT_EQ(client.requests[0].flags, row.flags);
    }
}

TEST(HttpRequest, MethodsOutsideTheTableActAsGet) {
    struct Row {
        int method;
        std::string verb;
    };
    const Row rows[] = {{-1, "GET"},    {0, "GET"},    {1, "POST"},  {2, "HEAD"},    {3, "PUT"},
                        {4, "OPTIONS"}, {5, "DELETE"}, {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.method);
        const RecordingInternetClient client =
            run(quote_url, {.method = row.method, .post_text = "a=1"});
        ASSERT_EQ(client.sends.size(), 1U);
        EXPECT_EQ(client.requests[0].verb, row.verb);
        const bool get = row.verb == "GET";
        // A GET sends no body, even when one is offered.
        EXPECT_EQ(client.sends[0].body, get ? ByteBuffer{} : bytes("a=1"));
        EXPECT_EQ(client.sends[0].headers.find("Content-Type") != std::string::npos,
                  row.method == 1);
    }
}

TEST(HttpRequest, PostWithoutArgumentsSendsNoBodyAndAFormType) {
    const RecordingInternetClient client = run(quote_url, {.method = 1});
    ASSERT_EQ(client.sends.size(), 1U);
    EXPECT_EQ(client.requests[0].verb, "POST");
    EXPECT_EQ(client.sends[0].headers,
              completed_block(quote_url) + "\r\nContent-Type: application/x-www-form-urlencoded");
    EXPECT_TRUE(client.sends[0].body_is_null);
    EXPECT_TRUE(client.sends[0].body.empty());
}

TEST(HttpRequest, BodyBytesWinOverBodyText) {
    struct Row {
        const char* name;
        RequestOptions options;
        ByteBuffer body;
    };
    const ByteBuffer binary = {0x00, 0x01, 0xFF, 0x00};
    const Row rows[] = {
        {"text only", {.method = 1, .post_text = "a=1"}, bytes("a=1")},
        {"bytes win", {.method = 1, .post_text = "a=1", .post_bytes = binary}, binary},
        {"bytes with PUT", {.method = 3, .post_bytes = binary}, binary},
        {"GET ignores both", {.post_text = "a=1", .post_bytes = binary}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(quote_url, row.options);
        ASSERT_EQ(client.sends.size(), 1U);
        EXPECT_EQ(client.sends[0].body, row.body);
    }
}

TEST(HttpRequest, AgentComesFromTheCallersUserAgentLine) {
    struct Row {
        const char* name;
        std::string extra_headers;
        std::string agent;
        std::string sent_line;
    };
    const Row rows[] = {
        {"no line: default agent", "", default_agent, ""},
        {"exact spelling", "User-Agent: Test/1.0", "Test/1.0", "User-Agent: Test/1.0"},
        {"lower case, only line", "user-agent: Test", "Test", "User-Agent: Test"},
        {"among other lines, trimmed", "Accept: x\r\nUser-Agent:   Spaced  \r\nX-B: y", "Spaced",
         "User-Agent:   Spaced  "},
        // Only the agent's own line is read: no other header and no line
        // break may become part of the agent.
        {"lower case after another line", "Accept: x\r\nuser-agent: Test\r\nX-B: y", "Test",
         "User-Agent: Test"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(quote_url, {.extra_headers = row.extra_headers});
        ASSERT_EQ(client.sends.size(), 1U);
        EXPECT_EQ(client.opens[0].agent, row.agent);
        if (!row.sent_line.empty()) {
            EXPECT_NE(client.sends[0].headers.find(row.sent_line), std::string::npos)
                << client.sends[0].headers;
        }
    }
}

TEST(HttpRequest, ProxyModes) {
    struct Row {
        const char* name;
        std::string url;
        std::string proxy;
        AccessType access;
        std::string passed;
    };
    const Row rows[] = {
        {"direct", quote_url, "", AccessType::direct, ""},
        {"https keeps the proxy", "https://h.example/", "127.0.0.1:3128", AccessType::proxy,
         "127.0.0.1:3128"},
        {"http names the scheme", quote_url, "127.0.0.1:3128", AccessType::proxy,
         "http=127.0.0.1:3128"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(row.url, {.proxy = row.proxy});
        ASSERT_EQ(client.opens.size(), 1U);
        EXPECT_EQ(client.opens[0].access, row.access);
        EXPECT_EQ(client.opens[0].proxy, row.passed);
    }
}

TEST(HttpRequest, HeaderBlockIsCompletedThenNormalised) {
    const std::string url = "http://h.example/x";
    const std::string tail = "\r\nAccept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn";
    struct Row {
        const char* name;
        RequestOptions options;
        std::string block;
    };
    const Row rows[] = {
        {"caller's line first, names capitalised",
         {.extra_headers = "x-my-header: v"},
         "X-My-Header: v" + tail},
        {"line without a blank after the colon dropped",
         {.extra_headers = "X-A:1"},
         completed_block(url)},
        {"caller's Accept and Referer kept",
         {.extra_headers = "accept: text/html\r\nreferer: http://r/"},
         "Accept: text/html\r\nReferer: http://r/\r\nAccept-Language: zh-cn"},
        {"names are found anywhere in the block",
         {.extra_headers = "X-Note: Accept:none"},
         "X-Note: Accept:none\r\nReferer: " + url + "\r\nAccept-Language: zh-cn"},
        {"POST keeps the caller's Content-Type",
         {.method = 1, .extra_headers = "content-type: text/plain"},
         "Content-Type: text/plain" + tail},
        {"completion off, nothing given", {.complete_headers = false}, ""},
        {"completion off, normalised still",
         {.extra_headers = "x-a: 1\r\nbad", .complete_headers = false},
         "X-A: 1"},
        {"completion on when asked for", {.complete_headers = true}, completed_block(url)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(url, row.options);
        ASSERT_EQ(client.sends.size(), 1U);
        EXPECT_EQ(client.sends[0].headers, row.block);
    }
}

TEST(HttpRequest, CookieLineIsAddedAfterNormalisation) {
    const std::string url = "http://h.example/x";
    struct Row {
        const char* name;
        RequestOptions options;
        std::string block;
    };
    const Row rows[] = {
        {"plain cookies", {.cookies = "a=1"}, completed_block(url) + "\r\nCookie: a=1"},
        {"a whole cookie line",
         {.cookies = "Cookie: a=1"},
         completed_block(url) + "\r\nCookie: a=1"},
        {"sent unchanged",
         {.cookies = "a=1; b: 2"},
         completed_block(url) + "\r\nCookie: a=1; b: 2"},
        {"given empty: no line", {.cookies = ""}, completed_block(url)},
        {"completion off", {.cookies = "a=1", .complete_headers = false}, "\r\nCookie: a=1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordingInternetClient client = run(url, row.options);
        ASSERT_EQ(client.sends.size(), 1U);
        EXPECT_EQ(client.sends[0].headers, row.block);
    }
}

TEST(HttpRequest, EarlyFailureClosesExactlyWhatWasOpened) {
    struct Row {
        const char* name;
        bool fail_open;
        bool fail_connect;
        bool fail_request;
        std::vector<std::string> calls;
        std::vector<InternetHandle> closed;
    };
    const Row rows[] = {
        {"client", true, false, false, {"open"}, {}},
        {"connection", false, true, false, {"open", "connect", "close"}, {0x11}},
        {"request",
         false,
         false,
         true,
         {"open", "connect", "open_request", "close", "close"},
         {0x22, 0x11}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingInternetClient client;
        client.internet_handle = row.fail_open ? null_handle : 0x11;
        client.connection_handle = row.fail_connect ? null_handle : 0x22;
        client.request_handle = row.fail_request ? null_handle : 0x33;
        client.body = bytes("never read");
        client.head = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
        std::string returned_cookies = "earlier cookies";
        std::string returned_headers = "earlier head";

        const ByteBuffer body = http_request(client, quote_url,
                                             {.cookies = "b=2",
                                              .returned_cookies = &returned_cookies,
                                              .returned_headers = &returned_headers});

        EXPECT_TRUE(body.empty());
        EXPECT_EQ(client.calls, row.calls);
        EXPECT_EQ(client.closed, row.closed);
        EXPECT_EQ(returned_cookies, "earlier cookies");
        EXPECT_EQ(returned_headers, "earlier head");
    }
}

TEST(HttpRequest, BodyIsReadWholeInPiecesOf1024Bytes) {
    ByteBuffer expected;
    for (int i = 0; i < 2500; ++i) {
        expected.push_back(static_cast<unsigned char>(i % 7 == 0 ? 0 : i % 251));
    }
    RecordingInternetClient client;
    client.body = expected;

    EXPECT_EQ(http_request(client, quote_url), expected);
    EXPECT_EQ(client.read_capacities, (std::vector<std::size_t>{1024, 1024, 1024, 1024}));

    RecordingInternetClient trickle;
    trickle.body = expected;
    trickle.most_per_read = 300;
    EXPECT_EQ(http_request(trickle, quote_url), expected);
    EXPECT_EQ(trickle.read_capacities.size(), 10U); // 9 pieces, then the end
}

TEST(HttpRequest, ReturnsTheHeadAndGathersItsCookies) {
    struct Row {
        const char* name;
        std::string head;
        std::string cookies;
    };
    const Row rows[] = {
        {"attributes cut off, exact name only",
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
         "set-cookie: c=3\r\nContent-Type: text/plain\r\n\r\n",
         "a=1; b=2"},
        {"no Set-Cookie line", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n", ""},
        {"item trimmed", "HTTP/1.1 200 OK\r\nSet-Cookie:  s = x ;HttpOnly\r\n\r\n", "s = x"},
        {"name needs the blank", "HTTP/1.1 200 OK\r\nSet-Cookie:a=1\r\n\r\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingInternetClient client;
        client.head = row.head;
        std::string returned_cookies = "stale";
        std::string returned_headers;
        http_request(
            client, quote_url,
            {.returned_cookies = &returned_cookies, .returned_headers = &returned_headers});
        EXPECT_EQ(returned_headers, row.head);
        EXPECT_EQ(returned_cookies, row.cookies);
    }
}

TEST(HttpRequest, HeadThatDoesNotFitLeavesTheSpaces) {
    struct Row {
        const char* name;
        std::size_t head_size;
        bool fits;
    };
    // The head must fit together with its closing NUL byte.
    const Row rows[] = {{"4999 bytes fit", 4999, true},
                        {"5000 bytes do not", 5000, false},
                        {"6000 bytes do not", 6000, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string head = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX-Pad: ";
        head += std::string(row.head_size - head.size() - 4, 'p') + "\r\n\r\n";
        RecordingInternetClient client;
        client.head = head;
        client.body = bytes("still here");
        std::string returned_cookies = "stale";
        std::string returned_headers;

        const ByteBuffer body = http_request(
            client, quote_url,
            {.returned_cookies = &returned_cookies, .returned_headers = &returned_headers});

        EXPECT_EQ(body, bytes("still here"));
        EXPECT_EQ(returned_headers, row.fits ? head : std::string(5000, ' '));
        EXPECT_EQ(returned_cookies, row.fits ? "a=1" : "");
    }
}

TEST(HttpRequest, GivenCookiesAreMergedWithTheReturnedOnes) {
    const std::string head =
        "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\nSet-Cookie: a=deleted\r\n\r\n";
    struct Row {
        const char* name;
        RequestOptions options;
        std::optional<std::string> head;
        std::string cookies;
    };
    const Row rows[] = {
        {"merged", {.cookies = "a=1; b=2; c = 4"}, head, "b=3; c=4"},
        {"not given: not merged", {}, head, "b=3; a=deleted"},
        {"merging switched off",
         {.cookies = "a=1", .merge_cookies = false},
         head,
         "b=3; a=deleted"},
        {"merging asked for", {.cookies = "c=4", .merge_cookies = true}, head, "b=3; c=4"},
        {"given empty still merges",
         {.cookies = ""},
         "HTTP/1.1 200 OK\r\nSet-Cookie: x = 1\r\n\r\n",
         "x=1"},
        {"no head: the given cookies cleaned", {.cookies = "a = 1; a=2"}, std::nullopt, "a=1"},
        {"no head, nothing given", {}, std::nullopt, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingInternetClient client;
        client.head = row.head;
        std::string returned_cookies = "stale";
        RequestOptions options = row.options;
        options.returned_cookies = &returned_cookies;
        http_request(client, quote_url, options);
        EXPECT_EQ(returned_cookies, row.cookies);
    }
}

} // namespace
} // namespace zorvane::http
