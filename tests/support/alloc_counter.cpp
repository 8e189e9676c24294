// Heap allocations made through operator new by this test program, per thread
// (the library's only way to the heap: it imports no malloc family function).
#include <cstdlib>
#include <new>

static thread_local unsigned long t_allocations = 0;
unsigned long allocations_on_this_thread() { return t_allocations; }

#ifndef __has_feature
#define __has_feature(x) 0
#endif
#if defined(__SANITIZE_THREAD__) || __has_feature(thread_sanitizer)
// ThreadSanitizer's operator new cannot be replaced; its allocator reports
// every heap allocation to a hook instead.
#include <sanitizer/allocator_interface.h>

[[maybe_unused]] static const int hooks_installed = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, std::size_t) { ++t_allocations; }, [](const volatile void*) {});
#else
// Every form, so that none pairs a sanitizer's allocation with free().
static void* counted(std::size_t n, bool nothrow) {
    ++t_allocations;
    void* p = std::malloc(n ? n : 1);
    return p != nullptr || nothrow ? p : throw std::bad_alloc();
}

void* operator new(std::size_t n) { return counted(n, false); }
void* operator new[](std::size_t n) { return counted(n, false); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(n, true); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(n, true); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif
