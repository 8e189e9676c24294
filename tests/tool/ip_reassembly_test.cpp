// Putting datagrams back together from pieces as a hostile capture sends them.
#include "capture/ip_reassembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <tuple>

using namespace paketlog::tool;
using Bytes = std::vector<unsigned char>;
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

// Each datagram given up on as why, frame, first frame, bytes there and needed.
using Shown = std::tuple<Why, unsigned long, unsigned long, std::size_t, std::size_t>;
std::vector<Shown> shown(const std::vector<Reassembler::GivenUp>& lost) {
    std::vector<Shown> out;
    for (const auto& g : lost) out.emplace_back(g.why, g.frame, g.first_frame, g.have, g.need);
    return out;
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
              std::vector<Shown>{Shown(Why::Incomplete, 1, 1, 8, 0)});
}

// 64 datagrams holding their last 7 bytes each hold 65,535 bytes; a 65th
// passes the bytes held, and the oldest goes.
TEST(Reassembly, OldestOpenDatagramGoesPastTheBytesHeld) {
    EXPECT_EQ(shown(given_up_after(65, {65528, 7}, 65535)), std::vector<Shown>{Shown(Why::Incomplete, 1, 1, 7, 65535)});
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
    EXPECT_EQ(shown(r.given_up(true)), std::vector<Shown>{Shown(Why::TooLong, 2, 1, 8, 65536)});
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
