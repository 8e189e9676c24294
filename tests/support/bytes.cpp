#include "bytes.h"

#include <cctype>
#include <stdexcept>

namespace testing_support {

std::vector<unsigned char> hex(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() % 2) throw std::invalid_argument("odd number of hex digits");
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::string w1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        if ((b & 0xE0) != 0xC0 || i + 1 >= utf8.size()) throw std::invalid_argument("not a Cyrillic letter");
        const unsigned cp = ((b & 0x1Fu) << 6) | (utf8[++i] & 0x3Fu);
        if (cp >= 0x410 && cp <= 0x44F) out += static_cast<char>(cp - 0x410 + 0xC0);
        else if (cp == 0x401 || cp == 0x451) out += cp == 0x401 ? '\xA8' : '\xB8';
        else throw std::invalid_argument("no Windows-1251 byte");
    }
    return out;
}

namespace {
void put(std::vector<unsigned char>& v, std::size_t at, unsigned value, std::size_t n) {
    if (v.size() < at + n) v.resize(at + n);
    for (std::size_t i = 0; i < n; ++i) v[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
}  // namespace

void put16(std::vector<unsigned char>& v, std::size_t at, unsigned value) { put(v, at, value, 2); }
void put32(std::vector<unsigned char>& v, std::size_t at, unsigned value) { put(v, at, value, 4); }

}  // namespace testing_support
