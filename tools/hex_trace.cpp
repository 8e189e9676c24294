#include "hex_trace.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace paketlog {
namespace tool {
namespace {

// Value of every character as a hex digit, -1 for a character that is none:
// one look-up, where tests per digit class mispredict on random hex text.
constexpr std::array<signed char, 256> kHexValues = [] {
    std::array<signed char, 256> values{};
    for (signed char& v : values) v = -1;
    for (int i = 0; i < 10; ++i) values[static_cast<std::size_t>('0' + i)] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i)
        values[static_cast<std::size_t>('a' + i)] = values[static_cast<std::size_t>('A' + i)] =
            static_cast<signed char>(10 + i);
    return values;
}();

int hex_value(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ':' || c == '-'; }

HexLine error_at(const std::string& what, std::size_t index) {
    HexLine result;
    result.kind = HexLine::Kind::Error;
    result.error = what + " at column " + std::to_string(index + 1);
    return result;
}

std::string shown_char(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F) return std::string("'") + c + "'";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

}  // namespace

HexLine parse_hex_line(std::string_view line) {
    const std::size_t comment = line.find('#');
    if (comment != std::string_view::npos) line = line.substr(0, comment);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);

    HexLine result;
    result.bytes.reserve(std::min(line.size() / 2, kMaxPacketLength));
    bool has_text = false;
    std::size_t i = 0;
    while (i < line.size()) {
        if (is_separator(line[i])) {
            if (line[i] != ' ' && line[i] != '\t') has_text = true;
            ++i;
            continue;
        }
        has_text = true;
        if (line[i] == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) i += 2;
        const std::size_t group = i;
        while (i < line.size() && hex_value(line[i]) >= 0) ++i;
        if (i < line.size() && !is_separator(line[i]))
            return error_at("non-hex character " + shown_char(line[i]), i);
        if ((i - group) % 2 != 0) return error_at("odd number of hex digits", group);
        for (std::size_t k = group; k < i; k += 2) {
            if (result.bytes.size() == kMaxPacketLength)
                return error_at("packet longer than " + std::to_string(kMaxPacketLength) + " bytes", k);
            result.bytes.push_back(static_cast<unsigned char>(hex_value(line[k]) * 16 + hex_value(line[k + 1])));
        }
    }
    if (!has_text) return result;
    if (result.bytes.empty()) {
        result.kind = HexLine::Kind::Error;
        result.error = "empty packet";
        return result;
    }
    result.kind = HexLine::Kind::Packet;
    return result;
}

}  // namespace tool
}  // namespace paketlog
