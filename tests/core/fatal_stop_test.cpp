// This test links the program's operator new (core_allocation_stop), so a
// request that cannot be met ends the process the way the program does.

#include "core/fatal_stop.h"
#include "core/text.h"

#include <cstdio>
#include <new>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

// Under AddressSanitizer a request beyond what it can serve must fail like any
// other instead of being reported (it still prints a warning on stderr);
// without it this hook is never called.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace zorvane::core {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// No machine serves this much: 2^60 bytes.
constexpr std::size_t impossible = std::size_t{1} << 60;

void* volatile sink = nullptr;

void allocate(std::size_t size) {
    const volatile std::size_t asked = size;
    sink = ::operator new(asked);
}

bool ended_with_minus_one(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 255;
}

TEST(FatalStop, MessageNamesTheRequestedSize) {
    EXPECT_EQ(fatal_stop_caption(), "错误");
    for (const std::size_t size : {std::size_t{0}, std::size_t{1024}, impossible}) {
        const std::string message = out_of_memory_message(size);
        EXPECT_THAT(message, StartsWith("运行时出错!"));
        const TextArray lines = split_at(message, "\n");
        const std::string line = "错误信息：分配 " + std::to_string(size) + " 字节内存失败!";
        EXPECT_THAT(lines, ::testing::Contains(line));
    }
}

TEST(FatalStopDeathTest, FailedAllocationWritesTheMessageAndExitsMinusOne) {
    const std::string line = "错误信息：分配 1152921504606846976 字节内存失败!";
    EXPECT_EXIT(allocate(impossible), ended_with_minus_one,
                AllOf(HasSubstr("错误: 运行时出错!"), HasSubstr(line)));
}

void show_on_stderr(const std::string& caption, const std::string& message) {
    std::fprintf(stderr, "box[%s|%s]", caption.c_str(), message.c_str());
}

TEST(FatalStopDeathTest, SuppliedDisplayShowsTheError) {
    const std::string shown = "box[错误|" + out_of_memory_message(impossible) + "]";
    EXPECT_EXIT(
        {
            set_fatal_stop_display(show_on_stderr);
            allocate(impossible);
        },
        ended_with_minus_one, HasSubstr(shown));
}

int handler_calls = 0;

TEST(FatalStopDeathTest, NewHandlerGetsItsChancesFirst) {
    EXPECT_EXIT(
        {
            std::set_new_handler([] {
                std::fprintf(stderr, "handler %d;", ++handler_calls);
                if (handler_calls == 3) {
                    std::set_new_handler(nullptr);
                }
            });
            allocate(impossible);
        },
        ended_with_minus_one,
        AllOf(ContainsRegex("handler 1;.*handler 2;.*handler 3;"), Not(HasSubstr("handler 4")),
              HasSubstr("错误: 运行时出错!")));
}

TEST(FatalStop, NothrowFormsStillReturnNull) {
    const volatile std::size_t asked = impossible;
    EXPECT_EQ(::operator new(asked, std::nothrow), nullptr);
    EXPECT_EQ(::operator new[](asked, std::nothrow), nullptr);
    EXPECT_EQ(::operator new (asked, std::align_val_t{64}, std::nothrow), nullptr);
}

TEST(FatalStop, OrdinaryAllocationsWork) {
    auto* aligned = new (std::align_val_t{256}) char[100];
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 256, 0U);
    ::operator delete[](aligned, std::align_val_t{256});
    const std::vector<std::string> texts(1000, std::string(100, 'x'));
    EXPECT_EQ(texts.back().size(), 100U);
}

} // namespace
} // namespace zorvane::core
