#include "wire/block_walk.h"

#include "paketlog.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace wire {

BlockWalk::BlockWalk(const unsigned char* packet, std::size_t limit, unsigned short offset)
    : packet_(packet), limit_(limit), pos_(static_cast<unsigned short>(offset + 1)), left_(0), cut_(false) {
    if (offset < kFirstBlockOffset) return;
    if (offset >= limit) {
        cut_ = true;
        return;
    }
    left_ = packet[offset] < kMaxParams ? packet[offset] : kMaxParams;
}

const unsigned char* BlockWalk::next() {
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

bool packet_cut(const unsigned char* packet, std::size_t length) {
    if (length < kTypeNeed) return true;
    const TypeLayout layout = layout_of(packet[offsetof(_PD_PACKET, type)]);
    if (length < layout.need) return true;
    BlockWalk walk(packet, length, layout.block);
    while (walk.next() != nullptr) {
    }
    return walk.cut();
}

}  // namespace wire
}  // namespace paketlog
