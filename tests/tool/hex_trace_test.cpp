#include "hex_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using paketlog::tool::HexLine;
using paketlog::tool::parse_hex_line;

namespace {

// A parsed line as "" (skipped), its bytes in hex, or "error: ...".
std::string shown(const HexLine& line) {
    if (line.kind == HexLine::Kind::Error) return "error: " + line.error;
    std::string hex;
    char digits[3];
    for (unsigned char b : line.bytes) hex += (std::snprintf(digits, sizeof digits, "%02x", b), digits);
    return hex;
}

TEST(HexTrace, SpellingsSkipsAndErrorColumns) {
    const std::pair<const char*, const char*> cases[] = {
        {"0X00 0X0180 0xABFF", "000180abff"},
        {"00:01-80\tab ff\r", "000180abff"},
        {"0001 80ab ff # DIALDIGIT", "000180abff"},
        {"", ""},
        {" \t\r", ""},
        {"   # comment", ""},
        {"00 012 80", "error: odd number of hex digits at column 4"},
        {"0x123", "error: odd number of hex digits at column 3"},
        {"00 0g 80", "error: non-hex character 'g' at column 5"},
        {"00 01 \x01", "error: non-hex character 0x01 at column 7"},
        {"-- : --", "error: empty packet"},
        {"0x # nothing", "error: empty packet"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(parse_hex_line(c.first)), c.second) << '"' << c.first << '"';
}

TEST(HexTrace, PacketLengthIsBoundedByWhatTheDecodersTake) {
    std::string line(2 * 65535, 'a');
    EXPECT_EQ(parse_hex_line(line).bytes.size(), 65535u);
    EXPECT_EQ(shown(parse_hex_line(line + "00")), "error: packet longer than 65535 bytes at column 131071");
}

}  // namespace
