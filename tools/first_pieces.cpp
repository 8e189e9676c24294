#include "first_pieces.h"

#include <algorithm>
#include <utility>

#include "ip_reassembly.h"

namespace paketlog {
namespace tool {

void FirstPieces::note(const UdpDatagram& piece, const CaptureFrame& frame) {
    if (piece.piece.offset + piece.piece.length > Reassembler::kMaxSize) return;  // never opened
    if (notes_.size() >= kMaxNoted && notes_.count(piece.piece.datagram) == 0) return;
    Notes& n = notes_[piece.piece.datagram];
    if (n.first_frame == 0) {
        n.first_frame = frame.number;
        const std::size_t ip_header = piece.address.version == 4 ? static_cast<std::size_t>(piece.ip[0] & 0x0F) * 4 : 40;
        n.head.assign(frame.data, piece.ip + ip_header);
        n.piece = piece;
        n.piece.ip = n.head.data() + (piece.ip - frame.data);
    }
    if (piece.piece.offset == 0) n.start.assign(piece.payload, piece.payload + std::min(piece.size, kStartBytes));
}

bool FirstPieces::take(unsigned long first_frame, Notes& out) {
    const auto it = std::find_if(notes_.begin(), notes_.end(),
                                 [first_frame](const auto& entry) { return entry.second.first_frame == first_frame; });
    if (it == notes_.end()) return false;
    out = std::move(it->second);
    notes_.erase(it);
    return true;
}

}  // namespace tool
}  // namespace paketlog
