// Putting datagrams back together from pieces as a hostile capture sends them.
#include "capture/ip_reassembly.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <tuple>

#include "capture_writer.h"

using namespace paketlog::tool;
using Why = Reassembler::GivenUp::Why;

namespace {

// Bytes 0, 1, 2, ... of a datagram `size` long.
Bytes datagram_of(std::size_t size) {
    Bytes d(size);
    std::iota(d.begin(), d.end(), 0);
    return d;
}

// The piece [offset, offset + length) of `bytes`, of datagram `id`; the last when it ends `bytes`.
UdpDatagram piece_of(const Bytes& bytes, std::size_t offset, std::size_t length, unsigned id = 1) {
    UdpDatagram p;
    p.kind = UdpDatagram::Kind::Fragment;
    p.payload = bytes.data() + offset;
    p.size = length;
    p.piece.datagram[0] = 4;
    p.piece.datagram[35] = static_cast<unsigned char>(id >> 8);
    p.piece.datagram[36] = static_cast<unsigned char>(id);
    p.piece.offset = offset;
    p.piece.length = length;
    p.piece.more = offset + length < bytes.size();
    return p;
}

struct Fed {
    std::size_t completed = 0;
    Bytes whole;
};

// Feeds the pieces [offset, length] of `bytes` in turn, frames 1, 2, ...
Fed feed(Reassembler& r, const Bytes& bytes, const std::vector<std::pair<std::size_t, std::size_t>>& pieces) {
    Fed fed;
    unsigned long frame = 0;
    for (const auto& p : pieces) fed.completed += r.add(piece_of(bytes, p.first, p.second), ++frame, fed.whole);
    return fed;
}

// The piece [offset, offset + length) of `bytes`, of datagram `id`, saying `more` of itself.
UdpDatagram piece_saying(const Bytes& bytes, std::size_t offset, std::size_t length, bool more, unsigned id = 1) {
    UdpDatagram p = piece_of(bytes, offset, length, id);
    p.piece.more = more;
    return p;
}

// Frame `number` at capture second `seconds`, its bytes not known.
CaptureFrame frame_at(unsigned long number, std::int64_t seconds) {
    CaptureFrame frame;
    frame.number = number;
    frame.time.seconds = seconds;
    return frame;
}

// Each datagram given up on as why, frame, first frame, bytes there, needed
// and where the piece that showed it ends.
using Shown = std::tuple<Why, unsigned long, unsigned long, std::size_t, std::size_t, std::size_t>;
std::vector<Shown> shown(const std::vector<Reassembler::GivenUp>& lost) {
    std::vector<Shown> out;
    for (const auto& g : lost) out.emplace_back(g.why, g.frame, g.first_frame, g.have, g.need, g.end);
    return out;
}

// Feeds the pieces in turn, frames 1, 2, ...; how many completed a datagram.
std::size_t feed_pieces(Reassembler& r, const std::vector<UdpDatagram>& pieces) {
    std::size_t completed = 0;
    unsigned long frame = 0;
    Bytes whole;
    for (const UdpDatagram& p : pieces) completed += r.add(p, ++frame, whole);
    return completed;
}

// Pieces of 8 bytes covering `size` bytes, in order.
std::vector<std::pair<std::size_t, std::size_t>> eights(std::size_t size) {
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    for (std::size_t at = 0; at < size; at += 8) pieces.emplace_back(at, std::min<std::size_t>(8, size - at));
    return pieces;
}

// What is given up after the piece [offset, length] of `count` datagrams of
// `size` bytes, one a frame.
std::vector<Reassembler::GivenUp> given_up_after(std::size_t count, std::pair<std::size_t, std::size_t> piece,
                                                 std::size_t size) {
    Reassembler r;
    const Bytes d = datagram_of(size);
    Bytes whole;
    for (unsigned long n = 1; n <= count; ++n)
        r.add(piece_of(d, piece.first, piece.second, static_cast<unsigned>(n)), n, whole);
    return r.given_up(false);
}

}  // namespace

TEST(Reassembly, DuplicatesAndReverseOrderComeTogetherOnce) {
    Reassembler r;
    const Bytes d = datagram_of(100);
    const Fed fed = feed(r, d, {{96, 4}, {96, 4}, {64, 32}, {32, 32}, {64, 32}, {0, 32}});
    EXPECT_EQ(fed.completed, 1u);
    EXPECT_EQ(fed.whole, d);
    EXPECT_TRUE(r.given_up(true).empty());
}

TEST(Reassembly, EmptyPiecesOpenNothing) {
    Reassembler r;
    const Bytes d = datagram_of(64);
    Bytes whole;
    for (unsigned long frame = 1; frame <= 8000; ++frame)
        EXPECT_FALSE(r.add(piece_of(d, frame % 8 * 8, 0), frame, whole));
    EXPECT_TRUE(r.given_up(true).empty());
}

TEST(Reassembly, OldestOpenDatagramGoesPastTheOpenLimit) {
    EXPECT_EQ(shown(given_up_after(Reassembler::kMaxOpen + 1, {0, 8}, 16)),
              std::vector<Shown>{Shown(Why::Incomplete, 1, 1, 8, 0, 0)});
}

// A datagram holding its last 7 bytes holds 65,535 bytes and room for four
// ranges of what arrived (32 bytes): 63 of them stay within the 4 MiB
// held, a 64th passes it, and the oldest goes.
TEST(Reassembly, SixtyThreeLargeDatagramsStayWithinTheBytesHeld) {
    EXPECT_TRUE(given_up_after(63, {65528, 7}, 65535).empty());
}

TEST(Reassembly, OldestOpenDatagramGoesPastTheBytesHeld) {
    EXPECT_EQ(shown(given_up_after(64, {65528, 7}, 65535)),
              std::vector<Shown>{Shown(Why::Incomplete, 1, 1, 7, 65535, 0)});
}

TEST(Reassembly, DatagramOf65535BytesComesTogether) {
    Reassembler r;
    const Bytes d = datagram_of(65535);
    const Fed fed = feed(r, d, {{32768, 32767}, {0, 32768}});
    EXPECT_EQ(fed.whole, d);
}

TEST(Reassembly, PieceEndingAtByte65536IsTooLong) {
    Reassembler r;
    const Bytes d = datagram_of(65536);
    Bytes whole;
    r.add(piece_of(d, 0, 8), 1, whole);
    EXPECT_FALSE(r.add(piece_of(d, 65528, 8), 2, whole));
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::TooLong, 2, 1, 8, 0, 65536)});
}

TEST(Reassembly, ThousandPiecesInAnyOrderComeTogether) {
    Reassembler r;
    const Bytes d = datagram_of(8 * Reassembler::kMaxPieces);
    auto pieces = eights(d.size());
    std::shuffle(pieces.begin(), pieces.end(), std::mt19937(7));
    const Fed fed = feed(r, d, pieces);
    EXPECT_EQ(fed.whole, d);
}

// Repeats bring no bytes and do not count towards the limit.
TEST(Reassembly, TwentyThousandRepeatsComeTogether) {
    Reassembler r;
    const Bytes d = datagram_of(16);
    std::vector<std::pair<std::size_t, std::size_t>> pieces(20000, {0, 8});
    pieces.emplace_back(8, 8);
    const Fed fed = feed(r, d, pieces);
    EXPECT_EQ(fed.whole, d);
}

// 257 datagrams sending pieces in turn, one over the open limit: the one put
// aside for the 257th is remembered, its later pieces dropped, so that
// each datagram is given up on once, not once per piece.
TEST(Reassembly, DatagramPutAsideDoesNotComeBackWithItsLaterPieces) {
    Reassembler r;
    const Bytes d = datagram_of(64);
    Bytes whole;
    unsigned long frame = 0;
    std::size_t lost = 0;
    for (std::size_t round = 0; round < 4; ++round) {
        for (unsigned id = 1; id <= Reassembler::kMaxOpen + 1; ++id)
            r.add(piece_saying(d, round * 8, 8, true, id), ++frame, whole);
        lost += r.given_up(false).size();
    }
    EXPECT_EQ(lost, 1u);
}

TEST(Reassembly, EveryDatagramOfPiecesInTurnIsGivenUpOnOnce) {
    Reassembler r;
    const Bytes d = datagram_of(64);
    Bytes whole;
    unsigned long frame = 0;
    for (std::size_t round = 0; round < 4; ++round)
        for (unsigned id = 1; id <= Reassembler::kMaxOpen + 1; ++id)
            r.add(piece_saying(d, round * 8, 8, true, id), ++frame, whole);
    EXPECT_EQ(r.given_up(true).size(), Reassembler::kMaxOpen + 1);
}

// A datagram refused is remembered for 30 s of capture time after its last
// piece; then its identification may start a new datagram.
TEST(Reassembly, PieceOfDatagramRefusedThirtySecondsBeforeIsDropped) {
    Reassembler r;
    const Bytes d = datagram_of(8);
    const Bytes far = datagram_of(65536);
    Bytes whole;
    r.add(piece_saying(far, 65528, 8, false), frame_at(1, 100), whole);  // too long
    EXPECT_FALSE(r.add(piece_of(d, 0, 8), frame_at(2, 100 + Reassembler::kRememberSeconds), whole));
}

TEST(Reassembly, PieceThirtyOneSecondsAfterTheLastOfDatagramRefusedStartsANewOne) {
    Reassembler r;
    const Bytes d = datagram_of(8);
    const Bytes far = datagram_of(65536);
    Bytes whole;
    r.add(piece_saying(far, 65528, 8, false), frame_at(1, 100), whole);
    r.add(piece_saying(far, 65528, 8, false), frame_at(2, 120), whole);  // dropped, and seen
    EXPECT_TRUE(r.add(piece_of(d, 0, 8), frame_at(3, 121 + Reassembler::kRememberSeconds), whole));
}

// Past kMaxRemembered datagrams given up on, the first is forgotten.
TEST(Reassembly, FirstOfMoreThanRememberedDatagramsGivenUpOnIsForgotten) {
    Reassembler r;
    const Bytes d = datagram_of(8);
    const Bytes far = datagram_of(65536);
    Bytes whole;
    unsigned long frame = 0;
    for (unsigned id = 1; id <= Reassembler::kMaxRemembered + 1; ++id)
        r.add(piece_saying(far, 65528, 8, false, id), ++frame, whole);
    EXPECT_TRUE(r.add(piece_of(d, 0, 8, 1), ++frame, whole));
}

TEST(Reassembly, SecondOfMoreThanRememberedDatagramsGivenUpOnIsStillRemembered) {
    Reassembler r;
    const Bytes d = datagram_of(8);
    const Bytes far = datagram_of(65536);
    Bytes whole;
    unsigned long frame = 0;
    for (unsigned id = 1; id <= Reassembler::kMaxRemembered + 1; ++id)
        r.add(piece_saying(far, 65528, 8, false, id), ++frame, whole);
    EXPECT_FALSE(r.add(piece_of(d, 0, 8, 2), ++frame, whole));
}

// Two last pieces ending at bytes 24 and 56, the first piece after them:
// refused in either order, and its first piece dropped.
TEST(Reassembly, LastPiecesEndingAtDifferentBytesAreRefused) {
    const Bytes d = datagram_of(56);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 16, 8, false), piece_saying(d, 16, 40, false), piece_of(d, 0, 16)}), 0u);
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::ConflictingEnds, 2, 1, 8, 24, 56)});
}

TEST(Reassembly, LastPiecesEndingAtDifferentBytesAreRefusedInTheOtherOrder) {
    const Bytes d = datagram_of(56);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 16, 40, false), piece_saying(d, 16, 8, false), piece_of(d, 0, 16)}), 0u);
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::ConflictingEnds, 2, 1, 40, 56, 24)});
}

// A piece ending at byte 64 of a datagram whose last piece ends it at 24:
// refused in either order, its length and the far end both shown.
TEST(Reassembly, PieceAfterTheLastPieceAndPastItIsRefused) {
    const Bytes d = datagram_of(64);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 16, 8, false), piece_saying(d, 24, 40, true), piece_of(d, 0, 16)}), 0u);
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::PastEnd, 2, 1, 8, 24, 64)});
}

TEST(Reassembly, LastPieceAfterAPiecePastItIsRefused) {
    const Bytes d = datagram_of(64);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 24, 40, true), piece_saying(d, 16, 8, false), piece_of(d, 0, 16)}), 0u);
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::PastEnd, 2, 1, 40, 24, 64)});
}

// A piece saying more follow that ends where the last piece does is no fault.
TEST(Reassembly, PieceWithMoreToFollowEndingAtTheEndComesTogether) {
    const Bytes d = datagram_of(24);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 16, 8, false), piece_saying(d, 8, 16, true), piece_of(d, 0, 8)}), 1u);
}

TEST(Reassembly, PieceWithMoreToFollowEndingOneBlockPastTheEndIsRefused) {
    const Bytes d = datagram_of(32);
    Reassembler r;
    EXPECT_EQ(feed_pieces(r, {piece_saying(d, 16, 8, false), piece_saying(d, 8, 24, true)}), 0u);
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::PastEnd, 2, 1, 8, 24, 32)});
}

TEST(Reassembly, NothingIsHeldOnceTheDatagramComesTogether) {
    Reassembler r;
    const Bytes d = datagram_of(64);
    feed(r, d, eights(64));
    EXPECT_EQ(r.held(), 0u);
}

// Frames of the deepest headers walked: 20 VLAN tags and 40 bytes of IPv4 options.
UdpFlow deepest_flow(unsigned id) {
    UdpFlow flow;
    flow.vlan = 42;
    flow.vlan_tags = kMaxVlanTags;
    flow.ip_options = 40;
    flow.id = id;
    return flow;
}

// A piece found in its frame, added with it.
bool add_framed(Reassembler& r, const Bytes& frame, unsigned long number) {
    CaptureFrame f;
    f.number = number;
    f.data = frame.data();
    f.caplen = frame.size();
    Bytes whole;
    return r.add(find_udp_payload(DLT_EN10MB, frame.data(), frame.size()), f, whole);
}

// The link and IP headers noted of a datagram's first piece (154 bytes
// here) and its first 18 bytes count in what is held.
TEST(Reassembly, NotedHeadersCountInTheBytesHeld) {
    const Bytes frame = ip_piece(LinkLayer::Ethernet, deepest_flow(1), 0, true, Bytes(16, 0xAB));
    Reassembler noted;
    add_framed(noted, frame, 1);
    Reassembler bare;
    Bytes whole;
    bare.add(find_udp_payload(DLT_EN10MB, frame.data(), frame.size()), 1, whole);
    EXPECT_EQ(noted.held() - bare.held(), 14u + 4 * kMaxVlanTags + 60 + Reassembler::kStartBytes);
}

// Datagrams behind the deepest headers, each with pieces every other block
// of 8 bytes (a range each) and its last piece at the end of 65,535 bytes:
// what is held never passes 4 MiB.
TEST(Reassembly, DeepestHeadersAndScatteredPiecesStayWithinTheBytesHeld) {
    Reassembler r;
    unsigned long number = 0;
    std::size_t most = 0;
    for (unsigned id = 1; id <= 80; ++id) {
        const UdpFlow flow = deepest_flow(id);
        add_framed(r, ip_piece(LinkLayer::Ethernet, flow, 65528, false, Bytes(7, 0xAB)), ++number);
        for (std::size_t at = 0; at < 256 * 16; at += 16)
            add_framed(r, ip_piece(LinkLayer::Ethernet, flow, at, true, Bytes(8, 0xAB)), ++number);
        most = std::max(most, r.held());
    }
    EXPECT_LE(most, Reassembler::kMaxHeld);
    EXPECT_GT(most, Reassembler::kMaxHeld / 2) << "the datagrams no longer fill what may be held";
}
