// The seances followed from one through CNG_SEANCE and MOVE_CALL links.
#include "calls/follow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace paketlog {
namespace tool {
namespace {

using Seances = std::vector<std::uint32_t>;

std::vector<unsigned char> packet(unsigned char type, std::uint32_t seance, std::uint32_t other, std::size_t size) {
    std::vector<unsigned char> p(size, 0);
    p[2] = type;
    for (int i = 0; i < 4; ++i) {
        p[6 + i] = static_cast<unsigned char>(seance >> (8 * i));
        if (14 + i <= static_cast<int>(size)) p[10 + i] = static_cast<unsigned char>(other >> (8 * i));
    }
    return p;
}

TEST(PacketLink, CngSeanceLinksToItsNewSeance) {
    const auto p = packet(138, 1008, 1009, 46);
    std::uint32_t from = 0, to = 0;
    ASSERT_TRUE(packet_link(p.data(), p.size(), from, to));
    EXPECT_EQ(from, 1008u);
    EXPECT_EQ(to, 1009u);
}

TEST(PacketLink, MoveCallLinksToItsSecondSeance) {
    const auto p = packet(140, 1006, 1007, 21);
    std::uint32_t from = 0, to = 0;
    ASSERT_TRUE(packet_link(p.data(), p.size(), from, to));
    EXPECT_EQ(from, 1006u);
    EXPECT_EQ(to, 1007u);
}

TEST(PacketLink, OtherTypesLinkNothing) {
    const auto p = packet(130, 1006, 1007, 20);
    std::uint32_t from = 0, to = 0;
    EXPECT_FALSE(packet_link(p.data(), p.size(), from, to));
}

TEST(PacketLink, PacketEndingInsideTheSeanceFieldLinksNothing) {
    const auto p = packet(140, 1006, 1007, 13);
    std::uint32_t from = 0, to = 0;
    EXPECT_FALSE(packet_link(p.data(), p.size(), from, to));
}

TEST(PacketLink, PacketHoldingTheSeanceFieldExactlyLinks) {
    const auto p = packet(140, 1006, 1007, 14);
    std::uint32_t from = 0, to = 0;
    EXPECT_TRUE(packet_link(p.data(), p.size(), from, to));
}

TEST(SeanceLinks, UnlinkedSeanceFollowsOnlyItself) {
    SeanceLinks links;
    links.add(1, 2);
    EXPECT_EQ(links.followed(7), Seances({7}));
}

TEST(SeanceLinks, FollowsForwardAndBackward) {
    SeanceLinks links;
    links.add(1, 2);
    EXPECT_EQ(links.followed(1), Seances({1, 2}));
    EXPECT_EQ(links.followed(2), Seances({1, 2}));
}

TEST(SeanceLinks, FollowsTransitivelyWhateverTheOrderTheLinksCame) {
    SeanceLinks links;
    links.add(3, 4);  // seen before the link that joins it to 1
    links.add(1, 2);
    links.add(2, 3);
    links.add(9, 10);
    EXPECT_EQ(links.followed(4), Seances({1, 2, 3, 4}));
}

TEST(SeanceLinks, RepeatedAndSelfLinksCountOnce) {
    SeanceLinks links;
    links.add(1, 2);
    links.add(1, 2);
    links.add(2, 1);
    links.add(5, 5);
    EXPECT_EQ(links.links(), 1u);
    EXPECT_EQ(links.followed(5), Seances({5}));
}

TEST(SeanceLinks, FullGraphDropsTheNextLink) {
    SeanceLinks links(4);
    for (std::uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(links.add(2 * i, 2 * i + 1));
    EXPECT_FALSE(links.add(0xFFFFFFF0u, 0xFFFFFFF1u));
    EXPECT_EQ(links.dropped(), 1u);
}

TEST(SeanceLinks, LimitIsTheDocumentedOne) { EXPECT_EQ(SeanceLinks::kMaxLinks, 1048576u); }

TEST(FollowedSeances, LinkToAFollowedSeanceCountsWhenTheGraphIsFull) {
    FollowedSeances followed(1, 4);
    for (std::uint32_t i = 0; i < 4; ++i) followed.link(100 + 2 * i, 101 + 2 * i);
    ASSERT_FALSE(followed.link(200, 201));
    ASSERT_EQ(followed.dropped(), 1u);
    EXPECT_TRUE(followed.link(1, 2));
    EXPECT_TRUE(followed.contains(2));
}

TEST(FollowedSeances, HoldsTheSeanceFollowed) {
    const FollowedSeances followed(1006);
    EXPECT_TRUE(followed.contains(1006));
    EXPECT_FALSE(followed.contains(1007));
}

TEST(FollowedSeances, GrowsByALinkFromAFollowedSeance) {
    FollowedSeances followed(1006);
    EXPECT_TRUE(followed.link(1006, 1007));
    EXPECT_TRUE(followed.contains(1007));
}

TEST(FollowedSeances, GrowsByALinkToAFollowedSeance) {
    FollowedSeances followed(1007);
    EXPECT_TRUE(followed.link(1006, 1007));
    EXPECT_TRUE(followed.contains(1006));
}

TEST(FollowedSeances, LinkElsewhereChangesNothing) {
    FollowedSeances followed(1);
    EXPECT_FALSE(followed.link(5, 6));
    EXPECT_FALSE(followed.contains(5));
    EXPECT_EQ(followed.size(), 1u);
}

TEST(FollowedSeances, LinkSeenEarlierJoinsOnceItsSeanceIsFollowed) {
    FollowedSeances followed(1);
    followed.link(2, 3);
    followed.link(1, 2);
    EXPECT_TRUE(followed.contains(3));
}

TEST(FollowedSeances, SetFromAFirstPassHoldsEachSeance) {
    const FollowedSeances followed(Seances{4, 8});
    EXPECT_TRUE(followed.contains(4));
    EXPECT_TRUE(followed.contains(8));
    EXPECT_FALSE(followed.contains(6));
}

}  // namespace
}  // namespace tool
}  // namespace paketlog
