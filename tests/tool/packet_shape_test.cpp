// The JSON "truncated" flag must agree with what the decoders print, and the
// decoders, given a buffer of exactly the packet's size, must read no further.
#include "packet_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "golden.h"
#include "packet_line.h"
#include "paketlog.h"

// Every corpus packet (every type, blocks of up to thirteen parameters, unlisted
// types) cut at every length, and whole with a byte after it.
TEST(PacketShape, TruncatedFlagAgreesAtEveryCut) {
    for (const testing_support::GoldenEntry& e : testing_support::golden_corpus()) {
        std::vector<unsigned char> whole = e.packet;
        EXPECT_FALSE(paketlog::tool::packet_truncated(whole.data(), whole.size())) << e.name;
        whole.push_back(0xEE);  // a byte after the block does no harm
        for (std::size_t n = 1; n <= whole.size(); ++n) {
            std::vector<unsigned char> packet(whole.begin(), whole.begin() + static_cast<long>(n));
            packet.shrink_to_fit();
            const bool flag = paketlog::tool::packet_truncated(packet.data(), n);
            for (bool testcall : {false, true}) {
                paketlog::tool::Options o;
                o.testcall = testcall;
                const std::string line = paketlog::tool::decode_packet_line(o, packet);
                // "Truncated packet" or "[|eap]" in the operator line, "Пакет обрезан" in the test-call line.
                const bool said = line.find("Truncated packet") != line.npos || line.find("[|eap]") != line.npos ||
                                  line.find("\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED") != line.npos;
                ASSERT_EQ(flag, said) << e.name << ", " << n << " bytes: " << line;
            }
        }
    }
}
