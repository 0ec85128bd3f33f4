// zorvane-quote-service: a stand-in for the public quote service on
// 127.0.0.1, for tests, benchmarks and an offline demo. It answers
// GET /list=s_<symbol>[,s_<symbol>...] in the public service's shape and
// encoding (GBK), one request per connection, and can be told to misbehave.

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* usage = R"(Usage: zorvane-quote-service [options]

Serves real-time quotes on 127.0.0.1 in the shape and GBK encoding of the
public quote service, for tests, benchmarks and offline demos:

  GET /list=s_sh600000   ->   var hq_str_s_sh600000="<name>,10.23,0.12,1.19,123456,7890";

Fields: name, price (an index's level), change, change in percent, volume
(lots), amount (10,000 yuan). Prices move a little on every request. A symbol
it does not list gets an empty value: var hq_str_s_sz123456="";
Several symbols may be asked at once: /list=s_sh600000,s_sz000001.
Each connection carries one request and is closed after the reply.

Listed: sh600000 sh600036 sh600519 sh601318 sz000001 sz000002 sz000858
        sz300750, and the indices sh000001 sz399001 sz399006.

Options:
  --port N           listen on port N (default 0: any free port); the port
                     in use is printed alone on the first line of stdout
  --seed N           seed of the price moves (default 1); equal seeds and
                     equal requests give equal replies
  --delay-ms N       wait N milliseconds before each reply
  --forbidden        refuse every request like the public service refuses
                     strangers: 403 with the body "Kinsoku jikou desu!"
  --require-referer  refuse only requests without a Referer on
                     finance.sina.com.cn, as the public service does
  --garbage          answer 200 with random bytes instead of quotes
  --cut              announce the whole body but close after half of it
  --huge             answer a body of 9 MiB, without a Content-Length
  --help             show this text

Point Zorvane at it with ZORVANE_QUOTE_HOST=127.0.0.1:<port>.
)";

struct Options {
    int port = 0;
    std::uint32_t seed = 1;
    int delay_ms = 0;
    bool forbidden = false;
    bool require_referer = false;
    bool garbage = false;
    bool cut = false;
    bool huge = false;
};

struct Listing {
    const char* symbol;
    const char* name;            // GBK: narrow literals of this program are compiled to GBK
    std::int64_t previous_close; // in units of 1/scale
    std::int64_t scale;          // 100 for stocks, 10000 for index levels
    std::int64_t price = 0;
    std::int64_t volume = 0; // lots
};

std::vector<Listing> listings() {
    return {
        {"sh600000", "浦发银行", 1011, 100},       {"sh600036", "招商银行", 3512, 100},
        {"sh600519", "贵州茅台", 168800, 100},     {"sh601318", "中国平安", 4876, 100},
        {"sz000001", "平安银行", 1135, 100},       {"sz000002", "万科Ａ", 987, 100},
        {"sz000858", "五 粮 液", 14250, 100},      {"sz300750", "宁德时代", 19860, 100},
        {"sh000001", "上证指数", 30946680, 10000}, {"sz399001", "深证成指", 101052300, 10000},
        {"sz399006", "创业板指", 20124500, 10000},
    };
}

bool parse_count(const char* text, long maximum, long& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < 0 || parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}

// Returns 0 to go on, otherwise the exit code.
int parse_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        long value = 0;
        auto number = [&](long maximum) {
            return i + 1 < argc && parse_count(argv[++i], maximum, value);
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return -1;
        } else if (arg == "--port" && number(65535)) {
            options.port = static_cast<int>(value);
        } else if (arg == "--seed" && number(0xFFFFFFFFL)) {
            options.seed = static_cast<std::uint32_t>(value);
        } else if (arg == "--delay-ms" && number(600000)) {
            options.delay_ms = static_cast<int>(value);
        } else if (arg == "--forbidden") {
            options.forbidden = true;
        } else if (arg == "--require-referer") {
            options.require_referer = true;
        } else if (arg == "--garbage") {
            options.garbage = true;
        } else if (arg == "--cut") {
            options.cut = true;
        } else if (arg == "--huge") {
            options.huge = true;
        } else {
            std::fprintf(stderr, "zorvane-quote-service: bad argument '%s'\n\n%s", argv[i], usage);
            return 2;
        }
    }
    return 0;
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

// The value of the first header line called `name` (given in lower case).
std::string header_value(std::string_view head, std::string_view name) {
    const std::string lowered = lower(head);
    const std::size_t at = lowered.find("\r\n" + std::string(name) + ":");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + 3 + name.size();
    const std::size_t end = head.find("\r\n", start);
    std::string value(head.substr(start, end - start));
    value.erase(0, value.find_first_not_of(' '));
    return value;
}

std::string fixed(std::int64_t value, std::int64_t scale) {
    const int places = scale == 100 ? 2 : 4;
    const std::int64_t whole = (value < 0 ? -value : value) / scale;
    const std::int64_t part = (value < 0 ? -value : value) % scale;
    char text[64];
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", value < 0 ? "-" : "",
                  static_cast<long long>(whole), places, static_cast<long long>(part));
    return text;
}

class QuoteBook {
public:
    explicit QuoteBook(std::uint32_t seed)
        : listings_(listings())
        , random_(seed) {
        for (Listing& listing : listings_) {
            listing.price = listing.previous_close;
            listing.volume = 100000 + static_cast<std::int64_t>(random_() % 900000);
        }
    }

    // One line of the reply for the item "s_<symbol>"; the price moves first.
    std::string line(std::string_view item) {
        const std::string variable = "var hq_str_" + std::string(item) + "=\"";
        Listing* listing = item.substr(0, 2) == "s_" ? find(item.substr(2)) : nullptr;
        if (listing == nullptr) {
            return variable + "\";\n";
        }
        move(*listing);
        const std::int64_t change = listing->price - listing->previous_close;
        // Change in percent, rounded half away from zero to two places.
        const std::int64_t basis_points_x2 = change * 20000 / listing->previous_close;
        const std::int64_t hundredths = (basis_points_x2 + (basis_points_x2 < 0 ? -1 : 1)) / 2;
        const std::int64_t amount = listing->volume * listing->price / listing->scale / 100;
        return variable + listing->name + "," + fixed(listing->price, listing->scale) + "," +
               fixed(change, listing->scale) + "," + fixed(hundredths, 100) + "," +
               std::to_string(listing->volume) + "," + std::to_string(amount) + "\";\n";
    }

    std::string garbage() {
        std::string bytes(64 + random_() % 448, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random_() & 0xFF);
        }
        return bytes;
    }

private:
    Listing* find(std::string_view symbol) {
        for (Listing& listing : listings_) {
            if (symbol == listing.symbol) {
                return &listing;
            }
        }
        return nullptr;
    }

    // A step of up to five ticks either way, kept within 10 % of the
    // previous close like the exchanges' daily limit.
    void move(Listing& listing) {
        const std::int64_t tick = listing.scale == 100 ? 1 : 5000; // a cent, half a point
        const std::int64_t step = (static_cast<std::int64_t>(random_() % 11) - 5) * tick;
        const std::int64_t limit = listing.previous_close / 10;
        const std::int64_t next = listing.price + step;
        if (next >= listing.previous_close - limit && next <= listing.previous_close + limit) {
            listing.price = next;
        }
        listing.volume += 1 + static_cast<std::int64_t>(random_() % 5000);
    }

    std::vector<Listing> listings_;
    std::mt19937 random_; // the same sequence on every platform
};

std::string head(std::string_view status, std::string_view content_type,
                 const std::string* length) {
    std::string text = "HTTP/1.1 " + std::string(status) + "\r\n";
    text += "Content-Type: " + std::string(content_type) + "\r\n";
    if (length != nullptr) {
        text += "Content-Length: " + *length + "\r\n";
    }
    text += "Connection: close\r\n\r\n";
    return text;
}

std::string whole_reply(std::string_view status, std::string_view content_type,
                        const std::string& body) {
    const std::string length = std::to_string(body.size());
    return head(status, content_type, &length) + body;
}

constexpr std::string_view quote_type = "application/javascript; charset=GB18030";
constexpr std::string_view refusal = "Kinsoku jikou desu!";

bool send_all(int connection, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Reads a request head; empty when the client sends none within 5 s or
// sends more than 64 KiB without ending its head.
std::string read_head(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd fd = {connection, POLLIN, 0};
        if (::poll(&fd, 1, 5000) <= 0) {
            return {};
        }
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return {};
        }
        request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(0, end + 2);
}

void answer(int connection, const Options& options, QuoteBook& book) {
    const std::string request = read_head(connection);
    if (request.empty()) {
        return;
    }
    if (options.delay_ms > 0) {
        const timespec pause = {options.delay_ms / 1000, (options.delay_ms % 1000) * 1000000L};
        ::nanosleep(&pause, nullptr);
    }
    const std::string referer = header_value(request, "referer");
    const bool known_referer = lower(referer).find("finance.sina.com.cn") != std::string::npos;
    if (options.forbidden || (options.require_referer && !known_referer)) {
        send_all(connection, whole_reply("403 Forbidden", "text/html", std::string(refusal)));
        return;
    }
    const std::size_t line_end = request.find("\r\n");
    const std::string_view line = std::string_view(request).substr(0, line_end);
    constexpr std::string_view prefix = "GET /list=";
    const std::size_t target_end = line.find(' ', prefix.size());
    if (line.substr(0, prefix.size()) != prefix || target_end == std::string_view::npos) {
        send_all(connection, whole_reply("404 Not Found", "text/html", ""));
        return;
    }
    if (options.garbage) {
        send_all(connection, whole_reply("200 OK", quote_type, book.garbage()));
        return;
    }
    std::string body;
    const std::string_view items = line.substr(prefix.size(), target_end - prefix.size());
    std::size_t at = 0;
    while (at <= items.size()) {
        const std::size_t comma = std::min(items.find(',', at), items.size());
        if (comma > at) {
            body += book.line(items.substr(at, comma - at));
        }
        at = comma + 1;
    }
    if (options.huge) {
        const std::string one = body.empty() ? std::string("var hq_str_=\"\";\n") : body;
        std::string block;
        while (block.size() < 64 * 1024) {
            block += one;
        }
        std::size_t sent = 0;
        if (!send_all(connection, head("200 OK", quote_type, nullptr))) {
            return;
        }
        while (sent < 9 * 1024 * 1024 && send_all(connection, block)) {
            sent += block.size();
        }
        return;
    }
    if (options.cut) {
        const std::string length = std::to_string(body.size());
        send_all(connection, head("200 OK", quote_type, &length) + body.substr(0, body.size() / 2));
        return;
    }
    send_all(connection, whole_reply("200 OK", quote_type, body));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int stop = parse_options(argc, argv, options); stop != 0) {
        return stop < 0 ? 0 : stop;
    }
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener, 128) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        std::fprintf(stderr, "zorvane-quote-service: cannot listen on 127.0.0.1:%d: %s\n",
                     options.port, std::strerror(errno));
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    QuoteBook book(options.seed);
    for (;;) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        answer(connection, options, book);
        ::shutdown(connection, SHUT_WR);
        ::close(connection);
    }
}
