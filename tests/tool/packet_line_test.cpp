#include "packet_line.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hex_trace.h"
#include "packet_shape.h"
#include "paketlog.h"

using paketlog::tool::decode_packet_line;
using paketlog::tool::Options;
using paketlog::tool::packet_truncated;

namespace {

using Bytes = std::vector<unsigned char>;

// "Truncated packet" in the operator line, "Пакет обрезан" in the test-call line.
bool library_says_truncated(const std::string& line) {
    return line.find("Truncated packet") != std::string::npos ||
           line.find("\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED") != std::string::npos ||
           line.find("[|eap]") != std::string::npos;
}

// A DIALDIGIT packet with BUTTON=7 and ENDPOINT_B "pult-07" in its block.
const Bytes kDialDigit = paketlog::tool::parse_hex_line(
                             "01 00 80 00 00 00 11 00 00 00 05 02 a2 00 01 00 07 a1 00 08 00 70 75 6c 74 2d 30 37 00")
                             .bytes;

TEST(PacketLine, OptionsReachTheDecoders) {
    Bytes packet = kDialDigit;
    Options o;
    EXPECT_EQ(decode_packet_line(o, packet), "<< DIALDIGIT :  17: Digit=5 EAP=2 BUTTON=7; ENDPOINT_B=pult-07; ");
    o.msg_type = 5;
    o.skip_type = 0xA1;
    EXPECT_EQ(decode_packet_line(o, packet), "Error DIALDIGIT :  17: Digit=5 EAP=2 BUTTON=7; ");
    o = Options{};
    o.testcall = true;
    o.incoming = false;
    EXPECT_EQ(decode_packet_line(o, packet).substr(0, 2), ">>");
}

TEST(PacketLine, OnlyThePacketsBytesAreRead) {
    // Every cut of a complete packet, decoded from a buffer of exactly that
    // size: the library reports the cut, and the tool's flag agrees.
    for (std::size_t n = 1; n <= kDialDigit.size(); ++n) {
        Bytes cut(kDialDigit.begin(), kDialDigit.begin() + static_cast<long>(n));
        cut.shrink_to_fit();
        for (bool testcall : {false, true}) {
            Options o;
            o.testcall = testcall;
            const std::string line = decode_packet_line(o, cut);
            EXPECT_EQ(library_says_truncated(line), n < kDialDigit.size()) << n << ": " << line;
            EXPECT_EQ(packet_truncated(cut.data(), cut.size()), n < kDialDigit.size()) << n;
        }
    }
}

TEST(PacketLine, TruncatedFlagAgreesWithTheLibraryOnRandomPackets) {
    const unsigned char types[] = {128, 129, 130, 132, 136, 138, 140, 141, 144, 145, 208, 209, 210, 211, 131, 0};
    std::mt19937 random(20240301);
    Options o;
    int truncated = 0;
    for (int i = 0; i < 4000; ++i) {
        Bytes packet(1 + random() % 420);
        for (unsigned char& b : packet) b = static_cast<unsigned char>(random());
        if (packet.size() > 2) packet[2] = types[random() % sizeof types];
        // Small counts and lengths, so that blocks often fit.
        if (packet.size() > 2 && random() % 2 == 0) {
            _PD_PACKET header{};
            header.type = packet[2];
            const std::size_t offset = header.get_offset_EAP();
            if (offset != 0 && offset < packet.size()) {
                packet[offset] = static_cast<unsigned char>(random() % 4);
                for (std::size_t at = offset + 3; at + 1 < packet.size(); at += 4 + packet[at]) {
                    packet[at] = static_cast<unsigned char>(random() % 24);
                    packet[at + 1] = 0;
                }
            }
        }
        o.testcall = i % 2 == 1;
        const std::string line = decode_packet_line(o, packet);
        truncated += library_says_truncated(line) ? 1 : 0;
        ASSERT_EQ(packet_truncated(packet.data(), packet.size()), library_says_truncated(line))
            << "packet " << i << ": " << line;
    }
    // Both answers come up often enough to tell.
    EXPECT_GT(truncated, 1000);
    EXPECT_LT(truncated, 3000);
}

}  // namespace
