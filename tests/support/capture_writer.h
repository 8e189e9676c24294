// Writing small pcap and pcapng captures of UDP datagrams: the bundled
// sample capture and the captures the tests read are made with these.
#ifndef PAKETLOG_TESTS_CAPTURE_WRITER_H
#define PAKETLOG_TESTS_CAPTURE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace paketlog {
namespace tool {

using Bytes = std::vector<unsigned char>;

// Link types as a capture file names them.
enum class LinkLayer { Ethernet = 1, LinuxCooked = 113, LinuxCooked2 = 276 };

struct UdpFlow {
    bool ipv6 = false;  // 192.0.2.10 -> 192.0.2.20, or 2001:db8::10 -> 2001:db8::20
    unsigned short src_port = 40000;
    unsigned short dst_port = 7700;
    unsigned short vlan = 0;  // Ethernet only: an 802.1Q tag when not 0
    std::size_t vlan_tags = 1;  // how many times that tag is given
    std::size_t ip_options = 0;  // IPv4 only: bytes of no-op options (a multiple of 4, at most 40)
    std::size_t fragment = 0;  // when not 0, IP pieces of at most this many bytes (a multiple of 8)
    unsigned id = 0x1234;      // the IP identification of a fragmented datagram
    bool checksum = true;      // false: the UDP checksum field 0 (none)
};

// One UDP datagram carrying `payload`, with correct IP and UDP lengths and
// checksums, behind the link header: one frame, or one per piece when the
// flow fragments it. An Ethernet frame is padded to the 60 bytes of the
// shortest frame on the wire.
std::vector<Bytes> udp_frames(LinkLayer link, const UdpFlow& flow, const Bytes& payload);
inline Bytes udp_frame(LinkLayer link, UdpFlow flow, const Bytes& payload) {
    flow.fragment = 0;
    return udp_frames(link, flow, payload).front();
}

// The parts of a frame one by one, for captures no sane sender makes.

// The UDP header (with its checksum, unless the flow has none) and the
// payload, as the flow sends them. Its length field is 0 when the datagram
// is longer than 65,535 bytes (a jumbogram's).
Bytes udp_datagram(const UdpFlow& flow, const Bytes& payload);
// One frame carrying `bytes` as the IP piece at `offset` of the flow's
// datagram `flow.id`, whatever they are: pieces no sender makes, for tests.
Bytes ip_piece(LinkLayer link, const UdpFlow& flow, std::size_t offset, bool more, const Bytes& bytes);

// The same without a link header: an IP packet of the flow's addresses
// carrying `carried`, the piece at byte `piece_at` of a fragmented datagram
// (negative: a whole datagram, in IPv4 with don't-fragment set), `more`
// when pieces follow it. The IPv4 header checksum is right.
Bytes ip_packet(const UdpFlow& flow, const Bytes& carried, long piece_at = -1, bool more = false);

// The Internet checksum of `size` bytes (16-bit big-endian words, an odd
// last byte padded): what an IPv4 header's checksum field holds when it was
// 0 while summed.
unsigned internet_checksum(const unsigned char* bytes, std::size_t size);

// An IPv6 jumbogram of the flow's addresses carrying the UDP datagram
// `udp`: payload length 0, its length in a hop-by-hop jumbo payload option.
Bytes ipv6_jumbogram(const Bytes& udp);

struct CapturedFrame {
    long long seconds = 0;
    long microseconds = 0;
    Bytes bytes;
};

// How a classic pcap file writes its headers: byte order, time stamp
// precision (the magic number tells), version, snapshot length, link type.
struct PcapLayout {
    bool big_endian = false;
    bool nanoseconds = false;
    unsigned version_major = 2;
    unsigned version_minor = 4;
    std::uint32_t snaplen = 65535;
    std::uint32_t link_type = 1;
};

// A pcap file header, added to `out`.
void put_pcap_header(Bytes& out, const PcapLayout& layout);

// A pcap record header as it is given, whatever bytes follow it.
struct PcapRecordHeader {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;  // microseconds, or nanoseconds
    std::uint32_t caplen = 0;    // bytes kept
    std::uint32_t length = 0;    // bytes on the wire
};
void put_pcap_record_header(Bytes& out, const PcapLayout& layout, const PcapRecordHeader& record);

// Whole capture files, little-endian, microsecond time stamps; each record
// holds its frame whole.
Bytes pcap_file(const PcapLayout& layout, const std::vector<CapturedFrame>& frames);
inline Bytes pcap_file(int link_type, const std::vector<CapturedFrame>& frames) {
    PcapLayout layout;
    layout.link_type = static_cast<std::uint32_t>(link_type);
    return pcap_file(layout, frames);
}
Bytes pcapng_file(int link_type, const std::vector<CapturedFrame>& frames);

}  // namespace tool
}  // namespace paketlog

#endif
