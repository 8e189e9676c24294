#include "wire/block_walk.h"

#include "paketlog.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace wire {

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
