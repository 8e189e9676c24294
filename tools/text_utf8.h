// The library's 8-bit text shown as UTF-8.
#ifndef PAKETLOG_TOOLS_TEXT_UTF8_H
#define PAKETLOG_TOOLS_TEXT_UTF8_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "text_buffer.h"

namespace paketlog {
namespace tool {

// Windows-1251 to UTF-8 through a table built once with iconv (the letters
// А-я, where the processor has SSSE3, by their rule, many at a time). A byte that has no Windows-1251 character (0x98) and every control
// character (0x00-0x1F, 0x7F) become a visible "\xNN", so a line never breaks
// and no byte goes missing.
class Cp1251ToUtf8 {
public:
    // Throws std::runtime_error when iconv does not know Windows-1251.
    Cp1251ToUtf8();

    // `text` shown as UTF-8, added to the end of `out`.
    void append(std::string_view text, TextBuffer& out) const;
    // The same, quoted and escaped as a JSON string ("..." included): what
    // json_string(convert(text)) gives, in one pass.
    void append_json(std::string_view text, TextBuffer& out) const;
    std::string convert(std::string_view text) const;

    // A table of the form of every byte: the form's bytes at the start of a
    // word (one load and one store copy it), its length in the word's top
    // byte (a form is at most seven bytes long).
    struct Table {
        std::array<std::uint64_t, 256> forms;
    };

private:
    Table shown_;
    Table json_;
    bool letters_ = false;  // the letters А-я by their rule, sixteen bytes at a time (SSSE3)
};

}  // namespace tool
}  // namespace paketlog

#endif
