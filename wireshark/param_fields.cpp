#include "param_fields.h"

#include <algorithm>
#include <cstring>

#include "eap/param_types.h"
#include "fields.h"
#include "shown_text.h"
#include "type_fields.h"
#include "wire/block_walk.h"

namespace paketlog {
namespace ws {
namespace {

constexpr guint kParamHeader = sizeof(_PD_ADD_PARAM_HEADER);
constexpr guint kParamLengthAt = offsetof(_PD_ADD_PARAM_HEADER, length);
constexpr guint kValueTextCapacity = sizeof(Workspace::param_text);  // what a text value shows at most, NUL included
constexpr int kRenderedCapacity = 16384;  // a parameter's rendered text, as the line's room

void dissect_video(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet, guint at) {
    using Video = Video_Exchange::ParamVideoRTP;
    using Codec = Video_Exchange::CodecVideo;
    for (std::size_t i = 0; i < 2; ++i) {
        const guint codec = at + static_cast<guint>(offsetof(Video, codecs) + i * sizeof(Codec));
        if (packet[codec + offsetof(Codec, slot_state)] == 255) continue;  // an empty entry
        proto_tree_add_item(tree, hf.video_payload, tvb, codec + offsetof(Codec, payload), 1, ENC_NA);
        const guint name = codec + offsetof(Codec, name);
        const std::size_t length = detail::field_strlen(reinterpret_cast<const char*>(packet + name),
                                                        sizeof Codec::name);
        proto_tree_add_string(tree, hf.video_codec, tvb, name, sizeof Codec::name,
                              shown(pinfo->pool, packet + name, length));
    }
    add_address(tvb, pinfo, tree, hf.video_address, hf.video_ip, packet, at + offsetof(Video, address),
                sizeof Video::address);
    proto_tree_add_item(tree, hf.video_port, tvb, at + offsetof(Video, port), 2, ENC_LITTLE_ENDIAN);
}

// The value of the parameter at `pos`, as the value renderer reads it: a
// value shorter than its layout shows no field.
void dissect_value(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, proto_item* type_item,
                   const unsigned char* packet, guint pos, guint value_length) {
    const guint8 type = packet[pos];
    if (!param_names.has(type)) {
        expert_add_info_format(pinfo, type_item, &ei.unknown_param_type, "Unknown additional-parameter type %u (0x%02X)",
                               type, type);
        return;
    }
    const detail::Layout layout = detail::layout_of_param(type);
    if (value_length < detail::fixed_size(layout)) return;
    const int field = hf.param_value[type - detail::kFirstParamType];
    const guint at = pos + kParamHeader;
    switch (layout) {
    case detail::Layout::Text: {
        // Up to the NUL, or every byte, as many as a parameter's text holds.
        const void* nul = std::memchr(packet + at, 0, value_length);
        guint length = nul ? static_cast<guint>(static_cast<const unsigned char*>(nul) - (packet + at)) : value_length;
        length = std::min<guint>(length, kValueTextCapacity - 1);
        proto_tree_add_string(tree, field, tvb, at, length, shown(pinfo->pool, packet + at, length));
        break;
    }
    case detail::Layout::U8:
        proto_tree_add_item(tree, field, tvb, at, 1, ENC_NA);
        break;
    case detail::Layout::EndpointType:
        proto_tree_add_item(tree, field, tvb, at, 1, ENC_NA);
        break;
    case detail::Layout::U32:
        proto_tree_add_item(tree, field, tvb, at, 4, ENC_LITTLE_ENDIAN);
        break;
    case detail::Layout::U32Pair:
        proto_tree_add_item(tree, field, tvb, at, 4, ENC_LITTLE_ENDIAN);
        proto_tree_add_item(tree, field, tvb, at + 4, 4, ENC_LITTLE_ENDIAN);
        break;
    case detail::Layout::Binary:
        proto_tree_add_item(tree, field, tvb, at, value_length, ENC_NA);
        break;
    case detail::Layout::Rtp:
        dissect_rtp(tvb, pinfo, tree, packet, at);
        break;
    case detail::Layout::Video:
        dissect_video(tvb, pinfo, tree, packet, at);
        break;
    case detail::Layout::Number:
        dissect_number(tvb, pinfo, tree, packet, at, hf.hide_param);
        break;
    case detail::Layout::Silent:
        break;
    }
}

}  // namespace

// As far as the decoders walk the block; a parameter that runs past the end
// is flagged on the count and ends the walk, where the line shows "[|eap]".
void dissect_block(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, proto_item* count_item,
                   unsigned char* packet, guint length, guint at, Workspace& workspace) {
    wire::BlockWalk walk(packet, length, static_cast<unsigned short>(at));
    unsigned visited = 0;
    char* text = static_cast<char*>(wmem_alloc(pinfo->pool, kRenderedCapacity));
    while (const unsigned char* param = walk.next()) {
        const guint pos = static_cast<guint>(param - packet);
        const guint value_length = detail::load_le16(param + kParamLengthAt);
        proto_item* item = proto_tree_add_item(tree, hf.param, tvb, pos, kParamHeader + value_length, ENC_NA);
        proto_item_append_text(item, ": %s", val_to_str_const(param[0], param_names.vals, "Unknown"));
        proto_tree* param_tree = proto_item_add_subtree(item, ett.param);
        proto_item* type_item = proto_tree_add_item(param_tree, hf.param_type, tvb, pos, 1, ENC_NA);
        proto_tree_add_item(param_tree, hf.param_length, tvb, pos + kParamLengthAt, 2, ENC_LITTLE_ENDIAN);
        text[0] = '\0';
        get_eap_value(workspace, text, kRenderedCapacity, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(packet + pos));
        proto_tree_add_string(param_tree, hf.param_text, tvb, pos + kParamHeader, value_length,
                              shown(pinfo->pool, text));
        dissect_value(tvb, pinfo, param_tree, type_item, packet, pos, value_length);
        ++visited;
    }
    if (walk.cut()) {
        expert_add_info_format(pinfo, count_item, &ei.block_cut,
                               "Additional parameter %u of %u runs past the end of the packet", visited + 1,
                               std::min<unsigned>(packet[at], wire::kMaxParams));
    }
}

}  // namespace ws
}  // namespace paketlog
