#pragma once

// Runs our local quote service (zorvane-quote-service) for tests and
// benchmarks: started with the given options on an ephemeral port of
// 127.0.0.1, ended when this object goes.

#include <string>
#include <vector>

#include <sys/types.h>

namespace zorvane::tools {

class QuoteServiceProcess {
public:
    // Throws std::runtime_error when the service does not start.
    explicit QuoteServiceProcess(std::vector<std::string> options = {});
    ~QuoteServiceProcess();
    QuoteServiceProcess(const QuoteServiceProcess&) = delete;
    QuoteServiceProcess& operator=(const QuoteServiceProcess&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:<port>", as ZORVANE_QUOTE_HOST takes it.
    std::string host() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace zorvane::tools
