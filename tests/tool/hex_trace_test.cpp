#include "hex_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using paketlog::tool::HexLine;
using paketlog::tool::parse_hex_line;

namespace {

const std::vector<unsigned char> kBytes = {0x00, 0x01, 0x80, 0xAB, 0xff};

TEST(HexTrace, EverySpellingOfTheSameBytes) {
    for (const char* line : {"00 01 80 ab ff", "000180abff", "00:01:80:AB:FF", "00-01-80-ab-ff", "0x000180abff",
                             "0x00 0x01 0x80 0xab 0xff", "0X00 0X0180 0xABFF", "  00 01\t80 ab ff  ",
                             "0001 80ab ff", "00 01 80 ab ff\r", "00 01 80 ab ff # DIALDIGIT", "00 01:80-ab ff"}) {
        const HexLine parsed = parse_hex_line(line);
        ASSERT_EQ(parsed.kind, HexLine::Kind::Packet) << line << ": " << parsed.error;
        EXPECT_EQ(parsed.bytes, kBytes) << line;
    }
}

TEST(HexTrace, LinesWithoutPacketAreSkipped) {
    for (const char* line : {"", "   ", "\t", "\r", "# a comment", "   # indented comment"}) {
        const HexLine parsed = parse_hex_line(line);
        EXPECT_EQ(parsed.kind, HexLine::Kind::Skip) << '"' << line << '"';
        EXPECT_TRUE(parsed.bytes.empty());
    }
}

TEST(HexTrace, BadLinesNameWhatAndWhere) {
    struct Case {
        const char* line;
        const char* error;
    };
    const Case cases[] = {
        {"00 01 8", "odd number of hex digits at column 7"},
        {"00 012 80", "odd number of hex digits at column 4"},
        {"0x123", "odd number of hex digits at column 3"},
        {"00 0g 80", "non-hex character 'g' at column 5"},
        {"00,01", "non-hex character ',' at column 3"},
        {"00 01 \x01", "non-hex character 0x01 at column 7"},
        {"0x", "empty packet"},
        {"-- : --", "empty packet"},
        {"0x # nothing", "empty packet"},
    };
    for (const Case& c : cases) {
        const HexLine parsed = parse_hex_line(c.line);
        EXPECT_EQ(parsed.kind, HexLine::Kind::Error) << c.line;
        EXPECT_EQ(parsed.error, c.error) << c.line;
    }
}

TEST(HexTrace, PacketLengthIsBoundedByWhatTheDecodersTake) {
    std::string line(2 * 65535, 'a');
    const HexLine longest = parse_hex_line(line);
    ASSERT_EQ(longest.kind, HexLine::Kind::Packet);
    EXPECT_EQ(longest.bytes.size(), 65535u);

    line += "00";
    const HexLine too_long = parse_hex_line(line);
    EXPECT_EQ(too_long.kind, HexLine::Kind::Error);
    EXPECT_EQ(too_long.error, "packet longer than 65535 bytes at column 131071");
}

}  // namespace
