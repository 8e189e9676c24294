// Windows-1251 to UTF-8: a table of each byte's form, built once with
// iconv, and text copied through it, eight plain bytes at a time. The
// block ways of x86 are in text_utf8_simd.cpp.
#include "text/text_utf8.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "text/cpu_features.h"
#include "text/json_text.h"
#include "text/text_utf8_simd.h"

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

// Whether all eight bytes at `p` are shown as themselves: printable ASCII
// (0x20-0x7E) but '\', and in JSON not '"'. One 64-bit word: with every
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
    return none_zero(x ^ ('\\' * kOnes)) && (!Json || none_zero(x ^ ('"' * kOnes)));
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
            for (int k = 0; k < 8; ++k) o = table.put(p[k], o);
        }
    }
    for (; p != end; ++p) o = table.put(*p, o);
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

// `text` through `table` the widest way `stride` allows.
template <bool Json>
void translate_by(unsigned stride, std::string_view text, bool padded, const Cp1251ToUtf8::Table& table,
                  TextBuffer& out) {
#if defined(PAKETLOG_LETTERS_SIMD)
    if (stride == 32) return utf8_simd::translate32<Json>(text, padded, table, out);
    if (stride == 16) return utf8_simd::translate16<Json>(text, padded, table, out);
#endif
    (void)stride;
    (void)padded;
    translate<Json>(text, table, out);
}

}  // namespace

Cp1251ToUtf8::Cp1251ToUtf8(Stride widest) {
    Iconv cd("UTF-8", "WINDOWS-1251");
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        std::string text;
        if (byte < 0x20 || byte == 0x7F || byte == 0x98) {
            text = escaped(byte);
        } else if (byte == '\\') {
            text = "\\\\";  // so that a "\xNN" in the text is always an escape
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
#if defined(PAKETLOG_LETTERS_SIMD)
    if (utf8_simd::letters_by_rule(shown_) && utf8_simd::letters_by_rule(json_)) {
        if (widest == Stride::Widest && cpu_has_avx2())
            stride_ = 32;
        else if (widest != Stride::Eight && cpu_has_ssse3())
            stride_ = 16;
    }
#else
    (void)widest;
#endif
}

void Cp1251ToUtf8::append(std::string_view text, TextBuffer& out) const {
    translate_by<false>(stride_, text, false, shown_, out);
}

void Cp1251ToUtf8::append(PaddedText text, TextBuffer& out) const {
    translate_by<false>(stride_, text.text, true, shown_, out);
}

void Cp1251ToUtf8::append_json(std::string_view text, TextBuffer& out) const {
    translate_by<true>(stride_, text, false, json_, out);
}

void Cp1251ToUtf8::append_json(PaddedText text, TextBuffer& out) const {
    translate_by<true>(stride_, text.text, true, json_, out);
}

std::string Cp1251ToUtf8::convert(std::string_view text) const {
    TextBuffer out;
    append(text, out);
    return std::string(out.view());
}

}  // namespace tool
}  // namespace paketlog
