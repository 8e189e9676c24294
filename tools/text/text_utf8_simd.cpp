// The Windows-1251 to UTF-8 conversion's SSSE3 and AVX2 ways: the letters
// А-я by their rule, a block of 16 or 32 bytes at a time, every other byte
// through the table. Each function is built with a target attribute and
// chosen at run time where the processor has the feature.
#include "text/text_utf8_simd.h"

#if defined(PAKETLOG_LETTERS_SIMD)
#include <immintrin.h>

#include <array>
#include <cstring>

namespace paketlog {
namespace tool {
namespace utf8_simd {
namespace {
// For each mask of eight bytes (bit k set: byte k is plain), the byte
// shuffle that keeps of their eight (lead, trail) pairs the lead byte of a
// plain byte and both bytes of a letter, and how many bytes it keeps; one
// row of 32 bytes each, so a row is found with one shift.
struct Compaction {
    alignas(32) unsigned char order[16];
    unsigned char kept;
};

constexpr std::array<Compaction, 256> kCompactions = [] {
    std::array<Compaction, 256> rows{};
    for (int mask = 0; mask < 256; ++mask) {
        Compaction& c = rows[static_cast<std::size_t>(mask)];
        int n = 0;
        for (int k = 0; k < 8; ++k) {
            c.order[n++] = static_cast<unsigned char>(2 * k);
            if ((mask >> k & 1) == 0) c.order[n++] = static_cast<unsigned char>(2 * k + 1);
        }
        c.kept = static_cast<unsigned char>(n);
        while (n < 16) c.order[n++] = 0x80;  // a zero byte, past the length kept
    }
    return rows;
}();

// The letters А-я (0xC0-0xFF, U+0410-U+044F) by their rule: lead byte 0xD0,
// or 0xD1 from 0xF0 on; trail byte 0x80 | (byte + 0x10) & 0x3F, which is
// the byte less 0x30, or less 0x70 from 0xF0 on. Russian text takes turns
// between letters and plain bytes every few bytes, so a block of them is
// worked out at once: each byte becomes a (lead, trail) pair, a plain byte
// its own lead, and a shuffle per eight bytes keeps what is shown. Eight
// bytes with any other byte in them go through the table.

// The pairs of eight bytes at `o`, kept by `plain` (bit k: byte k is
// plain, else a letter); where they end.
__attribute__((target("ssse3"), always_inline)) inline char* put_pairs(__m128i pairs, unsigned plain, char* o) {
    const Compaction& c = kCompactions[plain & 0xFF];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                     _mm_shuffle_epi8(pairs, _mm_load_si128(reinterpret_cast<const __m128i*>(c.order))));
    return o + c.kept;
}

// A block of `n` text bytes at `p` (of them, bit k of `plain` and
// `letters` tells which byte k is), their pairs in `pairs`, eight at a
// time: as pairs when the eight bytes are all plain bytes or letters, else
// through `table`; where their form ends.
__attribute__((target("ssse3"))) inline char* put_groups(const __m128i* pairs, unsigned plain, unsigned letters,
                                                        const unsigned char* p, unsigned n,
                                                        const Cp1251ToUtf8::Table& table, char* o) {
    for (unsigned at = 0; at < n; at += 8, plain >>= 8, letters >>= 8) {
        const unsigned count = n - at < 8 ? n - at : 8;
        if (((plain | letters) & 0xFF) == 0xFF) {
            o = put_pairs(pairs[at / 8], plain, o) - (8 - count);
        } else {
            for (unsigned k = 0; k < count; ++k) o = table.put(p[at + k], o);
        }
    }
    return o;
}

// Sixteen bytes at a time, for processors without AVX2.

// 0xFF for each byte of `x` shown as itself: printable ASCII (0x20-0x7E)
// but '\', and in JSON not '"'. One more than a printable byte, as a
// signed byte, is above 0x20; one more than any other byte is not.
template <bool Json>
__attribute__((target("ssse3"), always_inline)) inline __m128i plain_bytes(__m128i x) {
    __m128i plain = _mm_cmpgt_epi8(_mm_add_epi8(x, _mm_set1_epi8(1)), _mm_set1_epi8(0x20));
    plain = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\\')), plain);
    if (Json) plain = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), plain);
    return plain;
}

// The sixteen bytes at `p`, of which the first `n` (1 to 16) are text, at
// `o`; where their form ends. The bytes past the text count as plain.
template <bool Json>
__attribute__((target("ssse3"), always_inline)) inline char* put_sixteen(const unsigned char* p, unsigned n,
                                                                        const Cp1251ToUtf8::Table& table, char* o) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i plain = plain_bytes<Json>(x);
    const unsigned plain_bits = static_cast<unsigned>(_mm_movemask_epi8(plain)) | ~0u << n;
    if (plain_bits == ~0u) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), x);
        return o + n;
    }
    const __m128i top_two = _mm_set1_epi8(static_cast<char>(0xC0));
    const unsigned letters = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, top_two), x)));
    // A letter less 0x30: 0x90-0xBF, then 0xC0-0xCF from 0xF0 on, where
    // its trail is 0x40 lower and its lead one higher.
    const __m128i d0 = _mm_set1_epi8(static_cast<char>(0xD0));
    const __m128i less = _mm_add_epi8(x, d0);
    const __m128i trail = _mm_and_si128(less, _mm_set1_epi8(static_cast<char>(0xBF)));
    const __m128i letter_lead = _mm_sub_epi8(d0, _mm_cmpgt_epi8(less, trail));
    const __m128i lead = _mm_or_si128(_mm_and_si128(plain, x), _mm_andnot_si128(plain, letter_lead));
    const __m128i low = _mm_unpacklo_epi8(lead, trail);
    const __m128i high = _mm_unpackhi_epi8(lead, trail);
    if ((plain_bits | letters) == ~0u) return put_pairs(high, plain_bits >> 8, put_pairs(low, plain_bits, o)) - (16 - n);
    const __m128i pairs[2] = {low, high};
    return put_groups(pairs, plain_bits, letters, p, n, table, o);
}

// Where a text goes block by block: the text left (from `p` to `end`) and
// where its form goes on (`o`) in the room taken for it, after the opening
// quote in JSON.
template <bool Json>
struct Blocks {
    Blocks(std::string_view text, TextBuffer& out)
        : p(reinterpret_cast<const unsigned char*>(text.data())),
          end(p + text.size()),
          start(out.room(text.size() * 7 + 2 + 32)),  // the quotes, and a block's store past the end
          o(start) {
        if (Json) *o++ = '"';
    }

    unsigned rest() const { return static_cast<unsigned>(end - p); }

    // Where the last block, of rest() text bytes, is read from: in place
    // when the text is padded, else from `copy`, the bytes put there with
    // zeros after them.
    const unsigned char* last(bool padded, unsigned char (&copy)[32]) const {
        if (padded) return p;
        std::memset(copy, 0, sizeof copy);
        std::memcpy(copy, p, rest());
        return copy;
    }

    void close(TextBuffer& out) {
        if (Json) *o++ = '"';
        out.commit(static_cast<std::size_t>(o - start));
    }

    const unsigned char* p;
    const unsigned char* const end;
    char* const start;
    char* o;
};

}  // namespace

template <bool Json>
__attribute__((target("ssse3"), noinline)) void translate16(std::string_view text, bool padded,
                                                           const Cp1251ToUtf8::Table& table, TextBuffer& out) {
    Blocks<Json> blocks(text, out);
    for (; blocks.end - blocks.p >= 16; blocks.p += 16) blocks.o = put_sixteen<Json>(blocks.p, 16, table, blocks.o);
    unsigned char copy[32];
    if (blocks.p != blocks.end) blocks.o = put_sixteen<Json>(blocks.last(padded, copy), blocks.rest(), table, blocks.o);
    blocks.close(out);
}

template void translate16<false>(std::string_view, bool, const Cp1251ToUtf8::Table&, TextBuffer&);
template void translate16<true>(std::string_view, bool, const Cp1251ToUtf8::Table&, TextBuffer&);

// Thirty-two bytes at a time (AVX2).

// The constant vectors of this way, each one byte in all 32 lanes.
enum TextUtf8Vector { kOne, kSpace, kQuote, kBackslash, kTopTwo, kD0, kNotBit6, kVectors };

struct TextUtf8Vectors {
    alignas(32) unsigned char lanes[kVectors][32];
};

constexpr TextUtf8Vectors filled_vectors() {
    constexpr unsigned char kBytes[kVectors] = {1, 0x20, '"', '\\', 0xC0, 0xD0, 0xBF};
    TextUtf8Vectors v{};
    for (int k = 0; k < kVectors; ++k)
        for (unsigned char& lane : v.lanes[k]) lane = kBytes[k];
    return v;
}

// Read where they are used (an operand from memory costs no instruction of
// its own): GCC 12 builds a constant vector from a register in three
// instructions, anew in each block that needs it. Neither const nor local
// to this file, so that the compiler reads them rather than builds them;
// filled at compile time and never written.
extern TextUtf8Vectors text_utf8_vectors;
TextUtf8Vectors text_utf8_vectors = filled_vectors();

namespace {

__attribute__((target("avx2"), always_inline)) inline __m256i constant(TextUtf8Vector which) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(text_utf8_vectors.lanes[which]));
}

template <bool Json>
__attribute__((target("avx2"), always_inline)) inline __m256i plain_bytes(__m256i x) {
    __m256i plain = _mm256_cmpgt_epi8(_mm256_add_epi8(x, constant(kOne)), constant(kSpace));
    plain = _mm256_andnot_si256(_mm256_cmpeq_epi8(x, constant(kBackslash)), plain);
    if (Json) plain = _mm256_andnot_si256(_mm256_cmpeq_epi8(x, constant(kQuote)), plain);
    return plain;
}

// The thirty-two bytes at `p`, of which the first `n` (1 to 32) are text,
// at `o`; where their form ends. The bytes past the text count as plain.
template <bool Json>
__attribute__((target("avx2"), always_inline)) inline char* put_thirty_two(const unsigned char* p, unsigned n,
                                                                          const Cp1251ToUtf8::Table& table, char* o) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i plain = plain_bytes<Json>(x);
    const unsigned plain_bits = static_cast<unsigned>(_mm256_movemask_epi8(plain)) | (n < 32 ? ~0u << n : 0);
    if (plain_bits == ~0u) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), x);
        return o + n;
    }
    const __m256i top_two = constant(kTopTwo);
    const unsigned letters =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_max_epu8(x, top_two), x)));
    const __m256i d0 = constant(kD0);
    const __m256i less = _mm256_add_epi8(x, d0);  // as in put_sixteen()
    const __m256i trail = _mm256_and_si256(less, constant(kNotBit6));
    const __m256i lead = _mm256_blendv_epi8(_mm256_sub_epi8(d0, _mm256_cmpgt_epi8(less, trail)), x, plain);
    // Pairs of bytes 0-7 and 16-23, and of 8-15 and 24-31.
    const __m256i low = _mm256_unpacklo_epi8(lead, trail);
    const __m256i high = _mm256_unpackhi_epi8(lead, trail);
    if ((plain_bits | letters) == ~0u) {
        o = put_pairs(_mm256_castsi256_si128(low), plain_bits, o);
        o = put_pairs(_mm256_castsi256_si128(high), plain_bits >> 8, o);
        o = put_pairs(_mm256_extracti128_si256(low, 1), plain_bits >> 16, o);
        return put_pairs(_mm256_extracti128_si256(high, 1), plain_bits >> 24, o) - (32 - n);
    }
    const __m128i pairs[4] = {_mm256_castsi256_si128(low), _mm256_castsi256_si128(high),
                              _mm256_extracti128_si256(low, 1), _mm256_extracti128_si256(high, 1)};
    return put_groups(pairs, plain_bits, letters, p, n, table, o);
}

}  // namespace

template <bool Json>
__attribute__((target("avx2"), noinline)) void translate32(std::string_view text, bool padded,
                                                          const Cp1251ToUtf8::Table& table, TextBuffer& out) {
    Blocks<Json> blocks(text, out);
    for (; blocks.end - blocks.p >= 32; blocks.p += 32) blocks.o = put_thirty_two<Json>(blocks.p, 32, table, blocks.o);
    unsigned char copy[32];
    if (blocks.p != blocks.end) blocks.o = put_thirty_two<Json>(blocks.last(padded, copy), blocks.rest(), table, blocks.o);
    blocks.close(out);
}

template void translate32<false>(std::string_view, bool, const Cp1251ToUtf8::Table&, TextBuffer&);
template void translate32<true>(std::string_view, bool, const Cp1251ToUtf8::Table&, TextBuffer&);

bool letters_by_rule(const Cp1251ToUtf8::Table& table) {
    for (unsigned b = 0xC0; b <= 0xFF; ++b) {
        const std::uint64_t lead = b >= 0xF0 ? 0xD1 : 0xD0;
        const std::uint64_t trail = 0x80 | ((b + 0x10) & 0x3F);
        if (table.forms[b] != (lead | trail << 8 | std::uint64_t{2} << 56)) return false;
    }
    return true;
}

}  // namespace utf8_simd
}  // namespace tool
}  // namespace paketlog
#endif
