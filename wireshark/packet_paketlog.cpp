// Dissector of the switching system's signalling packets. Each UDP datagram
// on the signalling port is one packet: the tree shows the library's two
// lines for it, its header fields and one subtree per additional parameter.
//
// Wireshark's accessors leave by longjmp on a bad offset, which must not
// cross a C++ object with a destructor: the packet is copied once, every
// item stays within the copied bytes, and C++ strings live only inside
// shown(), which calls nothing of Wireshark's that can throw.
#include "packet_paketlog.h"

#include <epan/expert.h>
#include <epan/packet.h>
#include <wsutil/wslog.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "paketlog.h"
#include "text/text_utf8.h"
#include "wire/block_walk.h"
#include "wire/packet_types.h"

namespace {

constexpr guint kDefaultPort = 7700;
constexpr guint kMaxLength = 65535;      // the decoders' length is 16 bits
constexpr int kTextCapacity = 16384;     // the longest line; its block alone takes up to 12415 characters
constexpr guint kTypeAt = offsetof(_PD_PACKET, type);
constexpr guint kSeanceAt = offsetof(_PD_PACKET, seance);
constexpr guint kParamHeader = sizeof(_PD_ADD_PARAM_HEADER);
constexpr guint kParamLengthAt = offsetof(_PD_ADD_PARAM_HEADER, length);

int proto_paketlog = -1;
int hf_line = -1;
int hf_testcall = -1;
int hf_type = -1;
int hf_seance = -1;
int hf_eap_count = -1;
int hf_param = -1;
int hf_param_type = -1;
int hf_param_length = -1;
int hf_param_text = -1;
gint ett_paketlog = -1;
gint ett_param = -1;
expert_field ei_truncated = EI_INIT;
expert_field ei_block_cut = EI_INIT;
dissector_handle_t paketlog_handle;

// The dissector's own workspace and text buffer: Wireshark dissects one
// packet at a time.
paketlog::Workspace workspace;
char text[kTextCapacity];
std::unique_ptr<paketlog::tool::Cp1251ToUtf8> utf8;

// Value strings made from the library's name tables, without the padding
// the lines align them with.
constexpr std::size_t kPacketTypes = sizeof KesaPakets / sizeof KesaPakets[0];
constexpr std::size_t kParamTypes = sizeof AddParamPakets / sizeof AddParamPakets[0];
char type_name_text[kPacketTypes][16];
value_string type_names[kPacketTypes + 1];
value_string param_names[kParamTypes + 1];

void fill_names() {
    for (std::size_t i = 0; i < kPacketTypes; ++i) {
        char* name = type_name_text[i];
        std::snprintf(name, sizeof type_name_text[i], "%s", KesaPakets[i].name);
        for (std::size_t n = std::strlen(name); n > 0 && name[n - 1] == ' '; --n) name[n - 1] = '\0';
        type_names[i] = {KesaPakets[i].code, name};
    }
    type_names[kPacketTypes] = {0, nullptr};
    for (std::size_t i = 0; i < kParamTypes; ++i) param_names[i] = {AddParamPakets[i].code, AddParamPakets[i].name};
    param_names[kParamTypes] = {0, nullptr};
}

// The library's 8-bit text as UTF-8 in `pool`, converted as the command
// converts it, so that both show the same line.
const char* shown(wmem_allocator_t* pool, const char* library_text) {
    const std::string converted = utf8->convert(library_text);
    return wmem_strndup(pool, converted.data(), converted.size());
}

// A datagram from the signalling port is incoming (<<), one to it outgoing
// (>>). UDP calls the dissector through its port table, with the port it
// matched: the preference's, or one chosen with Decode As.
bool from_signalling_port(const packet_info* pinfo) { return pinfo->srcport == pinfo->match_uint; }

// One subtree per parameter of the block whose count byte is at `at`, as far
// as the decoders walk it; a parameter that runs past the end is flagged on
// the count and ends the walk, where the line shows "[|eap]".
void dissect_block(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, proto_item* count_item,
                   unsigned char* packet, guint length, guint at) {
    paketlog::wire::BlockWalk walk(packet, length, static_cast<unsigned short>(at));
    unsigned visited = 0;
    while (const unsigned char* param = walk.next()) {
        const guint pos = static_cast<guint>(param - packet);
        const guint value_length = paketlog::detail::load_le16(param + kParamLengthAt);
        proto_item* item = proto_tree_add_item(tree, hf_param, tvb, pos, kParamHeader + value_length, ENC_NA);
        proto_item_append_text(item, ": %s", val_to_str_const(param[0], param_names, "Unknown"));
        proto_tree* param_tree = proto_item_add_subtree(item, ett_param);
        proto_tree_add_item(param_tree, hf_param_type, tvb, pos, 1, ENC_NA);
        proto_tree_add_item(param_tree, hf_param_length, tvb, pos + kParamLengthAt, 2, ENC_LITTLE_ENDIAN);
        text[0] = '\0';
        get_eap_value(workspace, text, kTextCapacity, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(packet + pos));
        proto_tree_add_string(param_tree, hf_param_text, tvb, pos + kParamHeader, value_length,
                              shown(pinfo->pool, text));
        ++visited;
    }
    if (walk.cut()) {
        expert_add_info_format(pinfo, count_item, &ei_block_cut,
                               "Additional parameter %u of %u runs past the end of the packet", visited + 1,
                               std::min<unsigned>(packet[at], paketlog::wire::kMaxParams));
    }
}

// The header fields and the block of a packet that holds its type's fields
// (`need` bytes, its count byte last).
void dissect_fields(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, unsigned char* packet, guint length,
                    guint8 type, guint need) {
    proto_tree_add_item(tree, hf_seance, tvb, kSeanceAt, 4, ENC_LITTLE_ENDIAN);
    const guint at = need - 1;
    proto_item* count_item = proto_tree_add_item(tree, hf_eap_count, tvb, at, 1, ENC_NA);
    if (type != PKT_KLT_NTRDY) dissect_block(tvb, pinfo, tree, count_item, packet, length, at);
}

int dissect_paketlog(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void*) {
    if (!utf8) return 0;  // left off at start-up (proto_reg_handoff_paketlog)
    const guint length = std::min(tvb_captured_length(tvb), kMaxLength);
    const bool incoming = from_signalling_port(pinfo);
    col_set_str(pinfo->cinfo, COL_PROTOCOL, "PAKETLOG");
    col_clear(pinfo->cinfo, COL_INFO);
    proto_item* top = proto_tree_add_item(tree, proto_paketlog, tvb, 0, -1, ENC_NA);
    proto_tree* packet_tree = proto_item_add_subtree(top, ett_paketlog);
    if (tvb_captured_length(tvb) < tvb_reported_length(tvb)) {
        expert_add_info_format(pinfo, top, &ei_truncated, "The capture holds %u of the datagram's %u bytes",
                               tvb_captured_length(tvb), tvb_reported_length(tvb));
    }
    if (length == 0) {
        col_set_str(pinfo->cinfo, COL_INFO, "Empty datagram");
        expert_add_info_format(pinfo, top, &ei_truncated, "Truncated packet: 0 of %u bytes",
                               paketlog::wire::kTypeNeed);
        return 0;
    }

    unsigned char* packet = static_cast<unsigned char*>(tvb_memdup(pinfo->pool, tvb, 0, length));
    const auto wire_length = static_cast<unsigned short>(length);
    text[0] = '\0';
    decode_paket(workspace, text, kTextCapacity, packet, wire_length, incoming ? 1 : 2, 0);
    const char* line = shown(pinfo->pool, text);
    text[0] = '\0';
    decode_paket_testcall(workspace, text, kTextCapacity, packet, wire_length, incoming);
    const char* testcall = shown(pinfo->pool, text);

    col_add_str(pinfo->cinfo, COL_INFO, line);
    proto_tree_add_string(packet_tree, hf_line, tvb, 0, length, line);
    proto_tree_add_string(packet_tree, hf_testcall, tvb, 0, length, testcall);
    if (length <= kTypeAt) {
        expert_add_info_format(pinfo, top, &ei_truncated, "Truncated packet: %u of %u bytes", length,
                               paketlog::wire::kTypeNeed);
        return length;
    }
    const guint8 type = packet[kTypeAt];
    proto_tree_add_item(packet_tree, hf_type, tvb, kTypeAt, 1, ENC_NA);
    // The packet records end in the byte a line shows as EAP=: the count byte
    // of the type's block, or for KLT_NTRDY, which has none, the byte after the header.
    if (paketlog::wire::block_offset(type) == 0 && type != PKT_KLT_NTRDY) return length;  // unlisted: the type only
    proto_item_append_text(top, ", %s", val_to_str_const(type, type_names, "Unknown"));
    const guint need = paketlog::wire::needed_length(type);
    if (length < need) {
        expert_add_info_format(pinfo, top, &ei_truncated, "Truncated packet: %u of %u bytes", length, need);
        return length;
    }
    dissect_fields(tvb, pinfo, packet_tree, packet, length, type, need);
    return length;
}

}  // namespace

void proto_register_paketlog(void) {
    fill_names();
    static hf_register_info hf[] = {
        {&hf_line, {"Line", "paketlog.line", FT_STRING, BASE_NONE, nullptr, 0x0,
                    "Operator line, as the paketlog command prints it", HFILL}},
        {&hf_testcall, {"Test-call line", "paketlog.testcall", FT_STRING, BASE_NONE, nullptr, 0x0,
                        "Test-call line, converted from Windows-1251", HFILL}},
        {&hf_type, {"Type", "paketlog.type", FT_UINT8, BASE_DEC, VALS(type_names), 0x0, "Packet type", HFILL}},
        {&hf_seance, {"Seance", "paketlog.seance", FT_UINT32, BASE_DEC, nullptr, 0x0, nullptr, HFILL}},
        {&hf_eap_count, {"Additional parameters", "paketlog.eap_count", FT_UINT8, BASE_DEC, nullptr, 0x0,
                         "Count byte of the additional-parameter block", HFILL}},
        {&hf_param, {"Additional parameter", "paketlog.param", FT_NONE, BASE_NONE, nullptr, 0x0, nullptr, HFILL}},
        {&hf_param_type, {"Type", "paketlog.param.type", FT_UINT8, BASE_DEC, VALS(param_names), 0x0,
                          "Additional-parameter type", HFILL}},
        {&hf_param_length, {"Length", "paketlog.param.length", FT_UINT16, BASE_DEC, nullptr, 0x0,
                            "Length of the parameter's value", HFILL}},
        {&hf_param_text, {"Text", "paketlog.param.text", FT_STRING, BASE_NONE, nullptr, 0x0,
                          "The parameter as the line shows it", HFILL}},
    };
    static gint* ett[] = {&ett_paketlog, &ett_param};
    static ei_register_info ei[] = {
        {&ei_truncated, {"paketlog.truncated", PI_MALFORMED, PI_ERROR, "Truncated packet", EXPFILL}},
        {&ei_block_cut, {"paketlog.block_cut", PI_MALFORMED, PI_WARN, "Additional-parameter block cut", EXPFILL}},
    };

    proto_paketlog = proto_register_protocol("Switching system signalling (paketlog)", "PAKETLOG", "paketlog");
    proto_register_field_array(proto_paketlog, hf, array_length(hf));
    proto_register_subtree_array(ett, array_length(ett));
    expert_register_field_array(expert_register_protocol(proto_paketlog), ei, array_length(ei));
    paketlog_handle = register_dissector("paketlog", dissect_paketlog, proto_paketlog);
}

void proto_reg_handoff_paketlog(void) {
    try {
        utf8 = std::make_unique<paketlog::tool::Cp1251ToUtf8>();
    } catch (const std::exception& e) {
        ws_warning("paketlog dissector left off: %s", e.what());
        return;
    }
    // A port preference (paketlog.udp.port) and a "Decode As" entry come with it.
    dissector_add_uint_with_preference("udp.port", kDefaultPort, paketlog_handle);
}
