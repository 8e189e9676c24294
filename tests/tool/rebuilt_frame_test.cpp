// The frame --filter judges for a datagram put back together from its
// pieces: the link and IP headers of a piece, made those of the one
// unfragmented datagram it would have been.
#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "capture/bpf_filter.h"
#include "capture/capture_batches.h"
#include "capture/udp_payload.h"
#include "capture_writer.h"

using namespace paketlog::tool;

namespace {

const Bytes kDialDigit = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};
constexpr std::size_t kIp = 14;  // the IP header behind the Ethernet header

unsigned be16(const unsigned char* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

// 40000 -> 7700 in two pieces: sixteen bytes of UDP, then four.
UdpFlow in_pieces(bool ipv6) {
    UdpFlow flow;
    flow.ipv6 = ipv6;
    flow.fragment = 16;
    return flow;
}

// The UDP header and payload the pieces carry.
Bytes whole_udp(const UdpFlow& flow) { return udp_datagram(flow, kDialDigit); }

// The frame whole_frame() makes of `piece_frame` (a piece of the flow's
// datagram) and the whole UDP datagram.
Bytes rebuilt(const Bytes& piece_frame, const UdpFlow& flow) {
    const UdpDatagram piece = find_udp_payload(DLT_EN10MB, piece_frame.data(), piece_frame.size());
    EXPECT_EQ(piece.kind, UdpDatagram::Kind::Fragment);
    const Bytes udp = whole_udp(flow);
    std::vector<unsigned char> out;
    whole_frame(piece_frame.data(), piece, udp.data(), udp.size(), out);
    return out;
}

Bytes rebuilt_from_first_piece(bool ipv6) {
    const UdpFlow flow = in_pieces(ipv6);
    return rebuilt(udp_frames(LinkLayer::Ethernet, flow, kDialDigit).front(), flow);
}

// The payloads a capture of `frames` (Ethernet) gives with --filter `expression`.
std::vector<Bytes> kept_with_filter(const std::vector<Bytes>& frames, const std::string& expression) {
    std::vector<CapturedFrame> captured;
    for (const Bytes& frame : frames) {
        CapturedFrame f;
        f.seconds = 1709285400;
        f.microseconds = static_cast<long>(captured.size());
        f.bytes = frame;
        captured.push_back(f);
    }
    const Bytes file = pcap_file(1, captured);
    const std::string path = testing::TempDir() + "paketlog_rebuilt_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".pcap";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    CaptureReader capture;
    EXPECT_TRUE(capture.open(path)) << capture.error();
    BpfFilter bpf;
    EXPECT_EQ(bpf.compile(capture.link_type(), expression), "");
    const Options options;
    const PacketFilter filter;
    const std::atomic<bool> stop{false};
    LastKept last;
    CaptureBatchReader reader(capture, path, options, filter, bpf, stop, last);
    std::vector<Bytes> kept;
    for (Batch batch; reader.read(batch); batch.clear()) {
        CaptureBatchRecords records(batch);
        CaptureRecord record;
        std::string_view bytes;
        while (records.next(record, bytes)) {
            EXPECT_EQ(record.kind, CaptureRecord::Kind::Packet) << bytes;
            kept.emplace_back(bytes.begin(), bytes.end());
        }
    }
    std::remove(path.c_str());
    return kept;
}

// What the IPv4 header of the unfragmented datagram holds, its checksum
// worked out here: the flow's addresses and identification, no flags.
unsigned whole_ipv4_checksum(const UdpFlow& flow) {
    Bytes ip = ip_packet(flow, whole_udp(flow));
    ip.resize(20);
    ip[6] = ip[7] = 0;
    ip[10] = ip[11] = 0;
    return internet_checksum(ip.data(), ip.size());
}

}  // namespace

TEST(RebuiltFrame, Ipv4TotalLengthIsTheWholeDatagrams) {
    const Bytes frame = rebuilt_from_first_piece(false);
    EXPECT_EQ(be16(frame.data() + kIp + 2), 20 + 8 + kDialDigit.size());
}

TEST(RebuiltFrame, Ipv4HeaderChecksumIsRight) {
    const Bytes frame = rebuilt_from_first_piece(false);
    EXPECT_EQ(internet_checksum(frame.data() + kIp, 20), 0u);
}

TEST(RebuiltFrame, Ipv4HasNoMorePiecesAndOffsetZero) {
    const Bytes frame = rebuilt_from_first_piece(false);
    EXPECT_EQ(be16(frame.data() + kIp + 6), 0u);
}

// Options (four no-operations) stay, and the length and checksum count them.
TEST(RebuiltFrame, Ipv4OptionsKeptAndCounted) {
    UdpFlow flow = in_pieces(false);
    flow.ip_options = 4;
    const Bytes frame = rebuilt(udp_frames(LinkLayer::Ethernet, flow, kDialDigit).front(), flow);
    EXPECT_EQ(Bytes(frame.begin() + kIp + 20, frame.begin() + kIp + 24), (Bytes{1, 1, 1, 1}));
    EXPECT_EQ(be16(frame.data() + kIp + 2), 24 + 8 + kDialDigit.size());
    EXPECT_EQ(internet_checksum(frame.data() + kIp, 24), 0u);
}

TEST(RebuiltFrame, Ipv4DatagramFollowsTheHeader) {
    const Bytes frame = rebuilt_from_first_piece(false);
    EXPECT_EQ(Bytes(frame.begin() + kIp + 20, frame.end()), whole_udp(in_pieces(false)));
}

TEST(RebuiltFrame, Ipv6PayloadLengthIsTheWholeDatagrams) {
    const Bytes frame = rebuilt_from_first_piece(true);
    EXPECT_EQ(be16(frame.data() + kIp + 4), 8 + kDialDigit.size());
}

TEST(RebuiltFrame, Ipv6NextHeaderIsUdp) {
    const Bytes frame = rebuilt_from_first_piece(true);
    EXPECT_EQ(frame[kIp + 6], 17);
}

// The fragment header is left out: the datagram follows the fixed header.
TEST(RebuiltFrame, Ipv6DatagramFollowsTheFixedHeader) {
    const Bytes frame = rebuilt_from_first_piece(true);
    EXPECT_EQ(Bytes(frame.begin() + kIp + 40, frame.end()), whole_udp(in_pieces(true)));
}

// The same frames as a capture run judges them: --filter on the fields of
// the whole datagram keeps it, in the frame of its last piece.
TEST(RebuiltFrame, FilterSeesTheIpv4TotalLength) {
    const auto frames = udp_frames(LinkLayer::Ethernet, in_pieces(false), kDialDigit);
    EXPECT_EQ(kept_with_filter(frames, "ip[2:2] = 40"), std::vector<Bytes>{kDialDigit});
}

TEST(RebuiltFrame, FilterSeesTheIpv4HeaderChecksum) {
    const UdpFlow flow = in_pieces(false);
    const auto frames = udp_frames(LinkLayer::Ethernet, flow, kDialDigit);
    EXPECT_EQ(kept_with_filter(frames, "ip[10:2] = " + std::to_string(whole_ipv4_checksum(flow))),
              std::vector<Bytes>{kDialDigit});
}

TEST(RebuiltFrame, FilterSeesTheIpv6PayloadLength) {
    const auto frames = udp_frames(LinkLayer::Ethernet, in_pieces(true), kDialDigit);
    EXPECT_EQ(kept_with_filter(frames, "ip6[4:2] = 20"), std::vector<Bytes>{kDialDigit});
}

TEST(RebuiltFrame, FilterSeesTheIpv6NextHeader) {
    const auto frames = udp_frames(LinkLayer::Ethernet, in_pieces(true), kDialDigit);
    EXPECT_EQ(kept_with_filter(frames, "ip6[6] = 17"), std::vector<Bytes>{kDialDigit});
}

// And a filter on what the pieces said drops it.
TEST(RebuiltFrame, FilterOnAPiecesLengthDropsTheDatagram) {
    const auto frames = udp_frames(LinkLayer::Ethernet, in_pieces(false), kDialDigit);
    EXPECT_EQ(kept_with_filter(frames, "ip[2:2] = 36"), std::vector<Bytes>{});
}
