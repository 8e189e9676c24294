// The walk over an additional-parameter block: which parameters a decoder
// visits, and where a packet too short for them is cut. The library renders
// the parameters it visits; the paketlog command asks only whether the walk
// was cut (packet_cut). Both use this one walk (target paketlog_wire).
#ifndef PAKETLOG_SRC_WIRE_BLOCK_WALK_H
#define PAKETLOG_SRC_WIRE_BLOCK_WALK_H

#include <cstddef>

#include "paketlog.h"

namespace paketlog {
namespace wire {

// A walk with no packet length to respect believes the count and every length.
constexpr std::size_t kTrusted = static_cast<std::size_t>(-1);

// The decoders visit no more parameters than this, whatever the count byte says.
constexpr unsigned kMaxParams = 12;

// No block starts inside the common header: an offset below it means none.
constexpr unsigned short kFirstBlockOffset = 10;

// Inline: the decoders take a step per parameter they render.
class BlockWalk {
public:
    // The block whose count byte is at `offset`, in a packet of `limit` bytes
    // (kTrusted: as many as the block says).
    BlockWalk(const unsigned char* packet, std::size_t limit, unsigned short offset)
        : packet_(packet), limit_(limit), pos_(static_cast<unsigned short>(offset + 1)), left_(0), cut_(false) {
        if (offset < kFirstBlockOffset) return;
        if (offset >= limit) {
            cut_ = true;
            return;
        }
        left_ = packet[offset] < kMaxParams ? packet[offset] : kMaxParams;
    }

    // The 4-byte header of the next parameter, its value whole inside the
    // limit; null once the walk is over.
    const unsigned char* next() {
        if (left_ == 0) return nullptr;
        const std::size_t header_end = std::size_t{pos_} + sizeof(_PD_ADD_PARAM_HEADER);
        if (header_end > limit_ || header_end + detail::load_le16(packet_ + pos_ + 2) > limit_) {
            cut_ = true;
            left_ = 0;
            return nullptr;
        }
        const unsigned char* param = packet_ + pos_;
        pos_ = static_cast<unsigned short>(header_end + detail::load_le16(param + 2));
        --left_;
        return param;
    }

    // Whether the walk ended at a count byte or a parameter past the limit.
    bool cut() const { return cut_; }

private:
    const unsigned char* packet_;
    std::size_t limit_;
    unsigned short pos_;  // wraps like the 16-bit offsets of the wire format
    unsigned left_;
    bool cut_;
};

// Whether `length` bytes end before the fields of the packet's type or inside
// a parameter the decoders visit; false for an unlisted type past byte 2.
bool packet_cut(const unsigned char* packet, std::size_t length);

}  // namespace wire
}  // namespace paketlog

#endif
