// Which side of a datagram the switch named by --switch is on.
#ifndef PAKETLOG_TOOLS_CAPTURE_SWITCH_SIDE_H
#define PAKETLOG_TOOLS_CAPTURE_SWITCH_SIDE_H

#include <algorithm>
#include <vector>

#include "capture/udp_payload.h"
#include "decode/options.h"

namespace paketlog {
namespace tool {

enum class SwitchSide { Neither, From, To };

// From: the datagram's source is one of `switches` (address, and port when
// given); To: its destination is; From wins when both are.
inline SwitchSide switch_side(const std::vector<SwitchAddress>& switches, const UdpDatagram::Addresses& a,
                              unsigned short src_port, unsigned short dst_port) {
    const auto is = [&](const SwitchAddress& s, const std::array<unsigned char, 16>& address, unsigned short port) {
        const std::size_t size = s.version == 4 ? 4 : 16;
        return s.version == a.version && std::equal(address.begin(), address.begin() + size, s.address.begin()) &&
               (s.port < 0 || s.port == port);
    };
    for (const SwitchAddress& s : switches)
        if (is(s, a.src, src_port)) return SwitchSide::From;
    for (const SwitchAddress& s : switches)
        if (is(s, a.dst, dst_port)) return SwitchSide::To;
    return SwitchSide::Neither;
}

}  // namespace tool
}  // namespace paketlog

#endif
