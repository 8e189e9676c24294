#include "packet_shape.h"

#include <gtest/gtest.h>

#include <vector>

using paketlog::tool::packet_truncated;
using paketlog::tool::packet_type;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes packet(unsigned char type, std::size_t length) {
    Bytes p(length, 0);
    if (length > 2) p[2] = type;
    return p;
}

bool truncated(const Bytes& p) { return packet_truncated(p.data(), p.size()); }

TEST(PacketShape, TypeNeedsThreeBytes) {
    EXPECT_EQ(packet_type(Bytes{1, 0}.data(), 2), -1);
    EXPECT_EQ(packet_type(Bytes{1, 0, 0x80}.data(), 3), 0x80);
    EXPECT_TRUE(truncated(Bytes{1}));
    EXPECT_TRUE(truncated(Bytes{1, 0}));
}

TEST(PacketShape, FixedFieldsUpToTheBlockCount) {
    struct Case {
        unsigned char type;
        std::size_t need;
    };
    const Case cases[] = {{128, 12}, {129, 69}, {130, 20}, {132, 42}, {136, 12}, {138, 46}, {140, 21},
                          {141, 23}, {144, 166}, {145, 17}, {208, 11}, {209, 11}, {210, 11}, {211, 11}};
    for (const Case& c : cases) {
        EXPECT_TRUE(truncated(packet(c.type, c.need - 1))) << unsigned{c.type};
        EXPECT_FALSE(truncated(packet(c.type, c.need))) << unsigned{c.type};
    }
    // An unlisted type is shown by its code alone.
    EXPECT_FALSE(truncated(packet(131, 3)));
    EXPECT_FALSE(truncated(packet(0, 3)));
}

TEST(PacketShape, BlockParametersMustEndInsideThePacket) {
    // KLT_RDY, count 2: BUTTON (1 byte), then ENDPOINT_B "ab".
    const Bytes whole = {1, 0, 208, 0, 0, 0, 0, 0, 0, 0, 2, 0xA2, 0, 1, 0, 7, 0xA1, 0, 3, 0, 'a', 'b', 0};
    EXPECT_FALSE(truncated(whole));
    for (std::size_t cut = 11; cut < whole.size(); ++cut)
        EXPECT_TRUE(truncated(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)))) << cut;

    Bytes extra = whole;
    extra.push_back(0xEE);  // bytes after the last parameter are no harm
    EXPECT_FALSE(truncated(extra));

    Bytes more = whole;
    more[10] = 3;  // a third parameter that is not there
    EXPECT_TRUE(truncated(more));
}

TEST(PacketShape, OnlyTheFirstTwelveParametersCount) {
    Bytes p = packet(210, 11);
    p[10] = 200;
    for (int i = 0; i < 12; ++i) p.insert(p.end(), {0xA2, 0, 1, 0, 1});
    EXPECT_FALSE(truncated(p));
    p.resize(p.size() - 1);
    EXPECT_TRUE(truncated(p));
}

}  // namespace
