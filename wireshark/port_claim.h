// Every datagram to or from a port of this protocol is its own, whatever
// the other port. Wireshark's UDP offers a datagram to the dissector of its
// lower port first, so a peer on port 53 or 123 would give ours to DNS or
// NTP. UDP asks the datagram's conversation before any port, so a front put
// before UDP (on IP's protocol 17) marks the conversation of each datagram
// with a port of ours (by preference or Decode As) as ours, then hands the
// datagram to UDP as it is.
#ifndef PAKETLOG_WIRESHARK_PORT_CLAIM_H
#define PAKETLOG_WIRESHARK_PORT_CLAIM_H

#include <epan/packet.h>

namespace paketlog {
namespace ws {

// Whether `port` is one of this protocol's UDP ports now.
bool is_signalling_port(guint port);

// The preference that turns the front off (paketlog.claim_port), in `module`.
void register_port_claim_preference(module_t* module);

// Puts the front before UDP; `handle` is this protocol's dissector. Once, at hand-off.
void claim_ports(dissector_handle_t handle);

}  // namespace ws
}  // namespace paketlog

#endif
