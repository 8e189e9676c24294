// The opening both lines share: length, type, name, block.
#include <cstdio>

#include "code_name.h"
#include "eap/eap.h"
#include "packet/layout.h"

namespace paketlog {
namespace detail {

bool open_packet(Workspace& ws, char* dst, int size, const unsigned char* packet, std::size_t limit,
                 const LineStart& start, OpenedPacket& opened) {
    if (limit < wire::kTypeNeed) {
        std::snprintf(dst, size, start.no_type_format, start.first, static_cast<unsigned>(limit), wire::kTypeNeed);
        return false;
    }
    const wire::TypeLayout layout = wire::layout_of(packet[offsetof(_PD_PACKET, type)]);
    const char* name = find_name(start.names, start.name_count, layout.type, nullptr);
    if (name == nullptr) {
        std::snprintf(dst, size, start.unknown_format, start.first, layout.type);
        return false;
    }
    if (limit < layout.need) {
        std::snprintf(dst, size, start.truncated_format, start.first, name, static_cast<unsigned>(limit), layout.need);
        return false;
    }
    opened.type = layout.type;
    opened.name = name;
    opened.block = walk_block(ws, packet, limit, layout.block, start.skip_type);
    return true;
}

}  // namespace detail
}  // namespace paketlog
