#pragma once

// A small HTTP server on 127.0.0.1 for tests. It listens on an ephemeral
// port, reads one request per connection, records its raw bytes, answers with
// the next reply of its script (the last one again once the script is used
// up) and closes the connection. Requests are recorded before the reply goes
// out, so a client that has its answer finds its request in requests().

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zorvane::test {

struct ScriptedReply {
    std::string bytes;   // sent exactly as they are, then the connection is closed
    bool silent = false; // read the request, then answer nothing and keep the line open
};

// "HTTP/1.1 <status>", the given header lines (each ended by "\r\n"), a
// Content-Length for the body and "Connection: close", then the body.
std::string http_reply(std::string_view status, std::string_view body,
                       std::string_view header_lines = {});

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<ScriptedReply> script);
    explicit LoopbackServer(std::string reply);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string url(std::string_view path = "/") const;
    std::vector<std::string> requests() const;

private:
    void serve();
    bool read_request(int connection, std::string& request) const;

    std::vector<ScriptedReply> script_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 that refuses connections for as long as this lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

} // namespace zorvane::test
