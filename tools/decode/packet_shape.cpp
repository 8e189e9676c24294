#include "decode/packet_shape.h"

#include "paketlog.h"
#include "wire/block_walk.h"

namespace paketlog {
namespace tool {

int packet_type(const unsigned char* packet, std::size_t length) {
    return length > offsetof(_PD_PACKET, type) ? packet[offsetof(_PD_PACKET, type)] : -1;
}

// The library's own rule (paketlog_wire): the decoders say "truncated" or
// "[|eap]" exactly when this holds.
bool packet_truncated(const unsigned char* packet, std::size_t length) { return wire::packet_cut(packet, length); }

}  // namespace tool
}  // namespace paketlog
