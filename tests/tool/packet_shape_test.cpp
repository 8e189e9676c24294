// The JSON "truncated" flag must agree with what the decoders print, and the
// decoders, given a buffer of exactly the packet's size, must read no further.
#include "packet_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "golden.h"
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

// Every corpus packet (every type, blocks of up to thirteen parameters, unlisted
// types) cut at every length, and whole with a byte after it.
TEST(PacketShape, TruncatedFlagAgreesAtEveryCut) {
    for (const testing_support::GoldenEntry& e : testing_support::golden_corpus()) {
        Bytes whole = e.packet;
        EXPECT_FALSE(paketlog::tool::packet_truncated(whole.data(), whole.size())) << e.name;
        whole.push_back(0xEE);  // a byte after the block does no harm
        for (std::size_t n = 1; n <= whole.size(); ++n)
            ASSERT_TRUE(agrees(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)))) << e.name;
    }
}

}  // namespace
