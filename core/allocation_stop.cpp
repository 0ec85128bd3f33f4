// The program's global operator new and delete: where the standard ones would
// throw std::bad_alloc, these stop the program with the error box (the
// stop needs the size asked for, which a new_handler never learns). A
// new_handler that has been installed still gets its chances first. The
// nothrow forms keep returning nullptr. Memory comes from malloc and goes back
// to free, for every form alike.

#include "core/fatal_stop.h"

#include <cstdlib>
#include <new>

namespace {

// One attempt after another while a new_handler can make room; nullptr when
// none is installed (or it gave up by throwing, for the nothrow forms).
template <typename Allocate>
void* allocate_or_null(std::size_t size, Allocate allocate) {
    for (;;) {
        if (void* memory = allocate(size == 0 ? 1 : size)) {
            return memory;
        }
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            return nullptr;
        }
        handler();
    }
}

void* plain(std::size_t size) {
    return std::malloc(size);
}

// aligned_alloc wants a size that is a multiple of the alignment.
auto aligned(std::align_val_t alignment) {
    return [alignment](std::size_t size) -> void* {
        const auto align = static_cast<std::size_t>(alignment);
        const std::size_t rounded = (size + align - 1) / align * align;
        return rounded < size ? nullptr : std::aligned_alloc(align, rounded);
    };
}

template <typename Allocate>
void* allocate_or_stop(std::size_t size, Allocate allocate) {
    void* memory = allocate_or_null(size, allocate);
    if (memory == nullptr) {
        zorvane::core::stop_out_of_memory(size);
    }
    return memory;
}

template <typename Allocate>
void* allocate_nothrow(std::size_t size, Allocate allocate) noexcept {
    try {
        return allocate_or_null(size, allocate);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

void* operator new(std::size_t size) {
    return allocate_or_stop(size, plain);
}
void* operator new[](std::size_t size) {
    return allocate_or_stop(size, plain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocate_or_stop(size, aligned(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocate_or_stop(size, aligned(alignment));
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate_nothrow(size, plain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate_nothrow(size, plain);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate_nothrow(size, aligned(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate_nothrow(size, aligned(alignment));
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(memory);
}
