// What a packet's bytes say about it before it is decoded.
#ifndef PAKETLOG_TOOLS_PACKET_SHAPE_H
#define PAKETLOG_TOOLS_PACKET_SHAPE_H

#include <cstddef>

namespace paketlog {
namespace tool {

// The packet-type code, or -1 when the packet is too short to hold one.
int packet_type(const unsigned char* packet, std::size_t length);

// Whether the packet ends before the fields of its type, or before a
// parameter of its additional-parameter block is complete (as far as the
// decoders walk the block: its first twelve parameters).
bool packet_truncated(const unsigned char* packet, std::size_t length);

}  // namespace tool
}  // namespace paketlog

#endif
