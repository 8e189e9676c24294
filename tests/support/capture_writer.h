// Writing small pcap and pcapng captures of UDP datagrams: the bundled
// sample capture and the captures the tests read are made with these.
#ifndef PAKETLOG_TESTS_CAPTURE_WRITER_H
#define PAKETLOG_TESTS_CAPTURE_WRITER_H

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

// The UDP header (with its checksum) and the payload, as the flow sends them.
Bytes udp_datagram(const UdpFlow& flow, const Bytes& payload);
// One frame carrying `bytes` as the IP piece at `offset` of the flow's
// datagram `flow.id`, whatever they are: pieces no sender makes, for tests.
Bytes ip_piece(LinkLayer link, const UdpFlow& flow, std::size_t offset, bool more, const Bytes& bytes);

struct CapturedFrame {
    long long seconds = 0;
    long microseconds = 0;
    Bytes bytes;
};

// Whole capture files, little-endian, microsecond time stamps.
Bytes pcap_file(int link_type, const std::vector<CapturedFrame>& frames);
Bytes pcapng_file(int link_type, const std::vector<CapturedFrame>& frames);

}  // namespace tool
}  // namespace paketlog

#endif
