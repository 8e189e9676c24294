// The library's 8-bit text shown as UTF-8.
#ifndef PAKETLOG_TOOLS_TEXT_UTF8_H
#define PAKETLOG_TOOLS_TEXT_UTF8_H

#include <array>
#include <string>
#include <string_view>

#include "text_buffer.h"

namespace paketlog {
namespace tool {

// Windows-1251 to UTF-8, one byte at a time, through a table built once with
// iconv. A byte that has no Windows-1251 character (0x98) and every control
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

    // The longest form of one byte in either table ("\\xNN" in JSON).
    static constexpr std::size_t kLongest = 6;
    struct Shown {
        char bytes[kLongest];
        unsigned char size;
    };

private:
    std::array<Shown, 256> shown_;
    std::array<Shown, 256> json_;
};

}  // namespace tool
}  // namespace paketlog

#endif
