#include "support/loopback_server.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvane::test {

namespace {

// A socket bound to an ephemeral port of 127.0.0.1; sets `port`.
int bind_loopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::size_t content_length(std::string_view head) {
    std::string lower(head);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const std::size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) {
        return 0;
    }
    return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

} // namespace

std::string http_reply(std::string_view status, std::string_view body,
                       std::string_view header_lines) {
    std::string reply = "HTTP/1.1 ";
    reply += status;
    reply += "\r\n";
    reply += header_lines;
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += body;
    return reply;
}

LoopbackServer::LoopbackServer(std::vector<ScriptedReply> script)
    : script_(std::move(script)) {
    if (script_.empty()) {
        throw std::invalid_argument("a loopback server needs at least one reply");
    }
    listener_ = bind_loopback(port_);
    if (::listen(listener_, 16) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        ::close(listener_);
        throw std::runtime_error("listen failed");
    }
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::LoopbackServer(std::string reply)
    : LoopbackServer(std::vector<ScriptedReply>{{std::move(reply)}}) {}

LoopbackServer::~LoopbackServer() {
    const char stop = 's';
    static_cast<void>(::write(wake_[1], &stop, 1));
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> LoopbackServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

// Reads one request (head, then as many body bytes as its Content-Length
// says) into `request`; false once the server is told to stop.
bool LoopbackServer::read_request(int connection, std::string& request) const {
    std::size_t wanted = 0; // 0 until the head is complete
    char buffer[4096];
    while (wanted == 0 || request.size() < wanted) {
        pollfd fds[2] = {{connection, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            return false;
        }
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return true; // the client hung up; keep what came
        }
        request.append(buffer, static_cast<std::size_t>(got));
        const std::size_t end = request.find("\r\n\r\n");
        if (wanted == 0 && end != std::string::npos) {
            wanted = end + 4 + content_length(std::string_view(request).substr(0, end + 2));
        }
    }
    return true;
}

void LoopbackServer::serve() {
    std::vector<int> held; // connections of silent replies, closed at the end
    std::size_t next = 0;
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            break;
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        const int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::string request;
        const bool go_on = read_request(connection, request);
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (!go_on) {
            ::close(connection);
            break;
        }
        const ScriptedReply& reply = script_[std::min(next++, script_.size() - 1)];
        if (reply.silent) {
            held.push_back(connection);
            continue;
        }
        std::size_t sent = 0;
        while (sent < reply.bytes.size()) {
            const ssize_t n = ::send(connection, reply.bytes.data() + sent,
                                     reply.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(connection, SHUT_WR);
        ::close(connection);
    }
    for (const int connection : held) {
        ::close(connection);
    }
}

RefusingPort::RefusingPort()
    : socket_(bind_loopback(port_)) {}

RefusingPort::~RefusingPort() {
    ::close(socket_);
}

} // namespace zorvane::test
