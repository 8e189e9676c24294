// Additional parameters inside the library: one parameter rendered with its
// value bounded by its own length field, and the block walk shared by the
// trusting and the length-aware forms of decode_eap.
#ifndef PAKETLOG_SRC_EAP_EAP_H
#define PAKETLOG_SRC_EAP_EAP_H

#include <cstddef>

#include "paketlog.h"
#include "wire/block_walk.h"

namespace paketlog {
namespace detail {

using wire::kTrusted;

// Shown at the end of a block text whose parameters run past the packet.
constexpr char kBlockCutMark[] = "[|eap]";

// Renders the parameter whose 4-byte header starts at `param`; every read
// stays within the header and its `length` value bytes. Returns the length of
// the text it wrote into `dst` (0 when it wrote nothing).
std::size_t render_param(Workspace& ws, char* dst, int size, const unsigned char* param);

// Block text of the parameters at `offset`; `limit` is the packet length,
// or kTrusted to believe the count and every length.
char* walk_block(Workspace& ws, const unsigned char* packet, std::size_t limit, unsigned short offset,
                 unsigned char skip_type);

}  // namespace detail
}  // namespace paketlog

#endif
