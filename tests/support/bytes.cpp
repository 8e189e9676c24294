#include "bytes.h"

#include <stdexcept>

namespace testing_support {

std::vector<unsigned char> hex(const std::string& text) {
    std::vector<unsigned char> out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<unsigned char>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
    return out;
}

std::string w1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if ((b & 0xE0) != 0xC0 || i + 1 >= utf8.size()) throw std::invalid_argument("not a Cyrillic letter");
        unsigned cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        i += 2;
        if (cp >= 0x410 && cp <= 0x44F) out += static_cast<char>(cp - 0x410 + 0xC0);
        else if (cp == 0x401) out += '\xA8';
        else if (cp == 0x451) out += '\xB8';
        else throw std::invalid_argument("no Windows-1251 byte");
    }
    return out;
}

void put16(std::vector<unsigned char>& v, std::size_t at, unsigned value) {
    if (v.size() < at + 2) v.resize(at + 2);
    v[at] = static_cast<unsigned char>(value);
    v[at + 1] = static_cast<unsigned char>(value >> 8);
}

void put32(std::vector<unsigned char>& v, std::size_t at, unsigned value) {
    if (v.size() < at + 4) v.resize(at + 4);
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace testing_support
