// Windows-1251 texts written as readable UTF-8 in the source.
//
//   constexpr auto kHello = cp1251("Привет");   // kHello.s: "\xCF\xF0..." as a C string
//
// The conversion runs at compile time; a character outside ASCII and the
// Cyrillic letters А-я, Ё, ё stops the build.
#ifndef PAKETLOG_SRC_CP1251_H
#define PAKETLOG_SRC_CP1251_H

#include <cstddef>

namespace paketlog {
namespace detail {

template <std::size_t N>
struct Cp1251Text {
    char s[N];  // NUL-terminated; never longer than the UTF-8 source

    constexpr std::size_t size() const {
        std::size_t n = 0;
        while (s[n] != '\0') ++n;
        return n;
    }
};

struct CodePointCp1251 {
    unsigned code_point;
    unsigned char byte;
};

// Cyrillic outside the contiguous run U+0410..U+044F (0xC0..0xFF).
constexpr CodePointCp1251 kCp1251Extra[] = {
    {0x0401, 0xA8},  // Ё
    {0x0451, 0xB8},  // ё
    {0x2116, 0xB9},  // №
};

constexpr unsigned char cp1251_byte(unsigned cp) {
    if (cp < 0x80) return static_cast<unsigned char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<unsigned char>(cp - 0x0410 + 0xC0);
    for (const CodePointCp1251& e : kCp1251Extra)
        if (e.code_point == cp) return e.byte;
    throw "character has no Windows-1251 byte";  // not a constant expression: the build stops
}

template <std::size_t N>
constexpr Cp1251Text<N> cp1251(const char (&utf8)[N]) {
    Cp1251Text<N> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i + 1 < N;) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        unsigned cp = 0;
        if (b < 0x80) {
            cp = b;
            i += 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            i += 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            i += 3;
        } else {
            throw "not UTF-8";
        }
        out.s[o++] = static_cast<char>(cp1251_byte(cp));
    }
    out.s[o] = '\0';
    return out;
}

}  // namespace detail
}  // namespace paketlog

#endif
