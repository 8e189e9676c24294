#include "hex_print.h"

namespace paketlog {
namespace tool {
namespace {

const char kDigits[] = "0123456789abcdef";

void put_byte(std::string& out, unsigned char b) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
}

}  // namespace

void append_hex_lines(std::string& out, const unsigned char* data, std::size_t size) {
    for (std::size_t line = 0; line < size; line += 16) {
        out += "\t0x";
        put_byte(out, static_cast<unsigned char>(line >> 8));
        put_byte(out, static_cast<unsigned char>(line));
        out += ':';
        for (std::size_t i = line; i < size && i < line + 16; i += 2) {
            out += ' ';
            if (i % 16 == 0) out += ' ';
            put_byte(out, data[i]);
            if (i + 1 < size) put_byte(out, data[i + 1]);
        }
        out += '\n';
    }
}

void append_hex_digits(std::string& out, const unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) put_byte(out, data[i]);
}

}  // namespace tool
}  // namespace paketlog
