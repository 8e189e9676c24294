// A datagram's addresses and ports as tcpdump writes them.
#ifndef PAKETLOG_TOOLS_CAPTURE_ENDPOINT_TEXT_H
#define PAKETLOG_TOOLS_CAPTURE_ENDPOINT_TEXT_H

#include <cstddef>

#include "capture/udp_payload.h"

namespace paketlog {
namespace tool {

constexpr std::size_t kAddressTextSize = 46;                             // INET6_ADDRSTRLEN
constexpr std::size_t kEndpointsTextSize = 2 * (kAddressTextSize + 6) + 4;

// "192.0.2.10" or "2001:db8::10", without a NUL; returns its length.
std::size_t write_address(const UdpDatagram::Addresses& a, bool source, char* out);

// "192.0.2.10.40000 > 192.0.2.20.7700:", without a NUL; returns its length.
std::size_t write_endpoints(const UdpDatagram& d, char* out);
std::size_t write_endpoints(const UdpDatagram::Addresses& a, unsigned src_port, unsigned dst_port, char* out);

}  // namespace tool
}  // namespace paketlog

#endif
