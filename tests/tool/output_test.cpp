// How the command shows the library's bytes: as UTF-8 text, inside JSON strings,
// and the JSON "truncated" flag, which must agree with what the decoders print
// (given a buffer of exactly the packet's size, they must read no further).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "golden.h"
#include "json_text.h"
#include "packet_line.h"
#include "packet_shape.h"
#include "text_utf8.h"

using namespace paketlog::tool;

TEST(Utf8Text, Windows1251Table) {
    const Cp1251ToUtf8 utf8;
    EXPECT_EQ(utf8.convert("<< \xEF\xE0\xEA\xE5\xF2 \xC0\xDF\xE0\xFF\xA8\xB8\xB9 \x88\x96\xAB\xBB\xA0\xAD~"),
              "<< пакет АЯаяЁё№ €–«»\u00A0\u00AD~");
    // Every byte but the controls and 0x98 is a character of its own; nothing breaks a line.
    for (int b = 0; b < 256; ++b) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", b);
        const std::string shown = utf8.convert(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(shown == escape, b < 0x20 || b == 0x7F || b == 0x98) << b << ": " << shown;
        EXPECT_TRUE(!shown.empty() && (b < 0x80 || shown.size() >= 2)) << b;
        EXPECT_EQ(shown.find('\n'), std::string::npos) << b;
    }
}

// Quotes, backslashes and UTF-8 text are pinned by the escapes run of the program.
TEST(JsonText, ControlCharactersAreEscaped) {
    EXPECT_EQ(json_string("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(json_string(std::string("a\0\x01\x1F\x7F" "b", 6)), "\"a\\u0000\\u0001\\u001f\\u007fb\"");
}

// Every corpus packet (every type, blocks of up to thirteen parameters, unlisted
// types) cut at every length, and whole with a byte after it.
TEST(PacketShape, TruncatedFlagAgreesAtEveryCut) {
    for (const testing_support::GoldenEntry& e : testing_support::golden_corpus()) {
        std::vector<unsigned char> whole = e.packet;
        EXPECT_FALSE(packet_truncated(whole.data(), whole.size())) << e.name;
        whole.push_back(0xEE);  // a byte after the block does no harm
        for (std::size_t n = 1; n <= whole.size(); ++n) {
            std::vector<unsigned char> packet(whole.begin(), whole.begin() + static_cast<long>(n));
            packet.shrink_to_fit();
            const bool flag = packet_truncated(packet.data(), n);
            for (bool testcall : {false, true}) {
                Options o;
                o.testcall = testcall;
                const std::string line = decode_packet_line(o, packet);
                // "Truncated packet" or "[|eap]" in the operator line, "Пакет обрезан" in the test-call line.
                const bool said = line.find("Truncated packet") != line.npos || line.find("[|eap]") != line.npos ||
                                  line.find("\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED") != line.npos;
                ASSERT_EQ(flag, said) << e.name << ", " << n << " bytes: " << line;
            }
        }
    }
}
