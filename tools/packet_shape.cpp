#include "packet_shape.h"

#include <algorithm>

#include "paketlog.h"

namespace paketlog {
namespace tool {
namespace {

// The decoders walk no further into a block.
constexpr unsigned kMaxParameters = 12;

std::size_t offset_of_block(unsigned char type) {
    _PD_PACKET header{};
    header.type = type;
    return header.get_offset_EAP();
}

}  // namespace

int packet_type(const unsigned char* packet, std::size_t length) {
    return length > offsetof(_PD_PACKET, type) ? packet[offsetof(_PD_PACKET, type)] : -1;
}

bool packet_truncated(const unsigned char* packet, std::size_t length) {
    const int type = packet_type(packet, length);
    if (type < 0) return true;
    const std::size_t offset = offset_of_block(static_cast<unsigned char>(type));
    if (offset == 0) {
        // KLT_NTRDY has no block but shows the byte after the header; an
        // unlisted type is shown by its type byte alone.
        return type == PKT_KLT_NTRDY && length < sizeof(_PD_PACKET) + 1;
    }
    if (length < std::max(sizeof(_PD_PACKET), offset + 1)) return true;
    const unsigned count = std::min<unsigned>(packet[offset], kMaxParameters);
    std::size_t pos = offset + 1;
    for (unsigned i = 0; i < count; ++i) {
        if (pos + sizeof(_PD_ADD_PARAM_HEADER) > length) return true;
        pos += sizeof(_PD_ADD_PARAM_HEADER) + detail::load_le16(packet + pos + 2);
        if (pos > length) return true;
    }
    return false;
}

}  // namespace tool
}  // namespace paketlog
