// The fields a packet type carries of its own, and the records it shares
// with the additional parameters (numbers, RTP records).
#ifndef PAKETLOG_WIRESHARK_TYPE_FIELDS_H
#define PAKETLOG_WIRESHARK_TYPE_FIELDS_H

#include <epan/packet.h>

#include "fields.h"

namespace paketlog {
namespace ws {

// `packet` is the datagram's bytes, as many as the tvb holds from 0 and at
// least the type's record; each field becomes an item on its bytes.
void dissect_type_fields(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet,
                         guint8 type);

// A number record at `at`.
void dissect_number(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet, guint at,
                    const NumberFields& f);

// A u32 ID, a u16 destination and an RTP record, from `at` on.
void dissect_rtp(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet, guint at);

// A code byte with its name; an expert info when its table lacks it.
proto_item* add_named(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, int field, guint at, guint8 code,
                      const value_string* names, expert_field* unknown, const char* what);

// An address text of `width` bytes at `at`, and its IPv4 address where it is one.
void add_address(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, int text_field, int ip_field,
                 const unsigned char* packet, guint at, guint width);

}  // namespace ws
}  // namespace paketlog

#endif
