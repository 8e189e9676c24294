// Dissector of the switching system's signalling packets. Each UDP datagram
// on the signalling port is one packet: the tree shows the library's two
// lines for it, its header, the fields of its type and one subtree per
// additional parameter.
//
// Wireshark's accessors leave by longjmp on a bad offset, which must not
// cross a C++ object with a destructor: the packet is copied once, every
// item stays within the copied bytes, and the C++ strings live only inside
// shown() (shown_text.cpp).
#include "packet_paketlog.h"

#include <epan/expert.h>
#include <epan/packet.h>
#include <epan/prefs.h>
#include <epan/tap.h>

#include <algorithm>
#include <cstddef>

#include "fields.h"
#include "packet_tap.h"
#include "paketlog.h"
#include "param_fields.h"
#include "port_claim.h"
#include "shown_text.h"
#include "stats_calls.h"
#include "stats_types.h"
#include "type_fields.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace ws {
namespace {

constexpr guint kDefaultPort = 7700;
constexpr guint kMaxLength = 65535;   // the decoders' length is 16 bits
constexpr int kTextCapacity = 16384;  // the longest line; its block alone takes up to 12415 characters
constexpr guint kTypeAt = offsetof(_PD_PACKET, type);
constexpr guint kSeanceAt = offsetof(_PD_PACKET, seance);

int proto_paketlog = -1;
int packet_tap = -1;
bool started = false;
dissector_handle_t paketlog_handle;

// The dissector's own workspace and text buffer: Wireshark dissects one
// packet at a time.
Workspace workspace;
char text[kTextCapacity];

// A datagram from a signalling port is incoming (<<), one to it outgoing
// (>>). The ports are the preference's and those chosen with Decode As.
bool from_signalling_port(const packet_info* pinfo) { return is_signalling_port(pinfo->srcport); }

// What the packet header and the type's record hold, once the packet holds
// them all (`need` bytes, its count byte last).
void dissect_fields(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, unsigned char* packet, guint length,
                    guint8 type, guint need) {
    proto_tree_add_item(tree, hf.seance, tvb, kSeanceAt, 4, ENC_LITTLE_ENDIAN);
    dissect_type_fields(tvb, pinfo, tree, packet, type);
    const guint at = need - 1;
    proto_item* count_item = proto_tree_add_item(tree, hf.eap_count, tvb, at, 1, ENC_NA);
    if (type != PKT_KLT_NTRDY) dissect_block(tvb, pinfo, tree, count_item, packet, length, at, workspace);
}

// The lines, the type and the fields of a datagram of 1 to 65535 bytes.
void dissect_packet(tvbuff_t* tvb, packet_info* pinfo, proto_item* top, proto_tree* packet_tree, guint length) {
    unsigned char* packet = static_cast<unsigned char*>(tvb_memdup(pinfo->pool, tvb, 0, length));
    const bool incoming = from_signalling_port(pinfo);
    const auto wire_length = static_cast<unsigned short>(length);
    text[0] = '\0';
    decode_paket(workspace, text, kTextCapacity, packet, wire_length, incoming ? 1 : 2, 0);
    const char* line = shown(pinfo->pool, text);
    text[0] = '\0';
    decode_paket_testcall(workspace, text, kTextCapacity, packet, wire_length, incoming);
    const char* testcall = shown(pinfo->pool, text);

    col_add_str(pinfo->cinfo, COL_INFO, line);
    proto_tree_add_string(packet_tree, hf.line, tvb, 0, length, line);
    proto_tree_add_string(packet_tree, hf.testcall, tvb, 0, length, testcall);

    auto* tap = wmem_new0(pinfo->pool, PacketTap);
    tap->packet = packet;
    tap->length = length;
    tap->incoming = incoming;
    tap->has_type = length > kTypeAt;
    tap->type = tap->has_type ? packet[kTypeAt] : 0;
    copy_address_wmem(pinfo->pool, &tap->src, &pinfo->src);
    copy_address_wmem(pinfo->pool, &tap->dst, &pinfo->dst);
    tap->src_port = pinfo->srcport;
    tap->dst_port = pinfo->destport;
    tap_queue_packet(packet_tap, pinfo, tap);

    if (length <= kTypeAt) {
        expert_add_info_format(pinfo, top, &ei.truncated, "Truncated packet: %u of %u bytes", length,
                               wire::kTypeNeed);
        return;
    }
    const guint8 type = packet[kTypeAt];
    proto_item* type_item = proto_tree_add_item(packet_tree, hf.type, tvb, kTypeAt, 1, ENC_NA);
    // The packet records end in the byte a line shows as EAP=: the count byte
    // of the type's block, or for KLT_NTRDY, which has none, the byte after the header.
    if (wire::block_offset(type) == 0 && type != PKT_KLT_NTRDY) {  // unlisted: the type only
        expert_add_info_format(pinfo, type_item, &ei.unknown_type, "Unknown packet type %u (0x%02X)", type, type);
        return;
    }
    proto_item_append_text(top, ", %s", val_to_str_const(type, type_names.vals, "Unknown"));
    const guint need = wire::needed_length(type);
    if (length < need) {
        expert_add_info_format(pinfo, top, &ei.truncated, "Truncated packet: %u of %u bytes", length, need);
        return;
    }
    dissect_fields(tvb, pinfo, packet_tree, packet, length, type, need);
}

int dissect_paketlog(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void*) {
    if (!started) return 0;  // left off at start-up (proto_reg_handoff_paketlog)
    col_set_str(pinfo->cinfo, COL_PROTOCOL, "PAKETLOG");
    col_clear(pinfo->cinfo, COL_INFO);
    proto_item* top = proto_tree_add_item(tree, proto_paketlog, tvb, 0, -1, ENC_NA);
    proto_tree* packet_tree = proto_item_add_subtree(top, ett.packet);
    const guint reported = tvb_reported_length(tvb);
    const guint captured = tvb_captured_length(tvb);
    if (reported > kMaxLength) {  // an IPv6 jumbogram: refused, as the command refuses it
        col_set_str(pinfo->cinfo, COL_INFO, "packet longer than 65535 bytes");
        expert_add_info_format(pinfo, top, &ei.too_long, "packet longer than %u bytes (%u bytes)", kMaxLength,
                               reported);
        return static_cast<int>(captured);
    }
    if (captured < reported) {
        expert_add_info_format(pinfo, top, &ei.truncated, "The capture holds %u of the datagram's %u bytes", captured,
                               reported);
    }
    if (reported == 0) {
        col_set_str(pinfo->cinfo, COL_INFO, "empty packet");
        expert_add_info(pinfo, top, &ei.empty);
        return 1;  // not 0, which would hand the datagram on as not this protocol's
    }
    if (captured == 0) {  // the capture cut the datagram before its first byte
        col_add_fstr(pinfo->cinfo, COL_INFO, "Truncated packet: 0 of %u bytes", wire::kTypeNeed);
        return 1;
    }
    dissect_packet(tvb, pinfo, top, packet_tree, captured);
    return static_cast<int>(captured);
}

}  // namespace
}  // namespace ws
}  // namespace paketlog

void proto_register_paketlog(void) {
    using namespace paketlog::ws;
    proto_paketlog = proto_register_protocol("Switching system signalling (paketlog)", "PAKETLOG", "paketlog");
    register_fields(proto_paketlog);
    module_t* module = prefs_register_protocol(proto_paketlog, nullptr);
    register_port_claim_preference(module);
    paketlog_handle = register_dissector("paketlog", dissect_paketlog, proto_paketlog);
    packet_tap = register_tap(kTapName);
    register_type_statistics();
    register_call_statistics();
}

void proto_reg_handoff_paketlog(void) {
    using namespace paketlog::ws;
    started = start_shown_text();
    if (!started) return;
    // A port preference (paketlog.udp.port) and a "Decode As" entry come with it.
    dissector_add_uint_with_preference("udp.port", kDefaultPort, paketlog_handle);
    claim_ports(paketlog_handle);
}
