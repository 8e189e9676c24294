// What the dissector tells its statistics about each packet it decodes
// (the tap "paketlog").
#ifndef PAKETLOG_WIRESHARK_PACKET_TAP_H
#define PAKETLOG_WIRESHARK_PACKET_TAP_H

#include <epan/packet.h>

namespace paketlog {
namespace ws {

constexpr const char* kTapName = "paketlog";

struct PacketTap {
    const unsigned char* packet;  // the datagram's bytes, in the packet's pool
    guint length;                 // 1 to 65535
    bool incoming;                // from the signalling port
    bool has_type;                // long enough for its type byte
    guint8 type;
    address src, dst;             // the datagram's addresses and ports, in the packet's pool
    guint32 src_port, dst_port;
};

}  // namespace ws
}  // namespace paketlog

#endif
