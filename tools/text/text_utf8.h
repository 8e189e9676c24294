// The library's 8-bit text shown as UTF-8.
#ifndef PAKETLOG_TOOLS_TEXT_TEXT_UTF8_H
#define PAKETLOG_TOOLS_TEXT_TEXT_UTF8_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

// Windows-1251 to UTF-8 through a table built once with iconv (the letters
// А-я, where the processor has SSSE3 or AVX2, by their rule, a block of 16
// or 32 bytes at a time). A byte that has no Windows-1251 character (0x98)
// and every control character (0x00-0x1F, 0x7F) become a visible "\xNN", so
// a line never breaks and no byte goes missing; a backslash is doubled, so
// that "\xNN" is never the text itself.
class Cp1251ToUtf8 {
public:
    // The most bytes looked at together: by default the widest the
    // processor allows; tests ask for less to reach every way.
    enum class Stride { Widest, Sixteen, Eight };

    // Throws std::runtime_error when iconv does not know Windows-1251.
    explicit Cp1251ToUtf8(Stride widest = Stride::Widest);

    // Text whose buffer goes on for at least kPadding readable, initialised
    // bytes past its end (of any value; they are read, never shown), so its
    // last bytes are read as a whole block rather than copied out first.
    static constexpr std::size_t kPadding = 32;
    struct PaddedText {
        std::string_view text;
    };

    // `text` shown as UTF-8, added to the end of `out`.
    void append(std::string_view text, TextBuffer& out) const;
    void append(PaddedText text, TextBuffer& out) const;
    // The same, quoted and escaped as a JSON string ("..." included): what
    // json_string(convert(text)) gives, in one pass.
    void append_json(std::string_view text, TextBuffer& out) const;
    void append_json(PaddedText text, TextBuffer& out) const;
    std::string convert(std::string_view text) const;

    // A table of the form of every byte: the form's bytes at the start of a
    // word (one load and one store copy it), its length in the word's top
    // byte (a form is at most seven bytes long).
    struct Table {
        std::array<std::uint64_t, 256> forms;

        // The form of `byte` at `out`, a whole word stored (eight bytes of
        // room); where the form ends.
        char* put(unsigned char byte, char* out) const {
            const std::uint64_t form = forms[byte];
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            std::memcpy(out, &form, sizeof form);  // its lowest byte first
#else
            std::uint64_t word = form;
            for (int i = 0; i < 8; ++i, word >>= 8) out[i] = static_cast<char>(word & 0xFF);
#endif
            return out + (form >> 56);
        }
    };

private:
    Table shown_;
    Table json_;
    unsigned stride_ = 8;  // 32 (AVX2), 16 (SSSE3) or 8 (through the table)
};

}  // namespace tool
}  // namespace paketlog

#endif
