#include "http/curl/curl_internet_client.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <curl/curl.h>
#include <openssl/ssl.h>

namespace zorvane::http {

namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

bool is_control_or_blank(unsigned char c) {
    return c <= 0x20 || c >= 0x7F;
}

// A non-empty text without blanks, control bytes, bytes of 0x80 and above or
// any byte of `forbidden`.
bool plain_token(std::string_view text, std::string_view forbidden) {
    return !text.empty() && std::none_of(text.begin(), text.end(), [&](char c) {
        return is_control_or_blank(static_cast<unsigned char>(c)) ||
               forbidden.find(c) != std::string_view::npos;
    });
}

// A host name or address as it may stand in a URL; anything else could change
// the meaning of the URL that is put together from it.
bool acceptable_host(std::string_view host) {
    return plain_token(host, "/?#@\\");
}

// A method name is an HTTP token.
bool acceptable_verb(std::string_view verb) {
    return plain_token(verb, "()<>@,;:\\\"/[]?={}");
}

std::string percent_encode_path(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    if (path.empty() || path.front() != '/') {
        encoded += '/';
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (is_control_or_blank(byte)) {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

// The proxy for `scheme` out of a list such as "host:port" or
// "http=host:port https=other:port"; empty for a direct connection.
std::string pick_proxy(std::string_view list, std::string_view scheme) {
    std::string for_every_scheme;
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find_first_of(" \t;", at), list.size());
        const std::string_view entry = list.substr(at, end - at);
        at = end + 1;
        if (entry.empty()) {
            continue;
        }
        const std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (for_every_scheme.empty()) {
                for_every_scheme = entry;
            }
        } else if (equal_ignoring_case(entry.substr(0, equals), scheme)) {
            return std::string(entry.substr(equals + 1));
        }
    }
    return for_every_scheme;
}

std::vector<std::string> header_lines(std::string_view block) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at <= block.size()) {
        const std::size_t end = std::min(block.find('\n', at), block.size());
        std::string_view line = block.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        at = end + 1;
    }
    return lines;
}

bool has_header(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        const std::size_t colon = line.find(':');
        return colon != std::string::npos &&
               equal_ignoring_case(std::string_view(line).substr(0, colon), name);
    });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void initialise_curl_once() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Nothing shows OpenSSL's error texts; left unloaded, their tables
        // save some 0.7 MB. Everything else OpenSSL sets up as curl asks.
        const curl_version_info_data* curl = curl_version_info(CURLVERSION_NOW);
        if (curl->ssl_version && std::string_view(curl->ssl_version).starts_with("OpenSSL")) {
            OPENSSL_init_ssl(OPENSSL_INIT_NO_LOAD_SSL_STRINGS | OPENSSL_INIT_NO_LOAD_CRYPTO_STRINGS,
                             nullptr);
        }
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

} // namespace

struct CurlInternetClient::Object {
    virtual ~Object() = default;
};

namespace {

struct Session final : CurlInternetClient::Object {
    std::string agent;
    AccessType access = AccessType::direct;
    std::string proxy;
};

struct Connection final : CurlInternetClient::Object {
    Session session;
    std::string host;
    int port = 0; // 0: the scheme's default
};

struct Request final : CurlInternetClient::Object {
    Connection connection;
    std::string verb;
    std::string path;
    bool http_1_0 = false;
    std::uint32_t flags = 0;

    std::size_t max_body_bytes = 0;
    std::string body;
    std::string head;
    bool head_complete = false;
    std::size_t read_offset = 0;
};

std::size_t take_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& request = *static_cast<Request*>(user);
    const std::size_t bytes = size * count;
    if (request.body.size() + bytes > request.max_body_bytes) {
        return 0; // ends the transfer with a write error: a failed request
    }
    request.body.append(data, bytes);
    return bytes;
}

// Called once per head line of every response, redirects and interim ones
// included; each status line starts a new head, so the final one remains.
std::size_t take_head_line(char* data, std::size_t size, std::size_t count, void* user) {
    auto& request = *static_cast<Request*>(user);
    const std::size_t bytes = size * count;
    std::string_view line(data, bytes);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (line.substr(0, 5) == "HTTP/") {
        request.head.clear();
        request.head_complete = false;
    }
    request.head.append(line);
    request.head.append("\r\n");
    if (line.empty()) {
        request.head_complete = true;
    }
    return bytes;
}

} // namespace

CurlInternetClient::CurlInternetClient(CurlLimits limits)
    : limits_(limits) {
    initialise_curl_once();
}

CurlInternetClient::~CurlInternetClient() = default;

template <typename T>
T* CurlInternetClient::find(InternetHandle handle) const {
    const auto found = objects_.find(handle);
    return found == objects_.end() ? nullptr : dynamic_cast<T*>(found->second.get());
}

InternetHandle CurlInternetClient::keep(std::unique_ptr<Object> object) {
    const InternetHandle handle = next_handle_++;
    objects_.emplace(handle, std::move(object));
    return handle;
}

InternetHandle CurlInternetClient::open(std::string_view agent, AccessType access,
                                        std::string_view proxy) {
    auto session = std::make_unique<Session>();
    session->agent = agent;
    session->access = access;
    session->proxy = proxy;
    return keep(std::move(session));
}

InternetHandle CurlInternetClient::connect(InternetHandle internet, std::string_view host,
                                           int port) {
    const Session* session = find<Session>(internet);
    if (session == nullptr || !acceptable_host(host) || port < 0 || port > 65535) {
        return null_handle;
    }
    auto connection = std::make_unique<Connection>();
    connection->session = *session;
    connection->host = host;
    connection->port = port;
    return keep(std::move(connection));
}

InternetHandle CurlInternetClient::open_request(InternetHandle connection, std::string_view verb,
                                                std::string_view object_path,
                                                std::string_view version, std::uint32_t flags) {
    const Connection* parent = find<Connection>(connection);
    if (parent == nullptr || !acceptable_verb(verb)) {
        return null_handle;
    }
    auto request = std::make_unique<Request>();
    request->connection = *parent;
    request->verb = verb;
    request->path = percent_encode_path(object_path);
    request->http_1_0 = version == "HTTP/1.0";
    request->flags = flags;
    return keep(std::move(request));
}

bool CurlInternetClient::send_request(InternetHandle handle, std::string_view headers,
                                      const unsigned char* body, std::size_t body_length) {
    Request* request = find<Request>(handle);
    if (request == nullptr) {
        return false;
    }
    request->body.clear();
    request->head.clear();
    request->head_complete = false;
    request->read_offset = 0;
    request->max_body_bytes = limits_.max_body_bytes;

    const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        return false;
    }
    CURL* const e = easy.get();
    const Connection& connection = request->connection;
    const Session& session = connection.session;
    const bool secure = (request->flags & flag_secure) != 0;
    const std::string scheme = secure ? "https" : "http";
    const int port = connection.port != 0 ? connection.port : secure ? 443 : 80;
    const bool bracket =
        connection.host.find(':') != std::string::npos && connection.host.front() != '[';
    const std::string url = scheme + "://" +
                            (bracket ? "[" + connection.host + "]" : connection.host) + ":" +
                            std::to_string(port) + request->path;

    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                     request->http_1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);

    // Every request blocks the window that made it: the connection must stand
    // within the connect time-out (2 s by default) and the whole exchange end
    // within the total time-out (5 s), or the request fails. A body over the
    // bound (8 MiB) fails it too, with an empty body, rather than letting a
    // broken server exhaust memory. See CurlLimits.
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, limits_.connect_timeout_ms);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, limits_.total_timeout_ms);
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.max_body_bytes));

    // Only the proxy text counts; an empty proxy also keeps curl from reading
    // one from the environment.
    const std::string proxy =
        session.access == AccessType::proxy ? pick_proxy(session.proxy, scheme) : std::string();
    curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(e, CURLOPT_NOPROXY, "");
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    if ((request->flags & flag_no_auto_redirect) == 0) {
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
        const char* allowed = secure                                             ? "https"
                              : (request->flags & flag_ignore_redirect_to_https) ? "http,https"
                                                                                 : "http";
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, allowed);
    }
    if ((request->flags & flag_no_cookies) == 0) {
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, ""); // in memory, for this request only
    }
    if (!session.agent.empty()) {
        curl_easy_setopt(e, CURLOPT_USERAGENT, session.agent.c_str());
    }

    // The caller's lines in their order; a name given without a value keeps
    // curl from adding that header itself.
    std::vector<std::string> lines = header_lines(headers);
    for (const char* own : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
        if (!has_header(lines, own)) {
            lines.push_back(std::string(own) + ":");
        }
    }
    curl_slist* raw_list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* longer = curl_slist_append(raw_list, line.c_str());
        if (longer == nullptr) {
            curl_slist_free_all(raw_list);
            return false;
        }
        raw_list = longer;
    }
    const std::unique_ptr<curl_slist, ListDeleter> list(raw_list);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, list.get());

    const std::string& verb = request->verb;
    static const unsigned char no_body = 0;
    if (verb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (body_length > 0 || verb == "POST") {
        curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, body != nullptr ? body : &no_body);
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(body != nullptr ? body_length : 0));
        if (verb != "POST") {
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
        }
    } else if (verb == "GET") {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
    }

    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, take_body);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, request);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, take_head_line);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, request);

    const CURLcode result = curl_easy_perform(e);
    if (result != CURLE_OK || !request->head_complete) {
        request->body.clear();
        request->head.clear();
        request->head_complete = false;
        return false;
    }
    return true;
}

std::size_t CurlInternetClient::read(InternetHandle handle, unsigned char* buffer,
                                     std::size_t capacity) {
    Request* request = find<Request>(handle);
    if (request == nullptr || buffer == nullptr) {
        return 0;
    }
    const std::size_t count = std::min(capacity, request->body.size() - request->read_offset);
    std::copy_n(request->body.data() + request->read_offset, count, buffer);
    request->read_offset += count;
    return count;
}

bool CurlInternetClient::query_raw_headers(InternetHandle handle, char* buffer,
                                           std::size_t& length) {
    const Request* request = find<Request>(handle);
    if (request == nullptr || !request->head_complete) {
        return false;
    }
    const std::string& head = request->head;
    if (buffer == nullptr || head.size() + 1 > length) {
        length = head.size() + 1; // the room it needs, as the platform client reports it
        return false;
    }
    std::copy(head.begin(), head.end(), buffer);
    buffer[head.size()] = '\0';
    length = head.size();
    return true;
}

void CurlInternetClient::close(InternetHandle handle) {
    objects_.erase(handle);
}

} // namespace zorvane::http
