// The libcurl client on the wire, mostly through http_request, against a
// loopback server that records what arrives.

#include "http/curl/curl_internet_client.h"
#include "http/http_request.h"
#include "support/loopback_server.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zorvane::http {
namespace {

using test::http_reply;
using test::LoopbackServer;
using test::RefusingPort;
using test::ScriptedReply;

const std::string plain_agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const Text untouched_head(5000, ' ');

std::string text_of(const ByteBuffer& body) {
    return std::string(body.begin(), body.end());
}

std::string host_line(const LoopbackServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

// The request line of the index-th request the server saw.
std::string request_line(const LoopbackServer& server, std::size_t index) {
    const auto requests = server.requests();
    if (index >= requests.size()) {
        return {};
    }
    return requests[index].substr(0, requests[index].find("\r\n"));
}

// The bytes of a request from the routine with header completion on: curl's
// Host and the agent, the completed block, `more_lines`, then the body.
std::string completed_request(const LoopbackServer& server, std::string_view verb,
                              const std::string& url, std::string_view more_lines = {},
                              std::string_view body = {}) {
    const std::string path = url.substr(url.find('/', 7));
    return std::string(verb) + " " + path + " HTTP/1.1\r\n" + host_line(server) +
           "User-Agent: " + plain_agent + "\r\nAccept: */*\r\nReferer: " + url +
           "\r\nAccept-Language: zh-cn\r\n" + std::string(more_lines) + "\r\n" + std::string(body);
}

TEST(CurlOnTheWire, PlainGetGoesOutByteForByte) {
    LoopbackServer server(http_reply("200 OK", "ok"));
    CurlInternetClient client;
    const std::string url = server.url("/list=s_sh600000");

    EXPECT_EQ(text_of(http_request(client, url)), "ok");

    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0], completed_request(server, "GET", url));
}

TEST(CurlOnTheWire, PostCarriesOnlyTheRoutinesHeadersAndTheBodyLength) {
    LoopbackServer server(http_reply("200 OK", "done"));
    CurlInternetClient client;
    const std::string url = server.url("/form");
    // Over 1 MiB, where curl would ask for "Expect: 100-continue" by itself.
    const std::string long_body((1 << 20) + 1, 'x');

    EXPECT_EQ(text_of(http_request(client, url, {.method = 1, .post_text = long_body})), "done");

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 1U);
    const std::string& sent = requests[0];
    const std::size_t head_end = sent.find("\r\n\r\n") + 4;
    EXPECT_EQ(sent.substr(0, head_end),
              completed_request(server, "POST", url,
                                "Content-Type: application/x-www-form-urlencoded\r\n"
                                "Content-Length: 1048577\r\n"));
    EXPECT_TRUE(sent.substr(head_end) == long_body);
}

TEST(CurlOnTheWire, NoHeaderOfCurlsOwnWithoutCompletion) {
    LoopbackServer server(http_reply("200 OK", ""));
    CurlInternetClient client;

    http_request(client, server.url("/put"),
                 {.method = 3, .post_text = "a=1", .complete_headers = false});

    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0], "PUT /put HTTP/1.1\r\n" + host_line(server) +
                                        "User-Agent: " + plain_agent +
                                        "\r\n"
                                        "Content-Length: 3\r\n"
                                        "\r\n"
                                        "a=1");
}

TEST(CurlOnTheWire, BlanksInThePathArePercentEncoded) {
    LoopbackServer server(http_reply("200 OK", ""));
    CurlInternetClient client;

    http_request(client, server.url("/list=s_sh 600000"));

    EXPECT_EQ(request_line(server, 0), "GET /list=s_sh%20600000 HTTP/1.1");
}

TEST(CurlOnTheWire, RedirectIsFollowedAndTheFinalHeadReturned) {
    LoopbackServer server({{http_reply("302 Found", "moved", "Location: /final\r\n")},
                           {http_reply("200 OK", "arrived", "X-Final: yes\r\n")}});
    CurlInternetClient client;
    Text head;

    const ByteBuffer body = http_request(client, server.url("/start"), {.returned_headers = &head});

    EXPECT_EQ(text_of(body), "arrived");
    EXPECT_EQ(head, "HTTP/1.1 200 OK\r\n"
                    "X-Final: yes\r\n"
                    "Content-Length: 7\r\n"
                    "Connection: close\r\n"
                    "\r\n");
    EXPECT_EQ(request_line(server, 0), "GET /start HTTP/1.1");
    EXPECT_EQ(request_line(server, 1), "GET /final HTTP/1.1");
}

TEST(CurlOnTheWire, RedirectIsNotFollowedWithNoRedirect) {
    LoopbackServer server({{http_reply("302 Found", "moved", "Location: /final\r\n")},
                           {http_reply("200 OK", "arrived")}});
    CurlInternetClient client;
    Text head;

    const ByteBuffer body = http_request(client, server.url("/start"),
                                         {.returned_headers = &head, .no_redirect = true});

    EXPECT_EQ(text_of(body), "moved");
    EXPECT_EQ(head.substr(0, 22), "HTTP/1.1 302 Found\r\nLo");
    EXPECT_EQ(server.requests().size(), 1U);
}

TEST(CurlOnTheWire, CookieSetByARedirectGoesAlongUnlessCookiesAreGiven) {
    const std::vector<ScriptedReply> script = {
        {http_reply("302 Found", "", "Set-Cookie: seen=1; path=/\r\nLocation: /final\r\n")},
        {http_reply("200 OK", "arrived")}};
    CurlInternetClient client;
    {
        SCOPED_TRACE("the client's own cookie handling");
        LoopbackServer server(script);
        http_request(client, server.url("/start"));
        ASSERT_EQ(server.requests().size(), 2U);
        EXPECT_NE(server.requests()[1].find("\r\nCookie: seen=1\r\n"), std::string::npos);
    }
    {
        SCOPED_TRACE("cookies given by the caller");
        LoopbackServer server(script);
        Text returned;
        http_request(client, server.url("/start"),
                     {.cookies = "mine=2", .returned_cookies = &returned});
        ASSERT_EQ(server.requests().size(), 2U);
        EXPECT_EQ(server.requests()[1].find("seen=1"), std::string::npos);
        EXPECT_NE(server.requests()[1].find("\r\nCookie: mine=2\r\n"), std::string::npos);
    }
}

TEST(CurlOnTheWire, ChunkedBodyArrivesWhole) {
    const std::string first(1500, 'a');
    const std::string second(700, 'b');
    std::string reply =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    reply += "5dc\r\n" + first + "\r\n";  // 0x5dc = 1500
    reply += "2bc\r\n" + second + "\r\n"; // 0x2bc = 700
    reply += "0\r\n\r\n";
    LoopbackServer server(reply);
    CurlInternetClient client;

    EXPECT_EQ(text_of(http_request(client, server.url("/"))), first + second);
}

TEST(CurlOnTheWire, HeadOverTheHeaderBufferIsNotReturnedButTheBodyIs) {
    LoopbackServer server(
        http_reply("200 OK", "body", "X-Long: " + std::string(5100, 'h') + "\r\n"));
    CurlInternetClient client;
    Text head;

    EXPECT_EQ(text_of(http_request(client, server.url("/"), {.returned_headers = &head})), "body");
    EXPECT_EQ(head, untouched_head);
}

TEST(CurlOnTheWire, CookiesAreGatheredFromTheHead) {
    LoopbackServer server(
        http_reply("200 OK", "", "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"));
    CurlInternetClient client;
    Text cookies = "stale";

    http_request(client, server.url("/"), {.returned_cookies = &cookies});

    EXPECT_EQ(cookies, "a=1; b=2");
}

// Every way an exchange can fail gives an empty body, no head and no cookies.
TEST(CurlOnTheWire, FailedExchangesGiveNothing) {
    const CurlLimits small{
        .connect_timeout_ms = 200, .total_timeout_ms = 300, .max_body_bytes = 1000};
    const std::string chunked_2000 =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7d0\r\n" + std::string(2000, 'c') +
        "\r\n0\r\n\r\n";
    struct Row {
        const char* name;
        std::optional<ScriptedReply> reply; // none: nobody listens
    };
    const Row rows[] = {
        {"connection refused", std::nullopt},
        {"reply cut mid-body",
         ScriptedReply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly a part"}},
        {"reply cut mid-head", ScriptedReply{"HTTP/1.1 200 OK\r\nContent-Len"}},
        {"silent server against the time-out", ScriptedReply{"", true}},
        {"announced body over the bound",
         ScriptedReply{http_reply("200 OK", std::string(1001, 'x'))}},
        {"chunked body over the bound", ScriptedReply{chunked_2000}},
        {"garbage instead of a head", ScriptedReply{"\x01\x02 not http at all\r\n\r\n"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CurlInternetClient client(small);
        std::optional<LoopbackServer> server;
        std::optional<RefusingPort> refusing;
        std::string url;
        if (row.reply) {
            server.emplace(std::vector<ScriptedReply>{*row.reply});
            url = server->url("/");
        } else {
            refusing.emplace();
            url = "http://127.0.0.1:" + std::to_string(refusing->port()) + "/";
        }
        Text head;
        Text cookies = "stale";

        const ByteBuffer body =
            http_request(client, url, {.returned_cookies = &cookies, .returned_headers = &head});

        EXPECT_TRUE(body.empty());
        EXPECT_EQ(head, untouched_head);
        EXPECT_EQ(cookies, "");
    }
}

TEST(CurlOnTheWire, BodyAtTheBoundStillArrives) {
    LoopbackServer server(http_reply("200 OK", std::string(1000, 'x')));
    CurlInternetClient client({.max_body_bytes = 1000});

    EXPECT_EQ(http_request(client, server.url("/")).size(), 1000U);
}

// A TLS server whose certificate no authority signed: the client must refuse
// it, while a client that skips the check gets the page (which shows that the
// server itself works).
TEST(CurlOnTheWire, HttpsCertificateIsVerified) {
    if (std::system("command -v openssl > /dev/null") != 0) {
        GTEST_SKIP() << "needs the openssl program (tools/install-deps.sh installs it)";
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zorvane-tls-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string cert = (folder / "cert.pem").string();
    const std::string key = (folder / "key.pem").string();
    ASSERT_EQ(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                           "-nodes -days 1 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                           "-keyout " +
                           key + " -out " + cert + " 2> /dev/null")
                              .c_str()),
              0);
    // Two connections, then it ends; the time-out bounds a run gone wrong.
    FILE* server = ::popen(("timeout 30 openssl s_server -accept 127.0.0.1:0 -naccept 2 -www "
                            "-cert " +
                            cert + " -key " + key + " 2>&1")
                               .c_str(),
                           "r");
    ASSERT_NE(server, nullptr);
    std::string port;
    char line[256];
    while (port.empty() && std::fgets(line, sizeof line, server) != nullptr) {
        const std::string text = line;
        if (text.rfind("ACCEPT 127.0.0.1:", 0) == 0) {
            port = text.substr(17, text.find_first_of("\r\n") - 17);
        }
    }
    ASSERT_FALSE(port.empty());
    const std::string url = "https://127.0.0.1:" + port + "/";

    CurlInternetClient client;
    EXPECT_TRUE(http_request(client, url).empty());

    std::string page;
    CURL* unchecked = curl_easy_init();
    curl_easy_setopt(unchecked, CURLOPT_URL, url.c_str());
    curl_easy_setopt(unchecked, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(unchecked, CURLOPT_PROXY, "");
    curl_easy_setopt(unchecked, CURLOPT_WRITEDATA, &page);
    curl_easy_setopt(
        unchecked, CURLOPT_WRITEFUNCTION,
        +[](char* data, std::size_t size, std::size_t count, void* into) {
            static_cast<std::string*>(into)->append(data, size * count);
            return size * count;
        });
    EXPECT_EQ(curl_easy_perform(unchecked), CURLE_OK);
    curl_easy_cleanup(unchecked);
    EXPECT_NE(page.find("s_server"), std::string::npos);

    ::pclose(server);
    std::filesystem::remove_all(folder);
}

// The client on its own: the proxy text, the environment and the head buffer.
class CurlClientDirect : public ::testing::Test {
protected:
    // One GET of http://127.0.0.1:<target>/where through the client's calls.
    std::string get(AccessType access, const std::string& proxy) {
        const InternetHandle internet = client_.open("agent", access, proxy);
        const InternetHandle connection = client_.connect(internet, "127.0.0.1", target_.port());
        const InternetHandle request = client_.open_request(
            connection, "GET", "/where", "HTTP/1.1", flag_reload | flag_ignore_redirect_to_https);
        client_.send_request(request, "Accept: */*", nullptr, 0);
        unsigned char piece[4];
        std::string body;
        while (const std::size_t got = client_.read(request, piece, sizeof piece)) {
            body.append(reinterpret_cast<const char*>(piece), got);
        }
        client_.close(request);
        client_.close(connection);
        client_.close(internet);
        return body;
    }

    std::string proxy_address() const { return "127.0.0.1:" + std::to_string(proxy_.port()); }

    CurlInternetClient client_;
    LoopbackServer target_{http_reply("200 OK", "from the target")};
    LoopbackServer proxy_{http_reply("200 OK", "from the proxy")};
};

TEST_F(CurlClientDirect, ProxyTextChoosesTheProxyByScheme) {
    struct Row {
        const char* name;
        AccessType access;
        std::string proxy;
        std::string expected;
    };
    const std::string p = proxy_address();
    const Row rows[] = {
        {"direct ignores the text", AccessType::direct, p, "from the target"},
        {"one proxy for every scheme", AccessType::proxy, p, "from the proxy"},
        {"http= form", AccessType::proxy, "http=" + p, "from the proxy"},
        {"only an https proxy", AccessType::proxy, "https=" + p, "from the target"},
        {"a list", AccessType::proxy, "https=127.0.0.1:1 http=" + p, "from the proxy"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(get(row.access, row.proxy), row.expected);
    }
    const auto through_proxy = proxy_.requests();
    ASSERT_FALSE(through_proxy.empty());
    EXPECT_EQ(through_proxy[0].substr(0, through_proxy[0].find("\r\n")),
              "GET http://127.0.0.1:" + std::to_string(target_.port()) + "/where HTTP/1.1");
    EXPECT_EQ(through_proxy[0].find("Proxy-Connection"), std::string::npos);
}

TEST_F(CurlClientDirect, ProxyInTheEnvironmentIsNotUsed) {
    const std::string p = "http://" + proxy_address();
    ::setenv("http_proxy", p.c_str(), 1);
    ::setenv("HTTP_PROXY", p.c_str(), 1);
    ::setenv("ALL_PROXY", p.c_str(), 1);
    const std::string body = get(AccessType::direct, "");
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");
    ::unsetenv("ALL_PROXY");

    EXPECT_EQ(body, "from the target");
    EXPECT_TRUE(proxy_.requests().empty());
}

TEST_F(CurlClientDirect, RawHeadIsWrittenOnlyWhenItFits) {
    const InternetHandle internet = client_.open("agent", AccessType::direct, "");
    const InternetHandle connection = client_.connect(internet, "127.0.0.1", target_.port());
    const InternetHandle request =
        client_.open_request(connection, "GET", "/", "HTTP/1.1", flag_reload);
    ASSERT_TRUE(client_.send_request(request, "", nullptr, 0));
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 15\r\nConnection: close\r\n\r\n";

    std::string buffer(head.size(), '#');
    std::size_t length = buffer.size(); // one byte short: no room for the NUL
    EXPECT_FALSE(client_.query_raw_headers(request, buffer.data(), length));
    EXPECT_EQ(buffer, std::string(head.size(), '#'));
    EXPECT_EQ(length, head.size() + 1);

    buffer.assign(head.size() + 1, '#');
    length = buffer.size();
    EXPECT_TRUE(client_.query_raw_headers(request, buffer.data(), length));
    EXPECT_EQ(buffer, head + '\0');
    EXPECT_EQ(length, head.size());

    client_.close(request);
    client_.close(connection);
    client_.close(internet);
}

TEST_F(CurlClientDirect, UnusableArgumentsGiveNoHandle) {
    const InternetHandle internet = client_.open("agent", AccessType::direct, "");
    EXPECT_EQ(client_.connect(null_handle, "127.0.0.1", 80), null_handle);
    EXPECT_EQ(client_.connect(internet, "", 80), null_handle);
    EXPECT_EQ(client_.connect(internet, "evil.test/x?", 80), null_handle);
    EXPECT_EQ(client_.connect(internet, "127.0.0.1", 70000), null_handle);
    const InternetHandle connection = client_.connect(internet, "127.0.0.1", target_.port());
    ASSERT_NE(connection, null_handle);
    EXPECT_EQ(client_.open_request(internet, "GET", "/", "HTTP/1.1", 0), null_handle);
    EXPECT_EQ(client_.open_request(connection, "GET /x HTTP/1.1\r\n", "/", "HTTP/1.1", 0),
              null_handle);
    client_.close(connection);
    client_.close(internet);
    EXPECT_TRUE(target_.requests().empty());
}

} // namespace
} // namespace zorvane::http
