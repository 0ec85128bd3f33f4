#pragma once

// The InternetClient on libcurl. Each request gets its own easy handle and is
// performed in full, blocking, by send_request; read() then hands out the
// buffered body in pieces and query_raw_headers() the final response's head.
//
// What the caller may rely on:
// - Redirects are followed unless flag_no_auto_redirect is set; from an https
//   URL only to https, from an http URL to https only with
//   flag_ignore_redirect_to_https. The head is always the final response's.
// - Cookies are kept in memory for the one request (so a cookie set by a
//   redirect goes along to its target) unless flag_no_cookies is set.
// - Proxy text "host:port" serves every scheme; "http=host:port" (entries may
//   be separated by spaces or ";") only the scheme named. Proxy settings in
//   the environment are never used.
// - https certificates and host names are verified.
// - On the wire: Host, then User-Agent from the agent, then the caller's
//   header lines in their order; curl adds no Accept, Expect or Content-Type
//   of its own. Bytes of a path that cannot stand in a request line (blanks,
//   control bytes, bytes of 0x80 and above) go out percent-encoded.
// - A failed exchange (refused, dropped, cut short, timed out, body over the
//   bound) leaves neither body nor head: read() gives 0 at once and
//   query_raw_headers() fails.
//
// One client serves one thread at a time. Handles stay valid until closed;
// closing a parent does not invalidate its children.

#include "http/internet_client.h"

#include <cstddef>
#include <map>
#include <memory>

namespace zorvane::http {

struct CurlLimits {
    // Every request blocks the window that made it, so a dead or black-holed
    // server must not freeze it for long: the connection must stand within
    // 2 s and the whole exchange, redirects included, end within 5 s.
    long connect_timeout_ms = 2000;
    long total_timeout_ms = 5000;
    // A body over this many bytes makes the request fail (empty body) rather
    // than let a broken or hostile server exhaust memory.
    std::size_t max_body_bytes = 8 * 1024 * 1024;
};

class CurlInternetClient final : public InternetClient {
public:
    explicit CurlInternetClient(CurlLimits limits = {});
    ~CurlInternetClient() override;
    CurlInternetClient(const CurlInternetClient&) = delete;
    CurlInternetClient& operator=(const CurlInternetClient&) = delete;

    InternetHandle open(std::string_view agent, AccessType access, std::string_view proxy) override;
    InternetHandle connect(InternetHandle internet, std::string_view host, int port) override;
    InternetHandle open_request(InternetHandle connection, std::string_view verb,
                                std::string_view object_path, std::string_view version,
                                std::uint32_t flags) override;
    bool send_request(InternetHandle request, std::string_view headers, const unsigned char* body,
                      std::size_t body_length) override;
    std::size_t read(InternetHandle request, unsigned char* buffer, std::size_t capacity) override;
    bool query_raw_headers(InternetHandle request, char* buffer, std::size_t& length) override;
    void close(InternetHandle handle) override;

    // What stands behind a handle; defined beside the client.
    struct Object;

private:
    template <typename T>
    T* find(InternetHandle handle) const;
    InternetHandle keep(std::unique_ptr<Object> object);

    CurlLimits limits_;
    std::map<InternetHandle, std::unique_ptr<Object>> objects_;
    InternetHandle next_handle_ = 1;
};

} // namespace zorvane::http
