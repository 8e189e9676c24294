// The host-side formatter that the library imports. Programs, tests and
// benchmarks of this repository link this file; the library never defines it.
//
// Formats like vsnprintf and returns the characters placed (not those wanted).
// Literal text, "%s", "%u", "%d", "%02X", "%02x" and "%%" are written directly,
// since a C library call costs more than a whole short parameter text; any
// other conversion hands the whole call to vsnprintf.
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Keeps what fits in `room` characters and counts everything wanted.
struct Sink {
    char* dst;
    std::size_t room;
    std::size_t wanted;

    void put(const char* s, std::size_t n) {
        if (wanted < room) std::memcpy(dst + wanted, s, n < room - wanted ? n : room - wanted);
        wanted += n;
    }
};

// Digits of `value` in `base`, at least `width` of them, written to end at `end`.
char* digits(char* end, unsigned value, unsigned base, int width, const char* symbols) {
    char* p = end;
    do {
        *--p = symbols[value % base];
        value /= base;
    } while (value != 0);
    while (end - p < width) *--p = '0';
    return p;
}

// false for a conversion it does not write itself.
bool format_direct(Sink& out, const char* f, va_list args) {
    char number[16];
    char* const end = number + sizeof number;
    while (*f != '\0') {
        const char* literal = f;
        while (*f != '\0' && *f != '%') ++f;
        out.put(literal, static_cast<std::size_t>(f - literal));
        if (*f == '\0') break;
        char* p = end;
        if (f[1] == 's') {
            const char* s = va_arg(args, const char*);
            if (s == nullptr) return false;
            out.put(s, std::strlen(s));
        } else if (f[1] == 'u') {
            p = digits(end, va_arg(args, unsigned), 10, 1, "0123456789");
        } else if (f[1] == 'd') {
            const int v = va_arg(args, int);
            p = digits(end, v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v), 10, 1, "0123456789");
            if (v < 0) *--p = '-';
        } else if (f[1] == '0' && f[2] == '2' && (f[3] == 'X' || f[3] == 'x')) {
            p = digits(end, va_arg(args, unsigned), 16, 2, f[3] == 'X' ? "0123456789ABCDEF" : "0123456789abcdef");
            f += 2;
        } else if (f[1] == '%') {
            out.put("%", 1);
        } else {
            return false;
        }
        out.put(p, static_cast<std::size_t>(end - p));
        f += 2;
    }
    return out.wanted <= INT_MAX;  // beyond, vsnprintf fails and so must this
}

}  // namespace

int tevo_snprintf(char* dst, int size, const char* format, ...) {
    if (size <= 0) return 0;
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    Sink out{dst, static_cast<std::size_t>(size) - 1, 0};
    const bool direct = format_direct(out, format, args);
    va_end(args);
    int placed;
    if (direct) {
        placed = static_cast<int>(out.wanted < out.room ? out.wanted : out.room);
        dst[placed] = '\0';
    } else {
        const int n = std::vsnprintf(dst, static_cast<std::size_t>(size), format, again);
        placed = n < 0 ? 0 : n < size ? n : size - 1;
        if (n < 0) dst[0] = '\0';
    }
    va_end(again);
    return placed;
}
