// The additional-parameter block: a count byte, then up to twelve parameters
// rendered back to back into the block text.
#include <cstring>

#include "eap/eap.h"
#include "workspace.h"

namespace paketlog {
namespace detail {

namespace {
constexpr unsigned kMaxParams = 12;
constexpr unsigned short kFirstBlockOffset = 10;

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
    if (offset < kFirstBlockOffset) return text;
    if (offset >= limit) {
        mark_cut(text, 0, sizeof ws.block_text);
        return text;
    }
    unsigned count = packet[offset];
    if (count > kMaxParams) count = kMaxParams;
    std::size_t used = 0;
    unsigned short pos = static_cast<unsigned short>(offset + 1);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t header_end = std::size_t{pos} + sizeof(_PD_ADD_PARAM_HEADER);
        if (header_end > limit || header_end + load_le16(packet + pos + 2) > limit) {
            mark_cut(text, used, sizeof ws.block_text);
            return text;
        }
        const unsigned length = load_le16(packet + pos + 2);
        if (packet[pos] != skip_type) {
            if (sizeof ws.block_text - used > sizeof ws.param_text) {
                // Any parameter text fits: render it in place.
                used += render_param(ws, text + used, sizeof ws.param_text, packet + pos);
            } else {
                ws.param_text[0] = '\0';
                const std::size_t n = render_param(ws, ws.param_text, sizeof ws.param_text, packet + pos);
                if (used + n < sizeof ws.block_text) {  // a text that does not fit is dropped whole
                    std::memcpy(text + used, ws.param_text, n);
                    used += n;
                    text[used] = '\0';
                }
            }
        }
        pos = static_cast<unsigned short>(pos + sizeof(_PD_ADD_PARAM_HEADER) + length);
    }
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
