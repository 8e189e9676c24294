#include "capture/udp_payload.h"

#include <pcap/dlt.h>

#include <algorithm>

namespace paketlog {
namespace tool {
namespace {

constexpr unsigned kEtherIPv4 = 0x0800;
constexpr unsigned kEtherIPv6 = 0x86DD;
constexpr unsigned char kProtoUdp = 17;

unsigned be16(const unsigned char* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

struct Bytes {
    const unsigned char* data;
    std::size_t size;
};

UdpDatagram with_kind(UdpDatagram::Kind kind) {
    UdpDatagram d;
    d.kind = kind;
    return d;
}

UdpDatagram udp(Bytes b) {
    if (b.size < 8) return with_kind(UdpDatagram::Kind::Cut);
    UdpDatagram d;
    d.kind = UdpDatagram::Kind::Udp;
    d.src_port = static_cast<unsigned short>(be16(b.data));
    d.dst_port = static_cast<unsigned short>(be16(b.data + 2));
    const unsigned length = be16(b.data + 4);  // 0: an IPv6 jumbogram, bounded by the IP layer
    std::size_t payload = b.size - 8;
    if (length >= 8) payload = std::min<std::size_t>(payload, length - 8);
    d.payload = b.data + 8;
    d.size = payload;
    return d;
}

// One piece of a fragmented datagram: `b` holds its bytes as captured, `length`
// of them by the IP header; `id` names the datagram among those of its addresses.
UdpDatagram piece(Bytes b, std::size_t length, const unsigned char* addresses, std::size_t address_size,
                  const unsigned char* id, std::size_t id_size, std::size_t offset, bool more) {
    UdpDatagram d;
    d.kind = UdpDatagram::Kind::Fragment;
    d.payload = b.data;
    d.size = std::min(b.size, length);
    auto key = d.piece.datagram.begin();
    *key++ = static_cast<unsigned char>(address_size == 4 ? 4 : 6);
    key = std::copy(addresses, addresses + 2 * address_size, key);
    std::copy(id, id + id_size, key);
    d.piece.offset = offset;
    d.piece.length = length;
    d.piece.more = more;
    return d;
}

UdpDatagram ipv4_datagram(Bytes b) {
    if (b.size < 20) return with_kind(UdpDatagram::Kind::Other);
    const std::size_t header = static_cast<std::size_t>(b.data[0] & 0x0F) * 4;
    if (header < 20) return with_kind(UdpDatagram::Kind::Other);
    if (b.data[9] != kProtoUdp) return with_kind(UdpDatagram::Kind::Other);
    if (b.size < header) return with_kind(UdpDatagram::Kind::Cut);
    const std::size_t total = be16(b.data + 2);
    std::size_t end = b.size;
    if (total >= header) end = std::min(end, total);  // 0: length left to the link layer
    const Bytes rest{b.data + header, end - header};
    const unsigned flags_offset = be16(b.data + 6);
    if ((flags_offset & 0x3FFF) == 0) return udp(rest);
    const std::size_t length = total >= header ? total - header : rest.size;
    return piece(rest, length, b.data + 12, 4, b.data + 4, 2, (flags_offset & 0x1FFFu) * 8u,
                 (flags_offset & 0x2000) != 0);
}

UdpDatagram ipv6_datagram(Bytes b) {
    if (b.size < 40) return with_kind(UdpDatagram::Kind::Other);
    const std::size_t payload_length = be16(b.data + 4);
    std::size_t end = b.size;
    if (payload_length != 0) end = std::min(end, 40 + payload_length);
    unsigned next = b.data[6];
    std::size_t pos = 40;
    for (;;) {
        if (next == kProtoUdp) return udp({b.data + pos, end - std::min(end, pos)});
        std::size_t length = 0;
        switch (next) {
        case 0:   // hop-by-hop options
        case 43:  // routing
        case 60:  // destination options
            if (pos + 2 > end) return with_kind(UdpDatagram::Kind::Cut);
            length = (static_cast<std::size_t>(b.data[pos + 1]) + 1) * 8;
            break;
        case 51:  // authentication header
            if (pos + 2 > end) return with_kind(UdpDatagram::Kind::Cut);
            length = (static_cast<std::size_t>(b.data[pos + 1]) + 2) * 4;
            break;
        case 44: {  // fragment: the UDP datagram follows, in pieces
            if (pos + 8 > end) return with_kind(UdpDatagram::Kind::Cut);
            if (b.data[pos] != kProtoUdp) return with_kind(UdpDatagram::Kind::Other);
            const unsigned offset_more = be16(b.data + pos + 2);
            const std::size_t piece_length = payload_length != 0 ? 40 + payload_length - (pos + 8) : end - (pos + 8);
            return piece({b.data + pos + 8, end - (pos + 8)}, piece_length, b.data + 8, 16, b.data + pos + 4, 4,
                         offset_more & 0xFFF8u, (offset_more & 1) != 0);
        }
        default:
            return with_kind(UdpDatagram::Kind::Other);
        }
        next = b.data[pos];
        pos += length;
        if (pos > end) return with_kind(UdpDatagram::Kind::Cut);
    }
}

void set_addresses(UdpDatagram& d, const unsigned char* ip, std::size_t size) {
    d.ip = ip;
    d.address.version = static_cast<unsigned char>(size == 4 ? 4 : 6);
    const unsigned char* at = ip + (size == 4 ? 12 : 8);
    std::copy(at, at + size, d.address.src.begin());
    std::copy(at + size, at + 2 * size, d.address.dst.begin());
}

UdpDatagram ipv4(Bytes b) {
    UdpDatagram d = ipv4_datagram(b);
    if (d.kind != UdpDatagram::Kind::Other) set_addresses(d, b.data, 4);
    return d;
}

UdpDatagram ipv6(Bytes b) {
    UdpDatagram d = ipv6_datagram(b);
    if (d.kind != UdpDatagram::Kind::Other) set_addresses(d, b.data, 16);
    return d;
}

UdpDatagram by_ethertype(unsigned type, Bytes b) {
    if (type == kEtherIPv4 && b.size > 0 && (b.data[0] >> 4) == 4) return ipv4(b);
    if (type == kEtherIPv6 && b.size > 0 && (b.data[0] >> 4) == 6) return ipv6(b);
    return with_kind(UdpDatagram::Kind::Other);
}

UdpDatagram by_version(Bytes b) {
    if (b.size == 0) return with_kind(UdpDatagram::Kind::Other);
    if ((b.data[0] >> 4) == 4) return ipv4(b);
    if ((b.data[0] >> 4) == 6) return ipv6(b);
    return with_kind(UdpDatagram::Kind::Other);
}

UdpDatagram ethernet(Bytes b) {
    std::size_t pos = 12;
    for (std::size_t tags = 0;; ++tags) {
        if (b.size < pos + 2) return with_kind(UdpDatagram::Kind::Other);
        const unsigned type = be16(b.data + pos);
        if (type == 0x8100 || type == 0x88A8 || type == 0x9100) {  // VLAN tags
            if (tags == kMaxVlanTags) return with_kind(UdpDatagram::Kind::Deep);
            pos += 4;
            continue;
        }
        pos += 2;
        return by_ethertype(type, {b.data + pos, b.size - pos});
    }
}

}  // namespace

bool link_type_supported(int dlt) {
    switch (dlt) {
    case DLT_EN10MB:
    case DLT_LINUX_SLL:
    case DLT_LINUX_SLL2:
    case DLT_RAW:
    case DLT_IPV4:
    case DLT_IPV6:
    case DLT_NULL:
    case DLT_LOOP:
        return true;
    default:
        return false;
    }
}

UdpDatagram find_udp_payload(int dlt, const unsigned char* frame, std::size_t caplen) {
    const Bytes b{frame, caplen};
    switch (dlt) {
    case DLT_EN10MB:
        return ethernet(b);
    case DLT_LINUX_SLL:  // 16-byte cooked header, protocol at 14
        if (caplen < 16) return with_kind(UdpDatagram::Kind::Other);
        return by_ethertype(be16(frame + 14), {frame + 16, caplen - 16});
    case DLT_LINUX_SLL2:  // 20-byte cooked header, protocol first
        if (caplen < 20) return with_kind(UdpDatagram::Kind::Other);
        return by_ethertype(be16(frame), {frame + 20, caplen - 20});
    case DLT_NULL:  // 4-byte address family, then the IP header
    case DLT_LOOP:
        if (caplen < 4) return with_kind(UdpDatagram::Kind::Other);
        return by_version({frame + 4, caplen - 4});
    case DLT_RAW:
    case DLT_IPV4:
    case DLT_IPV6:
        return by_version(b);
    default:
        return with_kind(UdpDatagram::Kind::Other);
    }
}

UdpDatagram udp_in(const unsigned char* datagram, std::size_t size) { return udp({datagram, size}); }

std::size_t ip_header_size(const UdpDatagram& d) {
    return d.address.version == 4 ? static_cast<std::size_t>(d.ip[0] & 0x0F) * 4 : 40;
}

}  // namespace tool
}  // namespace paketlog
