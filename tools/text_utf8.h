// The library's 8-bit text shown as UTF-8.
#ifndef PAKETLOG_TOOLS_TEXT_UTF8_H
#define PAKETLOG_TOOLS_TEXT_UTF8_H

#include <array>
#include <string>
#include <string_view>

namespace paketlog {
namespace tool {

// Windows-1251 to UTF-8, one byte at a time, through iconv. A byte that has no
// Windows-1251 character (0x98) and every control character (0x00-0x1F, 0x7F)
// become a visible "\xNN", so a line never breaks and no byte goes missing.
class Cp1251ToUtf8 {
public:
    // Throws std::runtime_error when iconv does not know Windows-1251.
    Cp1251ToUtf8();
    std::string convert(std::string_view text) const;

private:
    std::array<std::string, 256> shown_;
};

}  // namespace tool
}  // namespace paketlog

#endif
