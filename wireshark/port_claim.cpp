#include "port_claim.h"

#include <epan/conversation.h>
#include <epan/ipproto.h>
#include <epan/prefs.h>

namespace paketlog {
namespace ws {
namespace {

dissector_handle_t ours;
dissector_handle_t udp;
dissector_table_t udp_ports;
gboolean claim = TRUE;

constexpr guint kUdpHeader = 8;

// UDP hands an empty datagram to no dissector: the front shows it as an
// empty packet of ours, as the command reports it.
int dissect_front(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void* data) {
    bool empty = false;
    // A datagram quoted inside an ICMP error starts no conversation.
    if (claim && !pinfo->flags.in_error_pkt && tvb_captured_length(tvb) >= kUdpHeader) {
        const guint src_port = tvb_get_ntohs(tvb, 0);
        const guint dst_port = tvb_get_ntohs(tvb, 2);
        if (is_signalling_port(src_port) || is_signalling_port(dst_port)) {
            conversation_t* conversation =
                find_conversation(pinfo->num, &pinfo->src, &pinfo->dst, CONVERSATION_UDP, src_port, dst_port, 0);
            if (conversation == nullptr)
                conversation =
                    conversation_new(pinfo->num, &pinfo->src, &pinfo->dst, CONVERSATION_UDP, src_port, dst_port, 0);
            if (conversation_get_dissector(conversation, pinfo->num) != ours)
                conversation_set_dissector(conversation, ours);
            empty = tvb_get_ntohs(tvb, 4) == kUdpHeader && tvb_reported_length(tvb) == kUdpHeader;
        }
    }
    const int used = call_dissector_with_data(udp, tvb, pinfo, tree, data);
    if (empty) call_dissector(ours, tvb_new_subset_length(tvb, kUdpHeader, 0), pinfo, tree);
    return used;
}

}  // namespace

bool is_signalling_port(guint port) {
    return port != 0 && udp_ports != nullptr && dissector_get_uint_handle(udp_ports, port) == ours;
}

void register_port_claim_preference(module_t* module) {
    prefs_register_bool_preference(module, "claim_port", "Every datagram of the port",
                                   "Dissect every UDP datagram to or from the port as this protocol, even when "
                                   "the other port belongs to another protocol (Wireshark tries the lower port "
                                   "first)",
                                   &claim);
}

void claim_ports(dissector_handle_t handle) {
    ours = handle;
    udp_ports = find_dissector_table("udp.port");
    dissector_table_t ip_protocols = find_dissector_table("ip.proto");
    if (udp_ports == nullptr || ip_protocols == nullptr) return;
    udp = dissector_get_uint_handle(ip_protocols, IP_PROTO_UDP);
    if (udp == nullptr) return;
    // No protocol of its own: the front adds no layer and no tree item, and
    // Decode As lists it by its description only.
    dissector_add_uint("ip.proto", IP_PROTO_UDP,
                       create_dissector_handle_with_name_and_description(
                           dissect_front, -1, "paketlog_udp_front",
                           "UDP, every datagram of the signalling port to PAKETLOG"));
}

}  // namespace ws
}  // namespace paketlog
