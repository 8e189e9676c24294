// Writes the captures of IP pieces that test how the reassembly forgets,
// counts and judges into OUT_DIR, Ethernet frames through the tests' capture
// writer, each capture followed by one good DIALDIGIT datagram so a run
// shows that it went on after the fault; with --memory, also the large
// captures that the peak memory is measured on.
// usage: paketlog-hostile-pieces [--memory] OUT_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture_writer.h"

using namespace paketlog::tool;

namespace {

const Bytes kDialDigit = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};

UdpFlow flow_of(unsigned id, unsigned short dst_port = 7700) {
    UdpFlow flow;
    flow.id = id;
    flow.dst_port = dst_port;
    return flow;
}

// Bytes [from, to) of `bytes`.
Bytes cut(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

// A pcap file of the frames, a millisecond apart, the good datagram last.
bool write(const std::string& path, std::vector<Bytes> frames) {
    frames.push_back(udp_frame(LinkLayer::Ethernet, flow_of(99), kDialDigit));
    std::vector<CapturedFrame> captured;
    for (std::size_t i = 0; i < frames.size(); ++i)
        captured.push_back({1709285400 + static_cast<long long>(i / 1000), static_cast<long>(i % 1000 * 1000),
                            std::move(frames[i])});
    const Bytes file = pcap_file(static_cast<int>(LinkLayer::Ethernet), captured);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

// 257 datagrams from port 40001 to 7701, one over the open limit, sending 16-byte
// pieces in turn, four rounds, their last pieces never coming: each is
// given up on once, the first for the 257th, the others at the end.
std::vector<Bytes> pieces_in_turn() {
    std::vector<Bytes> frames;
    for (std::size_t round = 0; round < 4; ++round)
        for (unsigned id = 1; id <= 257; ++id) {
            UdpFlow flow = flow_of(id, 7701);
            flow.src_port = 40001;
            const Bytes datagram = udp_datagram(flow, Bytes(120, 0xAB));
            frames.push_back(ip_piece(LinkLayer::Ethernet, flow, round * 16, true,
                                      cut(datagram, round * 16, round * 16 + 16)));
        }
    return frames;
}

// Pieces [16, 24) and [16, 56) each the last, in either order, then [0, 16).
std::vector<Bytes> conflicting_ends(bool longer_first) {
    const UdpFlow flow = flow_of(1);
    const Bytes datagram = udp_datagram(flow, Bytes(48, 0xAB));
    const Bytes shorter = ip_piece(LinkLayer::Ethernet, flow, 16, false, cut(datagram, 16, 24));
    const Bytes longer = ip_piece(LinkLayer::Ethernet, flow, 16, false, cut(datagram, 16, 56));
    const Bytes first = ip_piece(LinkLayer::Ethernet, flow, 0, true, cut(datagram, 0, 16));
    return longer_first ? std::vector<Bytes>{longer, shorter, first} : std::vector<Bytes>{shorter, longer, first};
}

// The last piece [16, 24) and a piece [24, 64) past it, in either order, then [0, 16).
std::vector<Bytes> past_the_end(bool past_first) {
    const UdpFlow flow = flow_of(1);
    const Bytes datagram = udp_datagram(flow, Bytes(56, 0xAB));
    const Bytes last = ip_piece(LinkLayer::Ethernet, flow, 16, false, cut(datagram, 16, 24));
    const Bytes past = ip_piece(LinkLayer::Ethernet, flow, 24, true, cut(datagram, 24, 64));
    const Bytes first = ip_piece(LinkLayer::Ethernet, flow, 0, true, cut(datagram, 0, 16));
    return past_first ? std::vector<Bytes>{past, last, first} : std::vector<Bytes>{last, past, first};
}

// A piece of an IPv6 datagram (2001:db8::10 -> 2001:db8::20) whose first
// piece, and with it its UDP header, never comes.
std::vector<Bytes> no_first_piece() {
    UdpFlow flow = flow_of(7);
    flow.ipv6 = true;
    const Bytes datagram = udp_datagram(flow, Bytes(40, 0xAB));
    return {ip_piece(LinkLayer::Ethernet, flow, 16, true, cut(datagram, 16, 32))};
}

// The good datagram behind 21 VLAN tags, one more than are walked; the one
// behind 20 that ends every capture comes after it.
std::vector<Bytes> deep_tags(std::size_t tags) {
    UdpFlow flow = flow_of(98);
    flow.vlan = 42;
    flow.vlan_tags = tags;
    return {udp_frame(LinkLayer::Ethernet, flow, kDialDigit)};
}

// 256 datagrams to port 7701 whose first and second pieces come behind
// `tags` VLAN tags each (and 40 bytes of IPv4 options): held open, each
// headers and all, until the end.
std::vector<Bytes> open_behind_tags(std::size_t tags) {
    std::vector<Bytes> frames;
    for (std::size_t round = 0; round < 2; ++round)
        for (unsigned id = 1; id <= 256; ++id) {
            UdpFlow flow = flow_of(id, 7701);
            flow.vlan = 42;
            flow.vlan_tags = tags;
            flow.ip_options = 40;
            const Bytes datagram = udp_datagram(flow, Bytes(120, 0xAB));
            frames.push_back(ip_piece(LinkLayer::Ethernet, flow, round * 16, true,
                                      cut(datagram, round * 16, round * 16 + 16)));
        }
    return frames;
}

// 80 datagrams of the deepest headers walked (20 tags, 40 bytes of IPv4
// options), each with its last piece at the end of 65,535 bytes and 256
// pieces every other block of 8 bytes: more than 4 MiB held would they
// all stay open.
std::vector<Bytes> scattered_large() {
    std::vector<Bytes> frames;
    for (unsigned id = 1; id <= 80; ++id) {
        UdpFlow flow = flow_of(id, 7701);
        flow.vlan = 42;
        flow.vlan_tags = 20;
        flow.ip_options = 40;
        frames.push_back(ip_piece(LinkLayer::Ethernet, flow, 65528, false, Bytes(7, 0xAB)));
        for (std::size_t at = 0; at < 256 * 16; at += 16)
            frames.push_back(ip_piece(LinkLayer::Ethernet, flow, at, true, Bytes(8, 0xAB)));
    }
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    const bool memory = argc == 3 && std::string(argv[1]) == "--memory";
    if (argc != 2 && !memory) return std::fprintf(stderr, "usage: %s [--memory] OUT_DIR\n", argv[0]), 2;
    const std::string dir = std::string(argv[argc - 1]) + "/";
    std::filesystem::create_directories(dir);
    bool ok = true;
    ok &= write(dir + "pieces-in-turn.pcap", pieces_in_turn());
    ok &= write(dir + "conflicting-ends.pcap", conflicting_ends(false));
    ok &= write(dir + "conflicting-ends-reversed.pcap", conflicting_ends(true));
    ok &= write(dir + "past-the-end.pcap", past_the_end(false));
    ok &= write(dir + "past-the-end-reversed.pcap", past_the_end(true));
    ok &= write(dir + "no-first-piece.pcap", no_first_piece());
    ok &= write(dir + "deep-tags.pcap", deep_tags(21));
    ok &= write(dir + "deepest-tags.pcap", deep_tags(20));
    if (memory) {
        ok &= write(dir + "open-behind-10000-tags.pcap", open_behind_tags(10000));
        ok &= write(dir + "open-behind-20-tags.pcap", open_behind_tags(20));
        ok &= write(dir + "scattered-large.pcap", scattered_large());
    }
    return ok ? 0 : 1;
}
