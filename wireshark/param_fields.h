// The additional-parameter block: one subtree per parameter the decoders
// visit, with its rendered text and its value as a field of its own type.
#ifndef PAKETLOG_WIRESHARK_PARAM_FIELDS_H
#define PAKETLOG_WIRESHARK_PARAM_FIELDS_H

#include <epan/packet.h>

#include "paketlog.h"

namespace paketlog {
namespace ws {

// The block whose count byte is at `at` (its item `count_item`), in the
// `length` bytes of `packet`; `workspace` renders the parameters' texts.
void dissect_block(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, proto_item* count_item,
                   unsigned char* packet, guint length, guint at, Workspace& workspace);

}  // namespace ws
}  // namespace paketlog

#endif
