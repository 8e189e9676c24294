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

}  // namespace

void json_append(std::string_view text, TextBuffer& out) {
    char* const start = out.room(text.size() * sizeof kEscapes[0].bytes + 2);
    char* o = start;
    *o++ = '"';
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    while (p != end) {
        const unsigned char* run = p;
        while (p != end && kEscapes[*p].size == 0) ++p;
        std::memcpy(o, run, static_cast<std::size_t>(p - run));
        o += p - run;
        if (p == end) break;
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
