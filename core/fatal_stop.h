#pragma once

// The program's one fatal stop: memory for an allocation cannot be had. The
// user sees an error box, then the process ends with exit code -1.
//
// The window layer supplies the error box with set_fatal_stop_display; until
// it does (tests, tools, the start before the first window), the stop writes
// the caption and the message to stderr. The replacement of operator new that
// leads here is the object library core_allocation_stop: only the program and
// the tests that check the stop link it, so other binaries, sanitizer builds
// among them, keep the standard allocator.

#include <cstddef>
#include <string>

namespace zorvane::core {

// Shows caption and message (GBK texts) in an error box with the error icon
// and returns once the user has closed it.
using FatalStopDisplay = void (*)(const std::string& caption, const std::string& message);

// nullptr returns to writing on stderr.
void set_fatal_stop_display(FatalStopDisplay display);

// The error box's caption and its text for a failed request of `requested`
// bytes.
std::string fatal_stop_caption();
std::string out_of_memory_message(std::size_t requested);

// Shows the error and ends the process with exit code -1, running no
// destructors or exit handlers: with memory gone they could only fail again.
[[noreturn]] void stop_out_of_memory(std::size_t requested);

} // namespace zorvane::core
