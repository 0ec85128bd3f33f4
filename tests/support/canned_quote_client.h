#pragma once

// An InternetClient that answers quote requests with canned bodies by path
// ("/list=s_sh600000"); a path without a body gets an empty one, as after a
// failed request. It keeps the paths asked for, in order, and can run a hook
// while a request is being sent, so a test can let time pass during it.
//
//   CannedQuoteClient client;
//   client.reply("/list=s_sh600000", "var hq_str_s_sh600000=\"A,10.23,0.73,7.68\";");

#include "core/text.h"
#include "http/internet_client.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::test {

class CannedQuoteClient : public http::InternetClient {
public:
    void reply(std::string path, std::string body) { bodies_[std::move(path)] = std::move(body); }
    void forget(const std::string& path) { bodies_.erase(path); }

    // The reply shaped like the quote service's, with the given payload.
    static std::string quote_reply(std::string_view symbol, std::string_view payload) {
        return "var hq_str_s_" + std::string(symbol) + "=\"" + std::string(payload) + "\";\n";
    }

    std::vector<std::string> paths;      // each request's path, in order
    std::vector<std::string> hosts;      // each connection's host
    std::function<void()> while_sending; // runs inside every send

    http::InternetHandle open(std::string_view, http::AccessType, std::string_view) override {
        return 1;
    }
    http::InternetHandle connect(http::InternetHandle, std::string_view host, int) override {
        hosts.emplace_back(host);
        return 2;
    }
    http::InternetHandle open_request(http::InternetHandle, std::string_view,
                                      std::string_view object_path, std::string_view,
                                      std::uint32_t) override {
        paths.emplace_back(object_path);
        const auto found = bodies_.find(std::string(object_path));
        pending_ = found == bodies_.end() ? std::string() : found->second;
        delivered_ = 0;
        return 3;
    }
    bool send_request(http::InternetHandle, std::string_view, const unsigned char*,
                      std::size_t) override {
        if (while_sending) {
            while_sending();
        }
        return true;
    }
    std::size_t read(http::InternetHandle, unsigned char* buffer, std::size_t capacity) override {
        const std::size_t count = std::min(capacity, pending_.size() - delivered_);
        std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(delivered_), count, buffer);
        delivered_ += count;
        return count;
    }
    bool query_raw_headers(http::InternetHandle, char* buffer, std::size_t& length) override {
        static constexpr std::string_view head = "HTTP/1.1 200 OK\r\n\r\n";
        if (head.size() + 1 > length) {
            return false;
        }
        std::copy(head.begin(), head.end(), buffer);
        buffer[head.size()] = '\0';
        length = head.size();
        return true;
    }
    void close(http::InternetHandle) override {}

private:
    std::map<std::string, std::string> bodies_;
    std::string pending_;
    std::size_t delivered_ = 0;
};

} // namespace zorvane::test
