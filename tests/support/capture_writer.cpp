#include "capture_writer.h"

#include <algorithm>

namespace paketlog {
namespace tool {
namespace {

void put16be(Bytes& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}
void put16le(Bytes& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32le(Bytes& out, unsigned long v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void put16(Bytes& out, unsigned v, bool big_endian) {
    if (big_endian)
        put16be(out, v);
    else
        put16le(out, v);
}
void put32(Bytes& out, std::uint32_t v, bool big_endian) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (big_endian ? 24 - 8 * i : 8 * i)));
}
void set16be(Bytes& out, std::size_t at, unsigned v) {
    out[at] = static_cast<unsigned char>(v >> 8);
    out[at + 1] = static_cast<unsigned char>(v);
}

// Internet checksum over the 16-bit big-endian words of the pieces.
unsigned long sum_words(const unsigned char* p, std::size_t n, unsigned long sum) {
    for (std::size_t i = 0; i + 1 < n; i += 2) sum += static_cast<unsigned long>(p[i] << 8 | p[i + 1]);
    if (n % 2 != 0) sum += static_cast<unsigned long>(p[n - 1] << 8);
    return sum;
}
unsigned fold(unsigned long sum) {
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<unsigned>(~sum & 0xFFFF);
}

const unsigned char kIPv4Src[4] = {192, 0, 2, 10};
const unsigned char kIPv4Dst[4] = {192, 0, 2, 20};
const unsigned char kIPv6Src[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10};
const unsigned char kIPv6Dst[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20};
const unsigned char kMacSrc[6] = {0x02, 0, 0, 0, 0, 0x0a};
const unsigned char kMacDst[6] = {0x02, 0, 0, 0, 0, 0x14};

}  // namespace

Bytes udp_datagram(const UdpFlow& flow, const Bytes& payload) {
    const std::size_t udp_length = 8 + payload.size();
    Bytes udp;
    put16be(udp, flow.src_port);
    put16be(udp, flow.dst_port);
    put16be(udp, udp_length > 0xFFFF ? 0 : static_cast<unsigned>(udp_length));
    put16be(udp, 0);
    udp.insert(udp.end(), payload.begin(), payload.end());
    if (!flow.checksum) return udp;

    const unsigned char* src = flow.ipv6 ? kIPv6Src : kIPv4Src;
    const unsigned char* dst = flow.ipv6 ? kIPv6Dst : kIPv4Dst;
    const std::size_t address_size = flow.ipv6 ? 16 : 4;
    unsigned long pseudo = sum_words(src, address_size, 0);
    pseudo = sum_words(dst, address_size, pseudo);
    pseudo += 17 + udp_length;
    unsigned checksum = fold(sum_words(udp.data(), udp.size(), pseudo));
    if (checksum == 0) checksum = 0xFFFF;
    set16be(udp, 6, checksum);
    return udp;
}

namespace {

// The IP header for `carried` bytes of the UDP datagram; `piece_at` is where
// they begin in it when the datagram is fragmented (negative: it is not).
Bytes ip_header(const UdpFlow& flow, std::size_t carried, long piece_at, bool more) {
    const bool fragmented = piece_at >= 0;
    const unsigned offset = fragmented ? static_cast<unsigned>(piece_at) : 0;
    Bytes ip;
    if (flow.ipv6) {
        put16be(ip, 0x6000);
        put16be(ip, 0);
        put16be(ip, static_cast<unsigned>(carried + (fragmented ? 8 : 0)));
        ip.push_back(fragmented ? 44 : 17);  // next header: fragment or UDP
        ip.push_back(64);                    // hop limit
        ip.insert(ip.end(), kIPv6Src, kIPv6Src + 16);
        ip.insert(ip.end(), kIPv6Dst, kIPv6Dst + 16);
        if (fragmented) {
            ip.insert(ip.end(), {17, 0});
            put16be(ip, offset | (more ? 1u : 0u));
            put16be(ip, flow.id >> 16);
            put16be(ip, flow.id & 0xFFFF);
        }
        return ip;
    }
    const std::size_t header = 20 + flow.ip_options / 4 * 4;
    ip.push_back(static_cast<unsigned char>(0x40 | header / 4));
    ip.push_back(0);
    put16be(ip, static_cast<unsigned>(header + carried));
    put16be(ip, flow.id & 0xFFFF);
    put16be(ip, fragmented ? (more ? 0x2000u : 0u) | offset / 8 : 0x4000u);  // or: don't fragment
    ip.push_back(64);  // time to live
    ip.push_back(17);  // protocol: UDP
    put16be(ip, 0);
    ip.insert(ip.end(), kIPv4Src, kIPv4Src + 4);
    ip.insert(ip.end(), kIPv4Dst, kIPv4Dst + 4);
    ip.resize(header, 1);  // no-op options
    set16be(ip, 10, fold(sum_words(ip.data(), ip.size(), 0)));
    return ip;
}

Bytes link_header(LinkLayer link, const UdpFlow& flow) {
    const unsigned ethertype = flow.ipv6 ? 0x86DD : 0x0800;
    Bytes frame;
    switch (link) {
    case LinkLayer::Ethernet:
        frame.insert(frame.end(), kMacDst, kMacDst + 6);
        frame.insert(frame.end(), kMacSrc, kMacSrc + 6);
        for (std::size_t tag = 0; flow.vlan != 0 && tag < flow.vlan_tags; ++tag) {
            put16be(frame, 0x8100);
            put16be(frame, flow.vlan);
        }
        put16be(frame, ethertype);
        break;
    case LinkLayer::LinuxCooked:
        put16be(frame, 4);  // sent by us
        put16be(frame, 1);  // ARPHRD_ETHER
        put16be(frame, 6);
        frame.insert(frame.end(), kMacSrc, kMacSrc + 6);
        put16be(frame, 0);
        put16be(frame, ethertype);
        break;
    case LinkLayer::LinuxCooked2:
        put16be(frame, ethertype);
        put16be(frame, 0);
        frame.insert(frame.end(), {0, 0, 0, 2});  // interface index
        put16be(frame, 1);                        // ARPHRD_ETHER
        frame.push_back(4);                       // sent by us
        frame.push_back(6);
        frame.insert(frame.end(), kMacSrc, kMacSrc + 6);
        put16be(frame, 0);
        break;
    }
    return frame;
}

}  // namespace

std::vector<Bytes> udp_frames(LinkLayer link, const UdpFlow& flow, const Bytes& payload) {
    const Bytes udp = udp_datagram(flow, payload);
    const std::size_t piece = flow.fragment / 8 * 8;
    const bool fragmented = piece != 0 && udp.size() > piece;
    std::vector<Bytes> frames;
    for (std::size_t at = 0; at < udp.size(); at += fragmented ? piece : udp.size()) {
        const std::size_t carried = fragmented ? std::min(piece, udp.size() - at) : udp.size();
        Bytes frame = link_header(link, flow);
        const Bytes ip = ip_header(flow, carried, fragmented ? static_cast<long>(at) : -1, at + carried < udp.size());
        frame.insert(frame.end(), ip.begin(), ip.end());
        frame.insert(frame.end(), udp.begin() + static_cast<long>(at), udp.begin() + static_cast<long>(at + carried));
        if (link == LinkLayer::Ethernet && frame.size() < 60) frame.resize(60, 0);
        frames.push_back(std::move(frame));
    }
    return frames;
}

Bytes ip_piece(LinkLayer link, const UdpFlow& flow, std::size_t offset, bool more, const Bytes& bytes) {
    Bytes frame = link_header(link, flow);
    const Bytes ip = ip_header(flow, bytes.size(), static_cast<long>(offset), more);
    frame.insert(frame.end(), ip.begin(), ip.end());
    frame.insert(frame.end(), bytes.begin(), bytes.end());
    if (link == LinkLayer::Ethernet && frame.size() < 60) frame.resize(60, 0);
    return frame;
}

Bytes ip_packet(const UdpFlow& flow, const Bytes& carried, long piece_at, bool more) {
    Bytes ip = ip_header(flow, carried.size(), piece_at, more);
    ip.insert(ip.end(), carried.begin(), carried.end());
    return ip;
}

unsigned internet_checksum(const unsigned char* bytes, std::size_t size) { return fold(sum_words(bytes, size, 0)); }

Bytes ipv6_jumbogram(const Bytes& udp) {
    Bytes ip = {0x60, 0, 0, 0, 0, 0, 0 /* next header: hop-by-hop options */, 64};
    ip.insert(ip.end(), kIPv6Src, kIPv6Src + 16);
    ip.insert(ip.end(), kIPv6Dst, kIPv6Dst + 16);
    ip.insert(ip.end(), {17, 0, 0xC2, 4});  // next header UDP; the jumbo payload option
    const std::size_t jumbo = 8 + udp.size();
    for (int shift = 24; shift >= 0; shift -= 8) ip.push_back(static_cast<unsigned char>(jumbo >> shift));
    ip.insert(ip.end(), udp.begin(), udp.end());
    return ip;
}

void put_pcap_header(Bytes& out, const PcapLayout& layout) {
    const bool big = layout.big_endian;
    put32(out, layout.nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4, big);
    put16(out, layout.version_major, big);
    put16(out, layout.version_minor, big);
    put32(out, 0, big);  // time zone
    put32(out, 0, big);  // accuracy
    put32(out, layout.snaplen, big);
    put32(out, layout.link_type, big);
}

void put_pcap_record_header(Bytes& out, const PcapLayout& layout, const PcapRecordHeader& record) {
    put32(out, record.seconds, layout.big_endian);
    put32(out, record.fraction, layout.big_endian);
    put32(out, record.caplen, layout.big_endian);
    put32(out, record.length, layout.big_endian);
}

Bytes pcap_file(const PcapLayout& layout, const std::vector<CapturedFrame>& frames) {
    Bytes out;
    put_pcap_header(out, layout);
    for (const CapturedFrame& f : frames) {
        PcapRecordHeader record;
        record.seconds = static_cast<std::uint32_t>(f.seconds);
        record.fraction = static_cast<std::uint32_t>(f.microseconds);
        record.caplen = record.length = static_cast<std::uint32_t>(f.bytes.size());
        put_pcap_record_header(out, layout, record);
        out.insert(out.end(), f.bytes.begin(), f.bytes.end());
    }
    return out;
}

Bytes pcapng_file(int link_type, const std::vector<CapturedFrame>& frames) {
    Bytes out;
    // Section header block.
    put32le(out, 0x0A0D0D0A);
    put32le(out, 28);
    put32le(out, 0x1A2B3C4D);
    put16le(out, 1);
    put16le(out, 0);
    put32le(out, 0xFFFFFFFF);  // section length: not given
    put32le(out, 0xFFFFFFFF);
    put32le(out, 28);
    // Interface description block; time stamps in microseconds, the default.
    put32le(out, 1);
    put32le(out, 20);
    put16le(out, static_cast<unsigned>(link_type));
    put16le(out, 0);
    put32le(out, 65535);
    put32le(out, 20);
    // One enhanced packet block per frame.
    for (const CapturedFrame& f : frames) {
        const std::size_t padded = (f.bytes.size() + 3) / 4 * 4;
        const std::size_t block = 32 + padded;
        const unsigned long long stamp =
            static_cast<unsigned long long>(f.seconds) * 1000000ULL + static_cast<unsigned long long>(f.microseconds);
        const std::size_t start = out.size();
        put32le(out, 6);
        put32le(out, block);
        put32le(out, 0);  // interface 0
        put32le(out, static_cast<unsigned long>(stamp >> 32));
        put32le(out, static_cast<unsigned long>(stamp & 0xFFFFFFFFULL));
        put32le(out, f.bytes.size());
        put32le(out, f.bytes.size());
        out.insert(out.end(), f.bytes.begin(), f.bytes.end());
        out.resize(start + 28 + padded, 0);
        put32le(out, block);
    }
    return out;
}

}  // namespace tool
}  // namespace paketlog
