// The capture side of the paketlog command: frames of one link type, each
// searched for its UDP payload, the pieces of fragmented datagrams put back
// together. Every payload found must lie inside its frame or datagram, a
// datagram that comes together is at most 65,535 bytes, what is held stays
// within its bound, and every datagram given up on is named by a frame
// already seen, has no more bytes than its length once that is known (when
// it is reported as incomplete), and carries its first piece's headers whole.
// Input: the link type (an index into kLinks), then frames, each a u16
// length and its bytes (the last one cut to what is left).
#include <pcap/dlt.h>

#include <vector>

#include "capture/ip_reassembly.h"
#include "capture/udp_payload.h"
#include "fuzz.h"

using paketlog::tool::Reassembler;
using paketlog::tool::UdpDatagram;

namespace {

const int kLinks[] = {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_RAW, DLT_IPV4, DLT_IPV6, DLT_NULL, DLT_LOOP};

void require_inside(const UdpDatagram& d, const unsigned char* bytes, std::size_t size) {
    if (d.size == 0) return;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(bytes);
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(d.payload);
    fuzz::require(at >= begin && at - begin <= size && d.size <= size - (at - begin));
}

// The first piece's IP header lies whole in the headers noted.
void require_noted(const Reassembler::Notes& notes) {
    fuzz::require(notes.start.size() <= Reassembler::kStartBytes);
    if (notes.head.empty()) return;
    const unsigned char* end = notes.head.data() + notes.head.size();
    fuzz::require(notes.piece.ip >= notes.head.data() && notes.piece.ip < end);
    fuzz::require(notes.piece.ip + paketlog::tool::ip_header_size(notes.piece) == end);
}

// An incomplete datagram has no more bytes than its length, once that is known.
void require_counted(const Reassembler::GivenUp& lost) {
    fuzz::require(lost.why != Reassembler::GivenUp::Why::Incomplete || lost.need == 0 || lost.have <= lost.need);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int link = kLinks[data[0] % (sizeof kLinks / sizeof kLinks[0])];
    Reassembler pieces;
    std::vector<unsigned char> whole;
    paketlog::tool::CaptureFrame frame;
    for (std::size_t pos = 1; pos + 2 <= size;) {
        const std::size_t n = std::min<std::size_t>(fuzz::u16(data + pos), size - pos - 2);
        const auto bytes = fuzz::exact(data + pos + 2, n, n);
        pos += 2 + n;
        ++frame.number;
        frame.data = bytes.get();
        const UdpDatagram d = paketlog::tool::find_udp_payload(link, bytes.get(), n);
        require_inside(d, bytes.get(), n);
        if (d.kind == UdpDatagram::Kind::Fragment) {
            fuzz::require(d.size <= d.piece.length);
            if (pieces.add(d, frame, whole)) {
                fuzz::require(!whole.empty() && whole.size() <= Reassembler::kMaxSize);
                require_inside(paketlog::tool::udp_in(whole.data(), whole.size()), whole.data(), whole.size());
            }
            fuzz::require(pieces.held() <= Reassembler::kMaxHeld);
        }
        for (const Reassembler::GivenUp& lost : pieces.given_up(false)) {
            fuzz::require(lost.first_frame <= lost.frame && lost.frame <= frame.number);
            require_counted(lost);
            require_noted(lost.notes);
        }
    }
    for (const Reassembler::GivenUp& lost : pieces.given_up(true)) {
        fuzz::require(lost.first_frame <= frame.number && lost.have <= Reassembler::kMaxSize);
        require_counted(lost);
        require_noted(lost.notes);
    }
    return 0;
}
