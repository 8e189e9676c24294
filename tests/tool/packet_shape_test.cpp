// The JSON "truncated" flag must agree with what the decoders print, and the
// decoders, given a buffer of exactly the packet's size, must read no further.
#include "packet_shape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "packet_line.h"
#include "paketlog.h"

using paketlog::tool::Options;
using Bytes = std::vector<unsigned char>;

namespace {

// "Truncated packet" or "[|eap]" in the operator line, "Пакет обрезан" in the test-call line.
bool library_says_truncated(const std::string& line) {
    return line.find("Truncated packet") != std::string::npos || line.find("[|eap]") != std::string::npos ||
           line.find("\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED") != std::string::npos;
}

testing::AssertionResult agrees(Bytes packet) {
    packet.shrink_to_fit();
    const bool flag = paketlog::tool::packet_truncated(packet.data(), packet.size());
    for (bool testcall : {false, true}) {
        Options o;
        o.testcall = testcall;
        const std::string line = paketlog::tool::decode_packet_line(o, packet);
        if (flag != library_says_truncated(line))
            return testing::AssertionFailure() << packet.size() << " bytes, flag " << flag << ": " << line;
    }
    return testing::AssertionSuccess();
}

std::size_t block_offset(unsigned char type) {
    _PD_PACKET header{};
    header.type = type;
    return header.get_offset_EAP();
}

// Every type, its block holding BUTTON=7 and ENDPOINT_B "ab"; and a block whose
// count says 200, of which the decoders walk twelve. Cut at every length.
TEST(PacketShape, TruncatedFlagAgreesAtEveryCut) {
    std::vector<Bytes> packets;
    for (const CODE_NAME& row : KesaPakets) {
        Bytes p(block_offset(row.code) != 0 ? block_offset(row.code) : 11, 0);
        p[2] = row.code;
        if (block_offset(row.code) != 0) p.insert(p.end(), {2, 0xA2, 0, 1, 0, 7, 0xA1, 0, 3, 0, 'a', 'b', 0});
        packets.push_back(p);
    }
    packets.push_back({1, 0, 131});
    Bytes many = {1, 0, PKT_KLT_UNREG, 0, 0, 0, 0, 0, 0, 0, 200};
    for (int i = 0; i < 12; ++i) many.insert(many.end(), {0xA2, 0, 1, 0, 1});
    many.insert(many.end(), {0xA2, 0});
    packets.push_back(many);
    for (Bytes whole : packets) {
        EXPECT_FALSE(paketlog::tool::packet_truncated(whole.data(), whole.size())) << unsigned{whole[2]};
        whole.push_back(0xEE);  // a byte after the block does no harm
        for (std::size_t n = 1; n <= whole.size(); ++n)
            ASSERT_TRUE(agrees(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)))) << unsigned{whole[2]};
    }
}

TEST(PacketShape, TruncatedFlagAgreesOnRandomPackets) {
    std::mt19937 random(20240301);
    for (int i = 0; i < 4000; ++i) {
        Bytes packet(1 + random() % 420);
        for (unsigned char& b : packet) b = static_cast<unsigned char>(random());
        if (packet.size() > 2) packet[2] = KesaPakets[random() % std::size(KesaPakets)].code;
        const std::size_t offset = packet.size() > 2 ? block_offset(packet[2]) : 0;
        if (offset != 0 && offset < packet.size() && random() % 2 == 0) {  // small counts and lengths
            packet[offset] = static_cast<unsigned char>(random() % 4);
            for (std::size_t at = offset + 3; at + 1 < packet.size(); at += 4 + packet[at]) {
                packet[at] = static_cast<unsigned char>(random() % 24);
                packet[at + 1] = 0;
            }
        }
        ASSERT_TRUE(agrees(packet)) << "random packet " << i;
    }
}

}  // namespace
