// Many hex digits read at once, for the hex trace reader: sixteen at a time
// with SSE2 (the x86 baseline, inline here), thirty-two with AVX2 where the
// processor has it (hex_trace_simd.cpp). Private to this folder; without
// SSE2 the reader takes a pair of digits per table look-up instead.
#ifndef PAKETLOG_TOOLS_HEX_HEX_TRACE_SIMD_H
#define PAKETLOG_TOOLS_HEX_HEX_TRACE_SIMD_H

#include <cstddef>

#include "text/cpu_features.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define PAKETLOG_HEX_SIMD 1
#if defined(PAKETLOG_X86_FEATURES)
#define PAKETLOG_HEX_AVX2 1
#endif
#endif

#if defined(PAKETLOG_HEX_SIMD)
namespace paketlog {
namespace tool {
namespace hex_simd {

// The sixteen characters at `digits` as eight 16-bit lanes in `joined`, each
// the byte its two digits make (anything, where they are none); 0xFF in each
// byte lane of the result whose character is a hex digit.
inline __m128i digit_pairs(const char* digits, __m128i& joined) {
    // As unsigned bytes, a digit is at most 9 above '0', a letter (either
    // case) at most 5 above 'a': each one minimum and one compare.
    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(digits));
    const __m128i from_zero = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    const __m128i from_a = _mm_sub_epi8(_mm_or_si128(text, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(from_zero, _mm_set1_epi8(9)), from_zero);
    const __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(from_a, _mm_set1_epi8(5)), from_a);
    // A digit is worth its low four bits, a letter nine more.
    const __m128i values =
        _mm_add_epi8(_mm_and_si128(text, _mm_set1_epi8(0x0F)), _mm_and_si128(letter, _mm_set1_epi8(9)));
    // Each 16-bit lane holds a high digit in its low byte and the low digit after it.
    joined = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4), _mm_srli_epi16(values, 8));
    return _mm_or_si128(digit, letter);
}

inline bool all_set(__m128i lanes) { return _mm_movemask_epi8(lanes) == 0xFFFF; }

// Sixteen hex digits as eight bytes at `out`; false (and `out` untouched)
// when any of the characters is no hex digit.
inline bool sixteen_digits(const char* digits, unsigned char* out) {
    __m128i joined;
    if (!all_set(digit_pairs(digits, joined))) return false;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(joined, joined));
    return true;
}

// Thirty-two hex digits as sixteen bytes at `out`, the same way.
inline bool thirty_two_digits(const char* digits, unsigned char* out) {
    __m128i first, second;
    if (!all_set(_mm_and_si128(digit_pairs(digits, first), digit_pairs(digits + 16, second)))) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(first, second));
    return true;
}

// The `length` digits at `text` (an even count, at least sixteen) as bytes
// at `out`, sixteen digits at a time, the last sixteen overlapping the ones
// before; whether all were digits, judged once at the end.
inline bool all_digits(const char* text, std::size_t length, unsigned char* out) {
    __m128i digits = _mm_set1_epi8(-1);
    __m128i joined;
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) {
        digits = _mm_and_si128(digits, digit_pairs(text + i, joined));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i / 2), _mm_packus_epi16(joined, joined));
    }
    if (i != length) {
        digits = _mm_and_si128(digits, digit_pairs(text + length - 16, joined));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + length / 2 - 8), _mm_packus_epi16(joined, joined));
    }
    return all_set(digits);
}

#if defined(PAKETLOG_HEX_AVX2)
// all_digits() thirty-two digits at a time, for a text of at least as many
// (hex_trace_simd.cpp). Only where the processor has AVX2.
__attribute__((target("avx2"))) bool all_digits_avx2(const char* text, std::size_t length, unsigned char* out);
#endif

}  // namespace hex_simd
}  // namespace tool
}  // namespace paketlog
#endif

#endif
