#include "tools/quote_service/quote_service_process.h"

#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorvane::tools {

namespace {

// The first line the service prints, its port; empty when none comes in 10 s.
std::string first_line(int from) {
    std::string line;
    char c = 0;
    while (line.size() < 16) {
        pollfd fd = {from, POLLIN, 0};
        if (::poll(&fd, 1, 10000) <= 0 || ::read(from, &c, 1) != 1 || c == '\n') {
            break;
        }
        line += c;
    }
    return c == '\n' ? line : std::string();
}

} // namespace

QuoteServiceProcess::QuoteServiceProcess(std::vector<std::string> options) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> arguments = {ZORVANE_QUOTE_SERVICE_PATH, "--port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    const std::string port = failed == 0 ? first_line(out[0]) : std::string();
    ::close(out[0]);
    port_ = std::atoi(port.c_str());
    if (port_ <= 0) {
        if (failed == 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        throw std::runtime_error("the local quote service did not start");
    }
}

QuoteServiceProcess::~QuoteServiceProcess() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

std::string QuoteServiceProcess::host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

} // namespace zorvane::tools
