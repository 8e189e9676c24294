#include "capture/udp_payload.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <numeric>
#include <tuple>

#include "capture/ip_reassembly.h"
#include "capture_writer.h"

using namespace paketlog::tool;
using Kind = UdpDatagram::Kind;

const Bytes kPayload = {0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};
constexpr int kIp = 14;  // the IP header behind the Ethernet header

// Frames the capture runs never hold: other link layers, other traffic,
// IPv6 extension headers, frames cut by the snapshot length.
TEST(UdpPayload, MalformedAndUnusualFrames) {
    // extension (IPv6): put behind the fixed header, [0] its type, [1] the next header; patches: offset
    // from the IP header and byte; caplen 0: the whole frame. Then what is found.
    const struct {
        const char* what; int dlt; bool ipv6; Bytes extension; std::vector<std::pair<int, unsigned char>> patches;
        int caplen; Kind kind; std::size_t size;
    } cases[] = {
        {"raw IPv4, padding left", DLT_RAW, false, {}, {}, 0, Kind::Udp, 12},
        {"raw IPv6", DLT_IPV6, true, {}, {}, 0, Kind::Udp, 12},
        {"loopback", DLT_NULL, false, {}, {}, 0, Kind::Udp, 12},
        {"TCP", DLT_EN10MB, false, {}, {{9, 6}}, 0, Kind::Other, 0},
        {"ARP", DLT_EN10MB, false, {}, {{-2, 0x08}, {-1, 0x06}}, 0, Kind::Other, 0},
        {"IPv4 ethertype, IPv6 header", DLT_EN10MB, false, {}, {{0, 0x65}}, 0, Kind::Other, 0},
        {"ICMPv6", DLT_EN10MB, true, {}, {{6, 58}}, 0, Kind::Other, 0},
        {"no link header", DLT_EN10MB, false, {}, {}, 13, Kind::Other, 0},
        {"IPv6 hop-by-hop", DLT_EN10MB, true, {0, 17, 0, 1, 4, 0, 0, 0, 0}, {}, 0, Kind::Udp, 12},
        {"IPv6 fragment of TCP", DLT_EN10MB, true, {44, 6, 0, 0, 0x10, 0, 0, 0, 7}, {}, 0, Kind::Other, 0},
        {"IPv6 cut in an extension", DLT_EN10MB, true, {0, 17, 0, 1, 4, 0, 0, 0, 0}, {}, kIp + 41, Kind::Cut, 0},
        {"cut in the payload", DLT_EN10MB, false, {}, {}, kIp + 20 + 8 + 5, Kind::Udp, 5},
        {"cut after the UDP header", DLT_EN10MB, false, {}, {}, kIp + 20 + 8, Kind::Udp, 0},
        {"cut in the UDP header", DLT_EN10MB, false, {}, {}, kIp + 20 + 7, Kind::Cut, 0},
        {"cut in IPv4 options", DLT_EN10MB, false, {}, {{0, 0x46}}, kIp + 22, Kind::Cut, 0},
        {"link not walked", DLT_IEEE802_11, false, {}, {}, 0, Kind::Other, 0},
    };
    for (const auto& c : cases) {
        UdpFlow flow;
        flow.ipv6 = c.ipv6;
        Bytes frame = udp_frame(LinkLayer::Ethernet, flow, kPayload);
        if (!c.extension.empty()) {
            frame.insert(frame.begin() + kIp + 40, c.extension.begin() + 1, c.extension.end());
            frame[kIp + 6] = c.extension[0];
            frame[kIp + 5] = static_cast<unsigned char>(frame[kIp + 5] + c.extension.size() - 1);
        }
        for (const auto& patch : c.patches) frame[static_cast<std::size_t>(kIp + patch.first)] = patch.second;
        if (c.caplen != 0) frame.resize(static_cast<std::size_t>(c.caplen));
        if (c.dlt == DLT_RAW || c.dlt == DLT_IPV6) frame.erase(frame.begin(), frame.begin() + kIp);
        if (c.dlt == DLT_NULL) frame.erase(frame.begin() + 4, frame.begin() + kIp);
        const UdpDatagram d = find_udp_payload(c.dlt, frame.data(), frame.size());
        EXPECT_EQ(link_type_supported(c.dlt), c.dlt != DLT_IEEE802_11) << c.what;
        ASSERT_EQ(d.kind, c.kind) << c.what;
        EXPECT_EQ(Bytes(d.payload, d.payload + d.size), Bytes(kPayload.begin(), kPayload.begin() + c.size))
            << c.what;
    }
}

// A datagram in pieces of 32 bytes, over both IP versions: the pieces come
// out of order, one twice, between those of another datagram, and the datagram
// is whole when the last gap closes. A lost or cut piece leaves it open.
TEST(UdpPayload, PiecesOfFragmentedDatagrams) {
    Bytes payload(100);
    std::iota(payload.begin(), payload.end(), 0);
    for (bool ipv6 : {false, true}) {
        SCOPED_TRACE(ipv6 ? "IPv6" : "IPv4");
        UdpFlow flow;
        flow.ipv6 = ipv6;
        flow.fragment = 36;  // 32 a piece
        const std::vector<Bytes> pieces = udp_frames(LinkLayer::Ethernet, flow, payload);
        flow.id = 7;
        const std::vector<Bytes> other = udp_frames(LinkLayer::Ethernet, flow, Bytes(40, 0xAB));
        ASSERT_EQ(pieces.size(), 4u);  // 108 bytes of UDP
        auto piece = [](const Bytes& frame) { return find_udp_payload(DLT_EN10MB, frame.data(), frame.size()); };
        for (std::size_t i = 0; i < pieces.size(); ++i) {  // kind, offset, size, more to come
            const UdpDatagram d = piece(pieces[i]);
            EXPECT_TRUE(std::tie(d.kind, d.piece.offset, d.size, d.piece.more) ==
                        std::make_tuple(Kind::Fragment, 32 * i, i < 3 ? 32u : 12u, i < 3)) << i;
        }
        Reassembler r;
        Bytes whole;
        const std::pair<const Bytes*, bool> order[] = {{&pieces[3], false}, {&pieces[1], false}, {&other[1], false},
                                                       {&pieces[1], false}, {&pieces[0], false}, {&other[0], true},
                                                       {&pieces[2], true}};
        unsigned long frame = 0;
        for (const auto& step : order) ASSERT_EQ(r.add(piece(*step.first), ++frame, whole), step.second) << frame;
        const UdpDatagram d = udp_in(whole.data(), whole.size());
        EXPECT_EQ(d.dst_port, 7700);
        EXPECT_EQ(Bytes(d.payload, d.payload + d.size), payload);
        EXPECT_TRUE(r.given_up(true).empty());

        const Bytes cut(pieces[1].begin(), pieces[1].end() - 5);
        for (const Bytes* p : {&pieces[0], &cut, &pieces[3]}) EXPECT_FALSE(r.add(piece(*p), ++frame, whole));
        EXPECT_FALSE(r.add(piece(other[0]), ++frame, whole));
        const auto lost = r.given_up(true);  // first frame, bytes there and needed; the other's last piece never came
        ASSERT_EQ(lost.size(), 2u);
        EXPECT_TRUE(std::tie(lost[0].first_frame, lost[0].have, lost[0].need, lost[1].need) ==
                    std::make_tuple(8u, 32u + 27u + 12u, 108u, 0u));
    }
}

// A datagram given up on carries what its pieces told of it: the link
// header (VLAN tag included) and IP header (IPv6 extension headers left out)
// of the first piece that came, and its first 18 bytes from its piece at
// offset 0, for the filters to judge.
TEST(UdpPayload, DatagramGivenUpCarriesItsFirstPiecesHeadersAndStart) {
    constexpr std::size_t kTaggedIp = kIp + 4;
    for (bool ipv6 : {false, true}) {
        SCOPED_TRACE(ipv6 ? "IPv6" : "IPv4");
        UdpFlow tagged;
        tagged.ipv6 = ipv6;
        tagged.vlan = 42;
        tagged.fragment = 24;
        const std::vector<Bytes> frames = udp_frames(LinkLayer::Ethernet, tagged, Bytes(60, 0xAB));
        auto piece = [](const Bytes& frame) { return find_udp_payload(DLT_EN10MB, frame.data(), frame.size()); };
        Reassembler r;
        Bytes whole;
        CaptureFrame frame;
        for (const Bytes* p : {&frames[2], &frames[0]}) {
            ++frame.number;
            frame.data = p->data();
            r.add(piece(*p), frame, whole);
        }
        const auto lost = r.given_up(true);
        ASSERT_EQ(lost.size(), 1u);
        const Reassembler::Notes& notes = lost[0].notes;
        EXPECT_EQ(notes.head, Bytes(frames[2].begin(), frames[2].begin() + kTaggedIp + (ipv6 ? 40 : 20)));
        EXPECT_EQ(notes.piece.ip, notes.head.data() + kTaggedIp);
        const UdpDatagram first = piece(frames[0]);
        EXPECT_EQ(notes.start, Bytes(first.payload, first.payload + 18));
    }
}

// VLAN tags are walked 20 deep, as tshark walks them; a frame behind more
// is not walked, and says so.
UdpDatagram behind_tags(std::size_t tags) {
    UdpFlow flow;
    flow.vlan = 42;
    flow.vlan_tags = tags;
    const Bytes frame = udp_frame(LinkLayer::Ethernet, flow, kPayload);
    return find_udp_payload(DLT_EN10MB, frame.data(), frame.size());
}

TEST(UdpPayload, DatagramBehindTwentyVlanTagsIsFound) {
    EXPECT_EQ(behind_tags(kMaxVlanTags).kind, Kind::Udp);
}

TEST(UdpPayload, FrameBehindTwentyOneVlanTagsIsTooDeep) {
    EXPECT_EQ(behind_tags(kMaxVlanTags + 1).kind, Kind::Deep);
}

namespace {

// The payload found in a frame of the flow carrying kPayload whose UDP
// length field says `udp_length`; the IP length still counts all of it.
Bytes payload_with_udp_length(bool ipv6, unsigned udp_length) {
    UdpFlow flow;
    flow.ipv6 = ipv6;
    Bytes frame = udp_frame(LinkLayer::Ethernet, flow, kPayload);
    const std::size_t at = kIp + (ipv6 ? 40 : 20) + 4;
    frame[at] = static_cast<unsigned char>(udp_length >> 8);
    frame[at + 1] = static_cast<unsigned char>(udp_length);
    const UdpDatagram d = find_udp_payload(DLT_EN10MB, frame.data(), frame.size());
    EXPECT_EQ(d.kind, Kind::Udp);
    return Bytes(d.payload, d.payload + d.size);
}

Bytes first_of_payload(std::size_t n) { return Bytes(kPayload.begin(), kPayload.begin() + static_cast<long>(n)); }

}  // namespace

// A UDP length shorter than the IP payload ends the payload there: what
// follows in the IP payload is no part of it.
TEST(UdpPayload, UdpLengthShorterThanTheIpv4PayloadEndsThePayload) {
    EXPECT_EQ(payload_with_udp_length(false, 8 + 5), first_of_payload(5));
}

TEST(UdpPayload, UdpLengthShorterThanTheIpv6PayloadEndsThePayload) {
    EXPECT_EQ(payload_with_udp_length(true, 8 + 5), first_of_payload(5));
}

TEST(UdpPayload, UdpLengthOfTheHeaderAloneLeavesNoPayload) {
    EXPECT_EQ(payload_with_udp_length(false, 8), Bytes{});
}

// Below the header's own 8 bytes the length means nothing: the IP length bounds the payload.
TEST(UdpPayload, UdpLengthBelowTheHeaderLeavesTheIpLength) {
    EXPECT_EQ(payload_with_udp_length(false, 7), kPayload);
}

TEST(UdpPayload, UdpLengthLongerThanTheIpPayloadLeavesTheIpLength) {
    EXPECT_EQ(payload_with_udp_length(false, 8 + 13), kPayload);
}

// A datagram put back together from its pieces is bounded by its UDP length the same way.
TEST(UdpPayload, UdpLengthShorterThanAReassembledDatagramEndsThePayload) {
    Bytes udp = udp_datagram(UdpFlow{}, kPayload);
    udp[4] = 0;
    udp[5] = 8 + 5;
    const UdpDatagram d = udp_in(udp.data(), udp.size());
    EXPECT_EQ(Bytes(d.payload, d.payload + d.size), first_of_payload(5));
}
