// Finding the UDP payload in a captured frame.
#ifndef PAKETLOG_TOOLS_CAPTURE_UDP_PAYLOAD_H
#define PAKETLOG_TOOLS_CAPTURE_UDP_PAYLOAD_H

#include <array>
#include <cstddef>

namespace paketlog {
namespace tool {

struct UdpDatagram {
    enum class Kind {
        Udp,       // payload found
        Other,     // not an IPv4 or IPv6 UDP datagram
        Fragment,  // a piece of a fragmented UDP datagram: payload and size are its bytes
        Cut,       // a UDP datagram whose headers were not captured whole
        Deep,      // an Ethernet frame behind more than kMaxVlanTags VLAN tags, not walked
    };
    Kind kind = Kind::Other;
    const unsigned char* payload = nullptr;
    std::size_t size = 0;
    unsigned short src_port = 0;
    unsigned short dst_port = 0;

    // The IP addresses (Udp, Fragment and Cut kinds; a datagram put back
    // together from its pieces gets them from its caller).
    struct Addresses {
        unsigned char version = 0;  // 4 or 6; 0 when unknown
        std::array<unsigned char, 16> src{};
        std::array<unsigned char, 16> dst{};
    } address;
    // Where the IP header begins in the frame; null for udp_in().
    const unsigned char* ip = nullptr;

    // Kind::Fragment: which datagram the piece belongs to and where.
    struct Piece {
        std::array<unsigned char, 37> datagram{};  // IP version, addresses, identification
        std::size_t offset = 0;                     // in the datagram's UDP header and payload
        std::size_t length = 0;                     // by the IP header; size is less when cut
        bool more = false;                          // more pieces follow this one
    } piece;
};
// VLAN tags walked in front of the IP header, as deep as tshark goes.
constexpr std::size_t kMaxVlanTags = 20;

// Whether the link type (pcap's DLT_ code) is one this reader walks.
bool link_type_supported(int dlt);

// The UDP payload in the `caplen` captured bytes of a frame of link type
// `dlt`. The payload is bounded by the IP and UDP lengths, so the padding of
// a short Ethernet frame is not part of it; a payload cut by the capture's
// snapshot length comes out as far as it was captured.
UdpDatagram find_udp_payload(int dlt, const unsigned char* frame, std::size_t caplen);

// The UDP header and payload of a datagram put back together from its pieces.
UdpDatagram udp_in(const unsigned char* datagram, std::size_t size);

// The length of the IP header at d.ip: IPv4's own (options included), or
// IPv6's fixed 40 bytes (extension headers left out).
std::size_t ip_header_size(const UdpDatagram& d);

}  // namespace tool
}  // namespace paketlog

#endif
