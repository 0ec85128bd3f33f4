#pragma once

// An InternetClient for tests that must see the calls themselves: it records
// every call with its arguments, answers with scripted handles, body and head,
// and fails whichever step a test asks it to.
//
//   RecordingInternetClient client;
//   client.body = core::text_to_bytes("hello");
//   client.head = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
//   client.connection_handle = null_handle; // the connection fails

#include "core/text.h"
#include "http/internet_client.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::test {

class RecordingInternetClient : public http::InternetClient {
public:
    using Handle = http::InternetHandle;

    struct OpenCall {
        std::string agent;
        http::AccessType access;
        std::string proxy;
    };
    struct ConnectCall {
        Handle internet;
        std::string host;
        int port;
    };
    struct RequestCall {
        Handle connection;
        std::string verb;
        std::string object_path;
        std::string version;
        std::uint32_t flags;
    };
    struct SendCall {
        Handle request;
        std::string headers;
        bool body_is_null;
        core::ByteBuffer body;
    };

    // Script. A handle set to null_handle makes that step fail.
    Handle internet_handle = 0x11;
    Handle connection_handle = 0x22;
    Handle request_handle = 0x33;
    core::ByteBuffer body; // delivered by read() in order
    std::size_t most_per_read = std::numeric_limits<std::size_t>::max();
    std::optional<std::string> head; // raw head; none: the query fails

    // Record, in call order.
    std::vector<std::string> calls; // "open", "connect", ..., "close"
    std::vector<OpenCall> opens;
    std::vector<ConnectCall> connects;
    std::vector<RequestCall> requests;
    std::vector<SendCall> sends;
    std::vector<std::size_t> read_capacities;
    std::vector<std::size_t> query_lengths;
    std::vector<Handle> closed;

    Handle open(std::string_view agent, http::AccessType access, std::string_view proxy) override {
        calls.emplace_back("open");
        opens.push_back({std::string(agent), access, std::string(proxy)});
        return internet_handle;
    }

    Handle connect(Handle internet, std::string_view host, int port) override {
        calls.emplace_back("connect");
        connects.push_back({internet, std::string(host), port});
        return connection_handle;
    }

    Handle open_request(Handle connection, std::string_view verb, std::string_view object_path,
                        std::string_view version, std::uint32_t flags) override {
        calls.emplace_back("open_request");
        requests.push_back(
            {connection, std::string(verb), std::string(object_path), std::string(version), flags});
        return request_handle;
    }

    bool send_request(Handle request, std::string_view headers, const unsigned char* bytes,
                      std::size_t length) override {
        calls.emplace_back("send_request");
        SendCall call{request, std::string(headers), bytes == nullptr, {}};
        if (bytes != nullptr) {
            call.body.assign(bytes, bytes + length);
        }
        sends.push_back(std::move(call));
        return true;
    }

    std::size_t read(Handle, unsigned char* buffer, std::size_t capacity) override {
        calls.emplace_back("read");
        read_capacities.push_back(capacity);
        const std::size_t count = std::min({capacity, most_per_read, body.size() - delivered_});
        std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(delivered_), count, buffer);
        delivered_ += count;
        return count;
    }

    bool query_raw_headers(Handle, char* buffer, std::size_t& length) override {
        calls.emplace_back("query_raw_headers");
        query_lengths.push_back(length);
        if (!head || head->size() + 1 > length) {
            return false;
        }
        std::memcpy(buffer, head->c_str(), head->size() + 1);
        length = head->size();
        return true;
    }

    void close(Handle handle) override {
        calls.emplace_back("close");
        closed.push_back(handle);
    }

private:
    std::size_t delivered_ = 0;
};

} // namespace zorvane::test
