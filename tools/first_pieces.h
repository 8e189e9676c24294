// What the pieces of each open fragmented datagram told about it, so that a
// datagram that never comes together can still be judged by the filters.
#ifndef PAKETLOG_TOOLS_FIRST_PIECES_H
#define PAKETLOG_TOOLS_FIRST_PIECES_H

#include <array>
#include <cstddef>
#include <map>
#include <vector>

#include "capture_reader.h"
#include "udp_payload.h"

namespace paketlog {
namespace tool {

class FirstPieces {
public:
    struct Notes {
        unsigned long first_frame = 0;
        std::vector<unsigned char> head;   // the first piece's link and IP headers
        UdpDatagram piece;                 // that piece; its `ip` points into head
        std::vector<unsigned char> start;  // the datagram's first bytes, once its offset-0 piece came
    };
    static constexpr std::size_t kStartBytes = 18;  // UDP header and packet header
    // Datagrams followed at once; beyond, new ones go unnoted (and are
    // reported as they would be without filters).
    static constexpr std::size_t kMaxNoted = 512;

    // A piece seen in `frame` (whose bytes are still valid).
    void note(const UdpDatagram& piece, const CaptureFrame& frame);
    // Its datagram came together.
    void forget(const UdpDatagram& piece) { notes_.erase(piece.piece.datagram); }
    // Takes out the notes of the datagram whose first piece was `first_frame`;
    // false when there are none.
    bool take(unsigned long first_frame, Notes& out);

private:
    std::map<std::array<unsigned char, 37>, Notes> notes_;
};

}  // namespace tool
}  // namespace paketlog

#endif
