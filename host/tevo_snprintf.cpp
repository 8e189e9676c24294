// The host-side formatter that the library imports. Programs, tests and
// benchmarks of this repository link this file; the library never defines it.
//
// Formats like vsnprintf and returns the characters placed (not those wanted).
// Literal text, "%s", "%u", "%d", "%02X", "%02x" and "%%" are written directly,
// since a C library call costs more than a whole short parameter text; any
// other conversion hands the whole call to vsnprintf.
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Writes up to `end`, where the NUL goes. Once the room is gone nothing later
// can be placed, so the puts return false and formatting stops there.
struct Sink {
    char* at;
    char* end;

    bool put(char c) {
        if (at == end) return false;
        *at++ = c;
        return true;
    }
    // Copies eight bytes at a time where it can: these texts are too short to
    // be worth a memcpy call.
    bool put(const char* s, std::size_t n) {
        const std::size_t room = static_cast<std::size_t>(end - at);
        const bool whole = n <= room;
        char* const stop = at + (whole ? n : room);
        for (; stop - at >= 8; at += 8, s += 8) std::memcpy(at, s, 8);
        while (at != stop) *at++ = *s++;
        return whole;
    }
};

// Digits written to end at `end`; returns where they start.
char* decimal(char* end, unsigned value) {
    do {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

char* hex(char* end, unsigned value, const char* symbols) {
    do {
        *--end = symbols[value & 15];
        value >>= 4;
    } while (value != 0);
    return end;
}

enum class Result { Done, Full, Other };  // Other: a conversion left to vsnprintf

Result format_direct(Sink& out, const char* f, va_list args) {
    char number[16];
    char* const end = number + sizeof number;
    for (;;) {
        for (char c; (c = *f) != '%'; ++f) {
            if (c == '\0') return Result::Done;
            if (!out.put(c)) return Result::Full;
        }
        const char* text;  // what the conversion writes: a text, or digits ending at `end`
        std::size_t n;
        if (f[1] == 's') {
            text = va_arg(args, const char*);
            if (text == nullptr) return Result::Other;
            n = std::strlen(text);
        } else if (f[1] == 'u') {
            text = decimal(end, va_arg(args, unsigned));
            n = static_cast<std::size_t>(end - text);
        } else if (f[1] == 'd') {
            const int v = va_arg(args, int);
            char* q = decimal(end, v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v));
            if (v < 0) *--q = '-';
            text = q;
            n = static_cast<std::size_t>(end - text);
        } else if (f[1] == '0' && f[2] == '2' && (f[3] == 'X' || f[3] == 'x')) {
            char* q = hex(end, va_arg(args, unsigned), f[3] == 'X' ? "0123456789ABCDEF" : "0123456789abcdef");
            if (end - q < 2) *--q = '0';
            text = q;
            n = static_cast<std::size_t>(end - text);
            f += 2;
        } else if (f[1] == '%') {
            text = "%";
            n = 1;
        } else {
            return Result::Other;
        }
        if (!out.put(text, n)) return Result::Full;
        f += 2;
    }
}

}  // namespace

int tevo_snprintf(char* dst, int size, const char* format, ...) {
    if (size <= 0) return 0;
    Sink out{dst, dst + size - 1};
    va_list args;
    va_start(args, format);
    const Result result = format_direct(out, format, args);
    va_end(args);
    if (result != Result::Other) {
        *out.at = '\0';
        return static_cast<int>(out.at - dst);
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
