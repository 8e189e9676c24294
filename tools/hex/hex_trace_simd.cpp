// The hex trace reader's AVX2 ways: thirty-two digits at a time, built with
// a target attribute and chosen at run time where the processor has AVX2.
#include "hex/hex_trace_simd.h"

#include "hex/hex_trace.h"

#if defined(PAKETLOG_HEX_AVX2)
#include <immintrin.h>
#endif

namespace paketlog {
namespace tool {

#if defined(PAKETLOG_HEX_AVX2)
namespace {

// Thirty-two characters at `digits` read as hex digits, their sixteen bytes
// stored at `out`; 0xFF in each byte lane of the result whose character is
// a digit. As digit_pairs(), twice as wide.
__attribute__((target("avx2"))) inline __m256i thirty_two_pairs(const char* digits, unsigned char* out) {
    const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(digits));
    const __m256i from_zero = _mm256_sub_epi8(text, _mm256_set1_epi8('0'));
    const __m256i from_a = _mm256_sub_epi8(_mm256_or_si256(text, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i digit = _mm256_cmpeq_epi8(_mm256_min_epu8(from_zero, _mm256_set1_epi8(9)), from_zero);
    const __m256i letter = _mm256_cmpeq_epi8(_mm256_min_epu8(from_a, _mm256_set1_epi8(5)), from_a);
    const __m256i values =
        _mm256_add_epi8(_mm256_and_si256(text, _mm256_set1_epi8(0x0F)), _mm256_and_si256(letter, _mm256_set1_epi8(9)));
    // Each pair of digits times (16, 1), summed: one 16-bit lane a byte.
    const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi16(0x0110));
    // Packed within each half, then the two halves' bytes brought together.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(pairs, pairs), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    return _mm256_or_si256(digit, letter);
}

// plain_hex_line() thirty-two characters at a time.
__attribute__((target("avx2"))) bool line_of_digits_avx2(const char* text, std::size_t& length, unsigned char* out) {
    for (std::size_t i = 0; i / 2 + 16 <= kMaxPacketLength; i += 32) {
        const unsigned others = ~static_cast<unsigned>(_mm256_movemask_epi8(thirty_two_pairs(text + i, out + i / 2)));
        if (others == 0) continue;
        const std::size_t end = i + static_cast<std::size_t>(__builtin_ctz(others));
        if (text[end] != '\n' || end == 0 || end % 2 != 0) return false;
        length = end;
        return true;
    }
    return false;
}

}  // namespace

namespace hex_simd {

__attribute__((target("avx2"))) bool all_digits_avx2(const char* text, std::size_t length, unsigned char* out) {
    __m256i digits = _mm256_set1_epi8(-1);
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32) digits = _mm256_and_si256(digits, thirty_two_pairs(text + i, out + i / 2));
    if (i != length)
        digits = _mm256_and_si256(digits, thirty_two_pairs(text + length - 32, out + length / 2 - 16));
    return _mm256_movemask_epi8(digits) == -1;
}

}  // namespace hex_simd
#endif

bool plain_hex_line(const char* text, std::size_t& length, unsigned char* out) {
#if defined(PAKETLOG_HEX_AVX2)
    return cpu_has_avx2() && line_of_digits_avx2(text, length, out);
#else
    (void)text;
    (void)length;
    (void)out;
    return false;
#endif
}

}  // namespace tool
}  // namespace paketlog
