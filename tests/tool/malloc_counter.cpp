// Counts the heap allocations of a whole program: loaded with LD_PRELOAD, it
// stands in for the C library's allocation functions, counts each call and
// passes it on. At exit the count goes to the file named by
// PAKETLOG_ALLOC_COUNT_FILE. operator new reaches it through malloc.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

std::atomic<unsigned long> g_allocations{0};

__attribute__((destructor)) void write_count() {
    const char* path = std::getenv("PAKETLOG_ALLOC_COUNT_FILE");
    if (path == nullptr) return;
    char digits[24];
    char* p = digits + sizeof digits;
    *--p = '\n';
    unsigned long n = g_allocations;
    do *--p = static_cast<char>('0' + n % 10); while ((n /= 10) != 0);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    const ssize_t size = digits + sizeof digits - p;
    if (::write(fd, p, static_cast<std::size_t>(size)) != size) ::unlink(path);
    ::close(fd);
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
    ++g_allocations;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    ++g_allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    ++g_allocations;
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    ++g_allocations;
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    ++g_allocations;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    ++g_allocations;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
}
