// Finding the UDP payload in a captured frame.
#ifndef PAKETLOG_TOOLS_UDP_PAYLOAD_H
#define PAKETLOG_TOOLS_UDP_PAYLOAD_H

#include <cstddef>

namespace paketlog {
namespace tool {

struct UdpDatagram {
    enum class Kind {
        Udp,       // payload found
        Other,     // not an IPv4 or IPv6 UDP datagram
        Fragment,  // a later fragment of a datagram: no UDP header in it
        Cut,       // a UDP datagram whose headers were not captured whole
    };
    Kind kind = Kind::Other;
    const unsigned char* payload = nullptr;
    std::size_t size = 0;
    unsigned short src_port = 0;
    unsigned short dst_port = 0;
    bool first_fragment = false;  // more fragments follow; the payload is only their start
};

// Whether the link type (pcap's DLT_ code) is one this reader walks.
bool link_type_supported(int dlt);

// The UDP payload in the `caplen` captured bytes of a frame of link type
// `dlt`. The payload is bounded by the IP and UDP lengths, so the padding of
// a short Ethernet frame is not part of it; a payload cut by the capture's
// snapshot length comes out as far as it was captured.
UdpDatagram find_udp_payload(int dlt, const unsigned char* frame, std::size_t caplen);

}  // namespace tool
}  // namespace paketlog

#endif
