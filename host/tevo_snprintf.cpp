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

namespace {

// Keeps what fits in `room` characters and counts everything wanted. The
// pieces are a few characters long, too short to be worth a memcpy call.
struct Sink {
    char* dst;
    std::size_t room;
    std::size_t wanted;

    void put(char c) {
        if (wanted < room) dst[wanted] = c;
        ++wanted;
    }
    // Puts `s` up to its NUL or `stop`, and returns where it stopped.
    const char* put_until(const char* s, char stop) {
        for (; *s != '\0' && *s != stop; ++s) put(*s);
        return s;
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
        f = out.put_until(f, '%');
        if (*f == '\0') break;
        char* p = end;
        if (f[1] == 's') {
            const char* s = va_arg(args, const char*);
            if (s == nullptr) return false;
            out.put_until(s, '\0');
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
            out.put('%');
        } else {
            return false;
        }
        while (p != end) out.put(*p++);
        f += 2;
    }
    return out.wanted <= INT_MAX;  // beyond, vsnprintf fails and so must this
}

}  // namespace

int tevo_snprintf(char* dst, int size, const char* format, ...) {
    if (size <= 0) return 0;
    Sink out{dst, static_cast<std::size_t>(size) - 1, 0};
    va_list args;
    va_start(args, format);
    const bool direct = format_direct(out, format, args);
    va_end(args);
    if (direct) {
        const int placed = static_cast<int>(out.wanted < out.room ? out.wanted : out.room);
        dst[placed] = '\0';
        return placed;
    }
    va_start(args, format);  // the arguments again, from the first
    const int n = std::vsnprintf(dst, static_cast<std::size_t>(size), format, args);
    va_end(args);
    if (n < 0) {
        dst[0] = '\0';
        return 0;
    }
    return n < size ? n : size - 1;
}
