// The additional-parameter block: a count byte, then up to twelve parameters
// rendered back to back into the block text.
#include <cstring>

#include "eap/eap.h"
#include "wire/block_walk.h"
#include "workspace.h"

namespace paketlog {
namespace detail {

namespace {
// The cut mark always shows, even on a full block text.
void mark_cut(char* text, std::size_t used, std::size_t capacity) {
    const std::size_t at = used + sizeof kBlockCutMark <= capacity ? used : capacity - sizeof kBlockCutMark;
    std::memcpy(text + at, kBlockCutMark, sizeof kBlockCutMark);
}
}  // namespace

char* walk_block(Workspace& ws, const unsigned char* packet, std::size_t limit, unsigned short offset,
                 unsigned char skip_type) {
    char* text = ws.block_text;
    text[0] = '\0';
    std::size_t used = 0;
    wire::BlockWalk walk(packet, limit, offset);
    while (const unsigned char* param = walk.next()) {
        if (param[0] == skip_type) continue;
        if (sizeof ws.block_text - used > sizeof ws.param_text) {
            // Any parameter text fits: render it in place.
            used += render_param(ws, text + used, sizeof ws.param_text, param);
        } else {
            ws.param_text[0] = '\0';
            const std::size_t n = render_param(ws, ws.param_text, sizeof ws.param_text, param);
            if (used + n < sizeof ws.block_text) {  // a text that does not fit is dropped whole
                std::memcpy(text + used, ws.param_text, n);
                used += n;
                text[used] = '\0';
            }
        }
    }
    if (walk.cut()) mark_cut(text, used, sizeof ws.block_text);
    return text;
}

}  // namespace detail
}  // namespace paketlog

using paketlog::detail::g_workspace;
using paketlog::detail::kTrusted;
using paketlog::detail::walk_block;

char* decode_eap(paketlog::Workspace& ws, unsigned char* packet, unsigned short offset, unsigned char skip_type) {
    return walk_block(ws, packet, kTrusted, offset, skip_type);
}

char* decode_eap(paketlog::Workspace& ws, unsigned char* packet, unsigned short length, unsigned short offset,
                 unsigned char skip_type) {
    return walk_block(ws, packet, length, offset, skip_type);
}

char* decode_eap(unsigned char* packet, unsigned short offset, unsigned char skip_type) {
    return decode_eap(g_workspace, packet, offset, skip_type);
}

char* decode_eap(unsigned char* packet, unsigned short length, unsigned short offset, unsigned char skip_type) {
    return decode_eap(g_workspace, packet, length, offset, skip_type);
}
