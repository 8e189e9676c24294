#include "text_utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "cpu_features.h"
#include "json_text.h"

#if defined(__SSE2__)
#include <tmmintrin.h>
#endif

namespace paketlog {
namespace tool {
namespace {

bool little_endian() {
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

std::uint64_t swap_bytes(std::uint64_t v) {
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i, v >>= 8) r = r << 8 | (v & 0xFF);
    return r;
}

// The eight bytes of `word` at `out`, its lowest first.
inline void store_le(char* out, std::uint64_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(out, &word, sizeof word);
#else
    for (int i = 0; i < 8; ++i, word >>= 8) out[i] = static_cast<char>(word & 0xFF);
#endif
}

std::string escaped(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to + ": " +
                                     std::strerror(errno));
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The character of one byte, or "" when the byte has none.
    std::string one(unsigned char byte) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char in[1] = {static_cast<char>(byte)};
        char out[8];
        char* in_pos = in;
        char* out_pos = out;
        std::size_t in_left = 1;
        std::size_t out_left = sizeof out;
        if (iconv(cd_, &in_pos, &in_left, &out_pos, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
            return "";
        return std::string(out, static_cast<std::size_t>(out_pos - out));
    }

private:
    iconv_t cd_;
};

// Puts `form` in `table` as the form of `byte`.
void set_form(Cp1251ToUtf8::Table& table, unsigned char byte, const std::string& form) {
    char word[sizeof(std::uint64_t)] = {};
    if (form.size() >= sizeof word) throw std::logic_error("a byte's form is longer than its table row");
    std::memcpy(word, form.data(), form.size());
    std::uint64_t bytes;
    std::memcpy(&bytes, word, sizeof word);
    // The form's bytes come first in memory: the low bytes of the word where it is stored little-endian.
    if (!little_endian()) bytes = swap_bytes(bytes);
    table.forms[byte] = (bytes & ~(std::uint64_t{0xFF} << 56)) | std::uint64_t{form.size()} << 56;
}

// The form of `byte` at `o`, a whole word stored; where the form ends.
inline char* put_form(const Cp1251ToUtf8::Table& table, unsigned char byte, char* o) {
    const std::uint64_t form = table.forms[byte];
    store_le(o, form);
    return o + (form >> 56);
}

// Whether all eight bytes at `p` are shown as themselves: printable ASCII
// (0x20-0x7E), and in JSON neither '"' nor '\'. One 64-bit word: with every
// byte below 0x80 and its top bit set before a subtraction, no byte borrows
// from its neighbour, so each top bit tells of its own byte.
template <bool Json>
bool eight_as_themselves(const unsigned char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kTops = 0x8080808080808080u;
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    const auto none_zero = [](std::uint64_t v) { return (((v | kTops) - kOnes) & kTops) == kTops; };
    if (x & kTops) return false;                                      // 0x80-0xFF
    if ((((x | kTops) - 0x20 * kOnes) & kTops) != kTops) return false;  // below 0x20
    if ((x + kOnes) & kTops) return false;                            // 0x7F
    return !Json || (none_zero(x ^ ('"' * kOnes)) && none_zero(x ^ ('\\' * kOnes)));
}

// Copies `text` to `out` through `table`: eight bytes at once while all of
// them stand for themselves, every other byte as its form (a whole word
// stored, its length counted). A form is at most seven bytes long, so the
// room of seven a byte and one more word holds every word stored.
template <bool Json>
char* translate_bytes(const unsigned char* p, const unsigned char* end, const Cp1251ToUtf8::Table& table, char* o) {
    for (; end - p >= 8; p += 8) {
        if (eight_as_themselves<Json>(p)) {
            std::memcpy(o, p, 8);
            o += 8;
        } else {
            for (int k = 0; k < 8; ++k) o = put_form(table, p[k], o);
        }
    }
    for (; p != end; ++p) o = put_form(table, *p, o);
    return o;
}

// Not inline: the callers then only choose and jump, with no registers of their own to save.
template <bool Json>
__attribute__((noinline)) void translate(std::string_view text, const Cp1251ToUtf8::Table& table, TextBuffer& out) {
    char* const start = out.room(text.size() * 7 + 18);  // a JSON string's quotes included
    char* o = start;
    if (Json) *o++ = '"';
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    o = translate_bytes<Json>(p, p + text.size(), table, o);
    if (Json) *o++ = '"';
    out.commit(static_cast<std::size_t>(o - start));
}

#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define PAKETLOG_LETTERS_SSSE3 1

// 0xFF for each byte of `x` shown as itself: printable ASCII (0x20-0x7E),
// and in JSON neither '"' nor '\'. As signed bytes, 0x80-0xFF are below 0x20.
template <bool Json>
__m128i plain_bytes(__m128i x) {
    __m128i plain = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x1F)), _mm_cmplt_epi8(x, _mm_set1_epi8(0x7F)));
    if (Json)
        plain = _mm_andnot_si128(
            _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\\'))), plain);
    return plain;
}

// For each mask of eight bytes (bit k set: byte k is plain), the byte
// shuffle that keeps of their eight (lead, trail) pairs the lead byte of a
// plain byte and both bytes of a letter, and how many bytes it keeps.
struct Compactions {
    alignas(16) unsigned char order[256][16];
    unsigned char kept[256];
};

constexpr Compactions kCompactions = [] {
    Compactions c{};
    for (int mask = 0; mask < 256; ++mask) {
        int n = 0;
        for (int k = 0; k < 8; ++k) {
            c.order[mask][n++] = static_cast<unsigned char>(2 * k);
            if ((mask >> k & 1) == 0) c.order[mask][n++] = static_cast<unsigned char>(2 * k + 1);
        }
        c.kept[mask] = static_cast<unsigned char>(n);
        while (n < 16) c.order[mask][n++] = 0x80;  // a zero byte, past the length kept
    }
    return c;
}();

// As translate(), with the letters А-я (0xC0-0xFF, U+0410-U+044F: 0xD0 or
// 0xD1 and a trail byte each) worked out sixteen at a time among plain
// bytes, by the rule rather than the table: Russian text takes turns between
// letters and plain bytes every few bytes. Sixteen plain bytes are copied at
// once; eight bytes with any other byte, and the last fifteen or fewer, as
// translate() does.
template <bool Json>
__attribute__((target("ssse3"))) void translate_letters(std::string_view text, const Cp1251ToUtf8::Table& table,
                                                        TextBuffer& out) {
    char* const start = out.room(text.size() * 7 + 18);  // a JSON string's quotes included
    char* o = start;
    if (Json) *o++ = '"';
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i plain = plain_bytes<Json>(x);
        const unsigned plain_bits = static_cast<unsigned>(_mm_movemask_epi8(plain));
        if (plain_bits == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), x);
            o += 16;
            continue;
        }
        // As signed bytes, the letters 0xC0-0xFF are -64 to -1.
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(-65)), _mm_cmplt_epi8(x, _mm_setzero_si128()));
        const unsigned letter_bits = static_cast<unsigned>(_mm_movemask_epi8(letter));
        // A plain byte leads as itself; a letter leads with 0xD0, or 0xD1 from 0xF0 on.
        const __m128i from_f0 = _mm_cmpgt_epi8(x, _mm_set1_epi8(-17));
        const __m128i lead = _mm_or_si128(_mm_and_si128(plain, x),
                                          _mm_andnot_si128(plain, _mm_sub_epi8(_mm_set1_epi8(static_cast<char>(0xD0)), from_f0)));
        const __m128i trail =
            _mm_or_si128(_mm_and_si128(_mm_add_epi8(x, _mm_set1_epi8(0x10)), _mm_set1_epi8(0x3F)),
                         _mm_set1_epi8(static_cast<char>(0x80)));
        const __m128i pairs[2] = {_mm_unpacklo_epi8(lead, trail), _mm_unpackhi_epi8(lead, trail)};
        if ((plain_bits | letter_bits) == 0xFFFF) {  // plain bytes and letters only: both halves by their shuffles
            const unsigned low = plain_bits & 0xFF, high = plain_bits >> 8;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                             _mm_shuffle_epi8(pairs[0], _mm_load_si128(reinterpret_cast<const __m128i*>(kCompactions.order[low]))));
            o += kCompactions.kept[low];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                             _mm_shuffle_epi8(pairs[1], _mm_load_si128(reinterpret_cast<const __m128i*>(kCompactions.order[high]))));
            o += kCompactions.kept[high];
            continue;
        }
        for (unsigned half = 0; half < 2; ++half) {
            const unsigned mask = plain_bits >> (8 * half) & 0xFF;
            if (((plain_bits | letter_bits) >> (8 * half) & 0xFF) != 0xFF) {
                for (unsigned k = 0; k < 8; ++k) o = put_form(table, p[8 * half + k], o);
                continue;
            }
            const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(kCompactions.order[mask]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(pairs[half], order));
            o += kCompactions.kept[mask];
        }
    }
    // Fewer than sixteen bytes left: when the sixteen that end the text are
    // all plain, they are copied from where they start (the bytes before
    // the rest stood for themselves, so are written again the same).
    if (p != end && text.size() >= 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
        if (_mm_movemask_epi8(plain_bytes<Json>(x)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o - (16 - (end - p))), x);
            o += end - p;
            p = end;
        }
    }
    if (p != end) o = translate_bytes<Json>(p, end, table, o);
    if (Json) *o++ = '"';
    out.commit(static_cast<std::size_t>(o - start));
}

// Whether every letter А-я has in `table` the form the rule above gives it
// (on x86, little-endian: the lead byte lowest).
bool letters_by_rule(const Cp1251ToUtf8::Table& table) {
    for (unsigned b = 0xC0; b <= 0xFF; ++b) {
        const std::uint64_t lead = b >= 0xF0 ? 0xD1 : 0xD0;
        const std::uint64_t trail = 0x80 | ((b + 0x10) & 0x3F);
        if (table.forms[b] != (lead | trail << 8 | std::uint64_t{2} << 56)) return false;
    }
    return true;
}
#endif

}  // namespace

Cp1251ToUtf8::Cp1251ToUtf8() {
    Iconv cd("UTF-8", "WINDOWS-1251");
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        std::string text;
        if (byte < 0x20 || byte == 0x7F || byte == 0x98) {
            text = escaped(byte);
        } else if (byte < 0x80) {
            text = std::string(1, static_cast<char>(byte));
        } else {
            text = cd.one(byte);
            if (text.empty()) text = escaped(byte);
        }
        set_form(shown_, byte, text);
        const std::string quoted = json_string(text);
        set_form(json_, byte, quoted.substr(1, quoted.size() - 2));
    }
#if defined(PAKETLOG_LETTERS_SSSE3)
    letters_ = cpu_has_ssse3() && letters_by_rule(shown_) && letters_by_rule(json_);
#endif
}

void Cp1251ToUtf8::append(std::string_view text, TextBuffer& out) const {
#if defined(PAKETLOG_LETTERS_SSSE3)
    if (letters_) return translate_letters<false>(text, shown_, out);
#endif
    translate<false>(text, shown_, out);
}

void Cp1251ToUtf8::append_json(std::string_view text, TextBuffer& out) const {
#if defined(PAKETLOG_LETTERS_SSSE3)
    if (letters_) return translate_letters<true>(text, json_, out);
#endif
    translate<true>(text, json_, out);
}

std::string Cp1251ToUtf8::convert(std::string_view text) const {
    TextBuffer out;
    append(text, out);
    return std::string(out.view());
}

}  // namespace tool
}  // namespace paketlog
