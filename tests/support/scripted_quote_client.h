#pragma once

// An internet client that answers every request itself, with the reply
// scripted for its path ("/list=s_sh600000"), and remembers each path asked
// for. Tests that must see or count the quote requests use it; an unscripted
// path gets an empty body, like a failed request. A test can let time pass
// while a request is being sent (while_sending), as a slow service would.

#include "http/internet_client.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::test {

class ScriptedQuoteClient : public http::InternetClient {
public:
    // Scripts the reply body for one path; a later call replaces it.
    void answer(const std::string& path, std::string body) { replies_[path] = std::move(body); }
    // Scripts a reply in the quote service's shape for one symbol.
    void answer_quote(const std::string& symbol, const std::string& payload) {
        answer("/list=s_" + symbol, quote_body(symbol, payload));
    }
    // A body in the quote service's shape.
    static std::string quote_body(const std::string& symbol, const std::string& payload) {
        return "var hq_str_s_" + symbol + "=\"" + payload + "\";\n";
    }
    const std::vector<std::string>& requested_paths() const { return requested_; }
    void forget_requests() { requested_.clear(); }
    // Runs inside every send, after the path has been noted.
    std::function<void()> while_sending;

    http::InternetHandle open(std::string_view, http::AccessType, std::string_view) override {
        return next_handle();
    }
    http::InternetHandle connect(http::InternetHandle internet, std::string_view, int) override {
        return internet == http::null_handle ? http::null_handle : next_handle();
    }
    http::InternetHandle open_request(http::InternetHandle connection, std::string_view,
                                      std::string_view object_path, std::string_view,
                                      std::uint32_t) override {
        if (connection == http::null_handle) {
            return http::null_handle;
        }
        const http::InternetHandle handle = next_handle();
        bodies_[handle] = Body{std::string(object_path), {}, 0};
        return handle;
    }
    bool send_request(http::InternetHandle request, std::string_view, const unsigned char*,
                      std::size_t) override {
        const auto body = bodies_.find(request);
        if (body == bodies_.end()) {
            return false;
        }
        requested_.push_back(body->second.path);
        if (while_sending) {
            while_sending();
        }
        const auto reply = replies_.find(body->second.path);
        body->second.bytes = reply == replies_.end() ? std::string() : reply->second;
        return true;
    }
    std::size_t read(http::InternetHandle request, unsigned char* buffer,
                     std::size_t capacity) override {
        const auto body = bodies_.find(request);
        if (body == bodies_.end()) {
            return 0;
        }
        Body& b = body->second;
        const std::size_t n = std::min(capacity, b.bytes.size() - b.read);
        std::memcpy(buffer, b.bytes.data() + b.read, n);
        b.read += n;
        return n;
    }
    bool query_raw_headers(http::InternetHandle request, char* buffer,
                           std::size_t& length) override {
        if (bodies_.find(request) == bodies_.end()) {
            return false;
        }
        static constexpr char head[] = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
        if (length < sizeof head) {
            return false;
        }
        std::memcpy(buffer, head, sizeof head);
        length = sizeof head;
        return true;
    }
    void close(http::InternetHandle handle) override { bodies_.erase(handle); }

private:
    struct Body {
        std::string path;
        std::string bytes;
        std::size_t read = 0;
    };
    http::InternetHandle next_handle() { return ++last_handle_; }

    std::map<std::string, std::string> replies_;
    std::map<http::InternetHandle, Body> bodies_;
    std::vector<std::string> requested_;
    http::InternetHandle last_handle_ = 0;
};

} // namespace zorvane::test
