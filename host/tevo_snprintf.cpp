// The host-side formatter that the library imports. Programs, tests and
// benchmarks of this repository link this file; the library never defines it.
#include <cstdarg>
#include <cstdio>

int tevo_snprintf(char* dst, int size, const char* format, ...) {
    if (size <= 0) return 0;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(dst, static_cast<std::size_t>(size), format, args);
    va_end(args);
    if (n < 0) {
        dst[0] = '\0';
        return 0;
    }
    return n < size ? n : size - 1;  // characters placed, not characters wanted
}
