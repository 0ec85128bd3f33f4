// A quote GET through http_request and the libcurl client, against our local
// quote service, alternating with a minimal raw-socket GET of the same URL in
// the same run. Both pay for a new connection every time; the counters give
// the median time of each and their ratio (goal: within 1.5).

#include "http/curl/curl_internet_client.h"
#include "http/http_request.h"
#include "tools/quote_service/quote_service_process.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The whole reply to a GET of `path`, read until the server closes.
std::string raw_get(int port, const std::string& path) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + path +
                                    " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                    "\r\nConnection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
                reply.append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    ::close(fd);
    return reply;
}

double median_us(std::vector<double>& samples) {
    if (samples.empty()) {
        return 0;
    }
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(samples.size() / 2),
                     samples.end());
    return samples[samples.size() / 2];
}

double micros(Clock::duration elapsed) {
    return std::chrono::duration<double, std::micro>(elapsed).count();
}

void BM_QuoteGetAgainstRawSocket(benchmark::State& state) {
    const zorvane::tools::QuoteServiceProcess service;
    zorvane::http::CurlInternetClient client;
    const std::string path = "/list=s_sh600000";
    const std::string url = "http://" + service.host() + path;
    if (zorvane::http::http_request(client, url).empty() || raw_get(service.port(), path).empty()) {
        state.SkipWithError("the local quote service does not answer");
        return;
    }
    std::vector<double> routine;
    std::vector<double> raw;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(zorvane::http::http_request(client, url));
        const Clock::time_point middle = Clock::now();
        benchmark::DoNotOptimize(raw_get(service.port(), path));
        const Clock::time_point end = Clock::now();
        routine.push_back(micros(middle - start));
        raw.push_back(micros(end - middle));
        state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
    }
    const double routine_us = median_us(routine);
    const double raw_us = median_us(raw);
    state.counters["http_request_us"] = routine_us;
    state.counters["raw_socket_us"] = raw_us;
    state.counters["ratio"] = raw_us > 0 ? routine_us / raw_us : 0;
}
BENCHMARK(BM_QuoteGetAgainstRawSocket)
    ->UseManualTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
