// Decimal numbers written in place, two digits a step.
#ifndef PAKETLOG_TOOLS_TEXT_DECIMAL_TEXT_H
#define PAKETLOG_TOOLS_TEXT_DECIMAL_TEXT_H

#include <array>
#include <cstdint>
#include <cstring>

namespace paketlog {
namespace tool {

// "00" to "99".
inline constexpr std::array<char, 200> kDecimalPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

template <typename Unsigned>
char* put_pairs(char* out, Unsigned value, int width) {
    int i = width;
    for (; i >= 2; i -= 2) {
        std::memcpy(out + i - 2, &kDecimalPairs[static_cast<std::size_t>(2 * (value % 100))], 2);
        value /= 100;
    }
    if (i == 1) out[0] = static_cast<char>('0' + value % 10);
    return out + width;
}

// `value` in exactly `width` decimal digits at `out`, leading zeros kept;
// where they end. Values that fit 32 bits are divided as such (cheaper).
inline char* put_digits(char* out, std::uint64_t value, int width) {
    return value <= 0xFFFFFFFFu ? put_pairs(out, static_cast<std::uint32_t>(value), width) : put_pairs(out, value, width);
}

template <typename Unsigned>
int width_of(Unsigned value) {
    int n = 1;
    for (; value >= 100; value /= 100) n += 2;
    return value >= 10 ? n + 1 : n;
}

// The same for 32 bits, by halving the range of widths at each compare.
inline int width_of(std::uint32_t v) {
    if (v < 10000) return v < 100 ? (v < 10 ? 1 : 2) : (v < 1000 ? 3 : 4);
    if (v < 100000000) return v < 1000000 ? (v < 100000 ? 5 : 6) : (v < 10000000 ? 7 : 8);
    return v < 1000000000 ? 9 : 10;
}

// How many decimal digits `value` has (1 for 0).
inline int decimal_width(std::uint64_t value) {
    return value <= 0xFFFFFFFFu ? width_of(static_cast<std::uint32_t>(value)) : width_of(value);
}

// `value` in as many digits as it needs.
inline char* put_decimal(char* out, std::uint64_t value) { return put_digits(out, value, decimal_width(value)); }

}  // namespace tool
}  // namespace paketlog

#endif
