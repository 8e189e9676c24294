// Putting fragmented UDP datagrams back together from their pieces, which
// may come in any order, twice, or interleaved with other datagrams.
#ifndef PAKETLOG_TOOLS_IP_REASSEMBLY_H
#define PAKETLOG_TOOLS_IP_REASSEMBLY_H

#include <array>
#include <cstddef>
#include <map>
#include <utility>
#include <vector>

#include "udp_payload.h"

namespace paketlog {
namespace tool {

class Reassembler {
public:
    // A datagram that did not come together: the frame of its first piece,
    // the bytes that arrived and the bytes it has (0 while its last piece is missing).
    struct Incomplete {
        unsigned long first_frame;
        std::size_t have;
        std::size_t need;
    };

    // Adds a Kind::Fragment piece seen in `frame`. True when it completes its
    // datagram, which is then in `whole` (its UDP header first).
    bool add(const UdpDatagram& piece, unsigned long frame, std::vector<unsigned char>& whole);

    // Datagrams given up on: those still open at the end of the capture
    // (with `at_end`), or put aside earlier to keep at most kMaxOpen open.
    std::vector<Incomplete> given_up(bool at_end);

    static constexpr std::size_t kMaxOpen = 256;
    static constexpr std::size_t kMaxSize = 65535;  // the most a datagram can carry

private:
    struct Open {
        unsigned long first_frame = 0;
        std::vector<unsigned char> bytes;
        std::vector<std::pair<std::size_t, std::size_t>> ranges;  // arrived, sorted and merged
        std::size_t need = 0;
    };
    Incomplete incomplete(const Open& open) const;

    std::map<std::array<unsigned char, 37>, Open> open_;
    std::vector<Incomplete> given_up_;
};

}  // namespace tool
}  // namespace paketlog

#endif
