#include "text/json_text.h"

#include <array>
#include <cstring>
#include <utility>

namespace paketlog {
namespace tool {
namespace {

// The escape of every byte, or an empty row for a byte that stands as itself.
struct Escape {
    char bytes[6];
    unsigned char size;
};

constexpr std::array<Escape, 256> kEscapes = [] {
    std::array<Escape, 256> table{};
    const char digits[] = "0123456789abcdef";
    for (int c = 0; c < 0x20; ++c)
        table[static_cast<std::size_t>(c)] = {{'\\', 'u', '0', '0', digits[c >> 4], digits[c & 15]}, 6};
    table[0x7F] = {{'\\', 'u', '0', '0', '7', 'f'}, 6};
    const std::pair<char, char> shorts[] = {{'"', '"'}, {'\\', '\\'}, {'\b', 'b'}, {'\f', 'f'},
                                            {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};
    for (const auto& s : shorts) table[static_cast<unsigned char>(s.first)] = {{'\\', s.second}, 2};
    return table;
}();

// The length of the well-formed UTF-8 character at `p` (RFC 3629: no
// overlong forms, no surrogates, nothing past U+10FFFF), or 0.
std::size_t utf8_character(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = *p;
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (static_cast<std::size_t>(end - p) < n || p[1] < low || p[1] > high) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return n;
}

}  // namespace

void json_append(std::string_view text, TextBuffer& out) {
    char* const start = out.room(text.size() * sizeof kEscapes[0].bytes + 2);
    char* o = start;
    *o++ = '"';
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    while (p != end) {
        const unsigned char* run = p;
        while (p != end && kEscapes[*p].size == 0) {
            if (*p < 0x80) {
                ++p;
                continue;
            }
            const std::size_t n = utf8_character(p, end);
            if (n == 0) break;
            p += n;
        }
        std::memcpy(o, run, static_cast<std::size_t>(p - run));
        o += p - run;
        if (p == end) break;
        if (*p >= 0x80) {  // not UTF-8: its Latin-1 reading
            const char digits[] = "0123456789abcdef";
            const char latin1[6] = {'\\', 'u', '0', '0', digits[*p >> 4], digits[*p & 15]};
            std::memcpy(o, latin1, sizeof latin1);
            o += sizeof latin1;
            ++p;
            continue;
        }
        const Escape& e = kEscapes[*p++];
        std::memcpy(o, e.bytes, sizeof e.bytes);
        o += e.size;
    }
    *o++ = '"';
    out.commit(static_cast<std::size_t>(o - start));
}

std::string json_string(std::string_view text) {
    TextBuffer out;
    json_append(text, out);
    return std::string(out.view());
}

}  // namespace tool
}  // namespace paketlog
