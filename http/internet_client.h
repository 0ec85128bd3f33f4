#pragma once

// The platform HTTP client, shaped like the WinInet calls that http_request
// makes: open a client with an agent and access mode, connect to a host and
// port, open a request, send it, read the body in pieces, query the raw head,
// close. Every call is synchronous. A null handle (0) means failure.
// Implementations: CurlInternetClient (libcurl) now, WinInet later; tests use
// a recording fake. No curl or Windows type may enter here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvane::http {

using InternetHandle = std::uintptr_t;
inline constexpr InternetHandle null_handle = 0;

enum class AccessType : int { direct = 1, proxy = 3 };

// Request flag words, as the platform defines them.
inline constexpr std::uint32_t flag_reload = 0x80000000;
inline constexpr std::uint32_t flag_need_file = 0x00000010;
inline constexpr std::uint32_t flag_no_cookies = 0x00080000;
inline constexpr std::uint32_t flag_no_auto_redirect = 0x00200000;
inline constexpr std::uint32_t flag_secure = 0x00800000;
inline constexpr std::uint32_t flag_ignore_redirect_to_https = 0x00004000;

class InternetClient {
public:
    virtual ~InternetClient() = default;

    // proxy is used only with AccessType::proxy ("host:port" or "http=host:port").
    virtual InternetHandle open(std::string_view agent, AccessType access,
                                std::string_view proxy) = 0;
    virtual InternetHandle connect(InternetHandle internet, std::string_view host, int port) = 0;
    virtual InternetHandle open_request(InternetHandle connection, std::string_view verb,
                                        std::string_view object_path, std::string_view version,
                                        std::uint32_t flags) = 0;
    // headers: lines joined by "\r\n", added to those the client writes itself.
    virtual bool send_request(InternetHandle request, std::string_view headers,
                              const unsigned char* body, std::size_t body_length) = 0;
    // Up to `capacity` body bytes; 0 at the end of the body and after a failure.
    virtual std::size_t read(InternetHandle request, unsigned char* buffer,
                             std::size_t capacity) = 0;
    // Writes the raw head (each line ended by "\r\n", then an empty line and a
    // NUL byte) when it fits in `length` bytes, and sets `length` to the size
    // written; false, with the buffer left alone, when it does not fit.
    virtual bool query_raw_headers(InternetHandle request, char* buffer, std::size_t& length) = 0;
    virtual void close(InternetHandle handle) = 0;
};

} // namespace zorvane::http
