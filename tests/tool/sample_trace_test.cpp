// The bundled sample trace is what the README, the man page and the golden
// outputs show: it must keep holding every packet type and every parameter type.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "hex_trace.h"
#include "packet_shape.h"
#include "paketlog.h"

namespace {

TEST(SampleTrace, HoldsEveryPacketTypeAndEveryParameterType) {
    std::ifstream trace(PAKETLOG_SAMPLE_TRACE);
    ASSERT_TRUE(trace) << PAKETLOG_SAMPLE_TRACE;
    std::set<int> packet_types;
    std::set<int> parameter_types;
    std::string text;
    while (std::getline(trace, text)) {
        const paketlog::tool::HexLine line = paketlog::tool::parse_hex_line(text);
        ASSERT_NE(line.kind, paketlog::tool::HexLine::Kind::Error) << text;
        if (line.kind != paketlog::tool::HexLine::Kind::Packet) continue;
        const unsigned char* p = line.bytes.data();
        EXPECT_FALSE(paketlog::tool::packet_truncated(p, line.bytes.size())) << text;
        packet_types.insert(p[2]);
        _PD_PACKET header{};
        header.type = p[2];
        const std::size_t offset = header.get_offset_EAP();
        if (offset == 0) continue;
        std::size_t pos = offset + 1;
        for (unsigned i = 0; i < p[offset]; ++i) {
            parameter_types.insert(p[pos]);
            pos += 4 + paketlog::detail::load_le16(p + pos + 2);
        }
        EXPECT_EQ(pos, line.bytes.size()) << "bytes after the block: " << text;
    }
    for (const CODE_NAME& row : KesaPakets) EXPECT_EQ(packet_types.count(row.code), 1u) << unsigned{row.code};
    for (const CODE_NAME& row : AddParamPakets) EXPECT_EQ(parameter_types.count(row.code), 1u) << unsigned{row.code};
    // ... and one parameter of a type the library does not know.
    EXPECT_EQ(parameter_types.size(), std::size(AddParamPakets) + 1);
}

}  // namespace
