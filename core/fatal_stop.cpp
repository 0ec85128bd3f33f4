#include "core/fatal_stop.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace zorvane::core {

namespace {

constexpr std::string_view caption = "错误";
constexpr std::string_view message_head = "运行时出错!\n\n错误信息：分配 ";
constexpr std::string_view message_tail = " 字节内存失败!";

std::atomic<FatalStopDisplay> installed_display{nullptr};
std::atomic<bool> stopping{false};

// The message, built without allocating: the stop may run when the heap has
// nothing left to give.
class MessageBuffer {
public:
    explicit MessageBuffer(std::size_t requested) {
        append(message_head);
        const auto written =
            std::to_chars(buffer_.data() + size_, buffer_.data() + buffer_.size(), requested);
        size_ = static_cast<std::size_t>(written.ptr - buffer_.data());
        append(message_tail);
    }
    std::string_view view() const { return {buffer_.data(), size_}; }

private:
    void append(std::string_view part) {
        std::memcpy(buffer_.data() + size_, part.data(), part.size());
        size_ += part.size();
    }

    std::array<char, 128> buffer_{};
    std::size_t size_ = 0;
};

void write_to_stderr(std::string_view message) {
    std::fwrite(caption.data(), 1, caption.size(), stderr);
    std::fputs(": ", stderr);
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

void set_fatal_stop_display(FatalStopDisplay display) {
    installed_display.store(display);
}

std::string fatal_stop_caption() {
    return std::string(caption);
}

std::string out_of_memory_message(std::size_t requested) {
    return std::string(MessageBuffer(requested).view());
}

void stop_out_of_memory(std::size_t requested) {
    const MessageBuffer message(requested);
    const FatalStopDisplay display = installed_display.load();
    // A display that itself runs out of memory comes back here; the second
    // time the message goes to stderr.
    if (display != nullptr && !stopping.exchange(true)) {
        display(fatal_stop_caption(), std::string(message.view()));
    } else {
        write_to_stderr(message.view());
    }
    std::_Exit(-1);
}

} // namespace zorvane::core
