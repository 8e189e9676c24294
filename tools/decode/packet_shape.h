// What a packet's bytes say about it before it is decoded.
#ifndef PAKETLOG_TOOLS_DECODE_PACKET_SHAPE_H
#define PAKETLOG_TOOLS_DECODE_PACKET_SHAPE_H

#include <cstddef>

namespace paketlog {
namespace tool {

// The largest packet the decoders take: its length travels as an unsigned short.
constexpr std::size_t kMaxPacketLength = 65535;

// The packet-type code, or -1 when the packet is too short to hold one.
int packet_type(const unsigned char* packet, std::size_t length);

// Whether the packet ends before the fields of its type, or before a
// parameter of its additional-parameter block is complete (as far as the
// decoders walk the block: its first twelve parameters).
bool packet_truncated(const unsigned char* packet, std::size_t length);

}  // namespace tool
}  // namespace paketlog

#endif
