#include "alloc_counter.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_THREAD__)
#define PAKETLOG_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PAKETLOG_TSAN 1
#endif
#endif

namespace {
thread_local unsigned long t_allocations = 0;
}  // namespace

namespace testing_support {
unsigned long allocations_on_this_thread() { return t_allocations; }
}  // namespace testing_support

#ifdef PAKETLOG_TSAN
// ThreadSanitizer links its own operator new and delete, which cannot be
// replaced; its allocator reports every heap allocation (operator new goes
// through it) to a hook instead.
#include <sanitizer/allocator_interface.h>

namespace {
void on_malloc(const volatile void*, std::size_t) { ++t_allocations; }
void on_free(const volatile void*) {}
[[maybe_unused]] const int hooks_installed = __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free);
}  // namespace
#else
namespace {
void* counted(std::size_t n) {
    ++t_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) { return counted(n); }
void* operator new[](std::size_t n) { return counted(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    ++t_allocations;
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    ++t_allocations;
    return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif
