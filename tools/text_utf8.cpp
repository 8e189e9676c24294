#include "text_utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace paketlog {
namespace tool {
namespace {

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

}  // namespace

Cp1251ToUtf8::Cp1251ToUtf8() {
    Iconv cd("UTF-8", "WINDOWS-1251");
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        if (byte < 0x20 || byte == 0x7F || byte == 0x98) {
            shown_[byte] = escaped(byte);
        } else if (byte < 0x80) {
            shown_[byte] = std::string(1, static_cast<char>(byte));
        } else {
            std::string character = cd.one(byte);
            shown_[byte] = character.empty() ? escaped(byte) : character;
        }
    }
}

std::string Cp1251ToUtf8::convert(std::string_view text) const {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t same = 0;  // start of the bytes shown as themselves (printable ASCII), copied as one run
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) continue;
        out.append(text, same, i - same);
        out += shown_[byte];
        same = i + 1;
    }
    out.append(text, same);
    return out;
}

}  // namespace tool
}  // namespace paketlog
