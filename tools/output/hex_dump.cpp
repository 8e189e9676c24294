#include "output/hex_dump.h"

namespace paketlog {
namespace tool {
namespace {

const char kDigits[] = "0123456789abcdef";

char* put_byte(char* out, unsigned char b) {
    out[0] = kDigits[b >> 4];
    out[1] = kDigits[b & 0x0F];
    return out + 2;
}

}  // namespace

void append_hex_lines(TextBuffer& out, const unsigned char* data, std::size_t size) {
    constexpr std::size_t kLineSize = 8 + 1 + 8 * 5 + 1;  // "\t0x0010:", a blank, 8 groups, '\n'
    for (std::size_t line = 0; line < size; line += 16) {
        char* const start = out.room(kLineSize);
        char* o = start;
        *o++ = '\t';
        *o++ = '0';
        *o++ = 'x';
        o = put_byte(o, static_cast<unsigned char>(line >> 8));
        o = put_byte(o, static_cast<unsigned char>(line));
        *o++ = ':';
        for (std::size_t i = line; i < size && i < line + 16; i += 2) {
            *o++ = ' ';
            if (i % 16 == 0) *o++ = ' ';
            o = put_byte(o, data[i]);
            if (i + 1 < size) o = put_byte(o, data[i + 1]);
        }
        *o++ = '\n';
        out.commit(static_cast<std::size_t>(o - start));
    }
}

void append_hex_digits(TextBuffer& out, const unsigned char* data, std::size_t size) {
    char* const start = out.room(2 * size);
    char* o = start;
    for (std::size_t i = 0; i < size; ++i) o = put_byte(o, data[i]);
    out.commit(2 * size);
}

}  // namespace tool
}  // namespace paketlog
