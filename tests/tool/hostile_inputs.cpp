// Writes the hostile inputs of the tool's tests into OUT_DIR: captures of raw
// IP frames whose pieces no sane sender makes, each followed by one good
// DIALDIGIT datagram, and a hex trace with a line past the cap between good
// ones, so a run shows that it went on after the fault.
// usage: paketlog-hostile-inputs OUT_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture_writer.h"

namespace {

using paketlog::tool::Bytes;
using paketlog::tool::UdpFlow;

const Bytes kDialDigit = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};

// 40000 -> `dst_port`, no UDP checksum.
UdpFlow flow_to(unsigned short dst_port = 7700) {
    UdpFlow flow;
    flow.dst_port = dst_port;
    flow.checksum = false;
    return flow;
}

// The UDP header (checksum 0: none) and the payload.
Bytes udp(const Bytes& payload, unsigned short dst_port = 7700) {
    return paketlog::tool::udp_datagram(flow_to(dst_port), payload);
}

// An IPv4 frame carrying `bytes` at `offset` of datagram `id`, 192.0.2.10 -> 192.0.2.20.
Bytes ipv4(unsigned id, std::size_t offset, bool more, const Bytes& bytes, bool fragment = true) {
    UdpFlow flow = flow_to();
    flow.id = id;
    return paketlog::tool::ip_packet(flow, bytes, fragment ? static_cast<long>(offset) : -1, more);
}

// A pcap file of raw IP frames (LINKTYPE_RAW), a millisecond apart, room for
// frames past 65,535 bytes; `snap` when not 0: each frame cut to that many bytes.
bool write(const std::string& path, const std::vector<Bytes>& frames, std::size_t snap = 0) {
    paketlog::tool::PcapLayout layout;
    layout.snaplen = 262144;
    layout.link_type = 101;
    Bytes out;
    paketlog::tool::put_pcap_header(out, layout);
    std::size_t ms = 0;
    for (const Bytes& frame : frames) {
        paketlog::tool::PcapRecordHeader record;
        record.seconds = static_cast<std::uint32_t>(1709285400 + ms / 1000);
        record.fraction = static_cast<std::uint32_t>(ms % 1000 * 1000);
        const std::size_t caplen = snap != 0 && frame.size() > snap ? snap : frame.size();
        record.caplen = static_cast<std::uint32_t>(caplen);
        record.length = static_cast<std::uint32_t>(frame.size());
        paketlog::tool::put_pcap_record_header(out, layout, record);
        out.insert(out.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(caplen));
        ++ms;
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

// The good datagram that ends every capture, in one frame.
std::vector<Bytes> then_good(std::vector<Bytes> frames) {
    frames.push_back(ipv4(99, 0, false, udp(kDialDigit), false));
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]), 2;
    const std::string dir = std::string(argv[1]) + "/";
    std::filesystem::create_directories(dir);
    const Bytes datagram = udp(kDialDigit);  // 20 bytes
    auto bytes = [&](std::size_t from, std::size_t to) {
        return Bytes(datagram.begin() + from, datagram.begin() + to);
    };
    bool ok = true;

    // 8000 empty pieces of one datagram, then 20,000 repeats of them, then
    // the datagram's real pieces: it comes together.
    std::vector<Bytes> frames;
    for (std::size_t i = 0; i < 28000; ++i) frames.push_back(ipv4(1, i % 8000 * 8, true, {}));
    frames.push_back(ipv4(1, 0, true, bytes(0, 16)));
    frames.push_back(ipv4(1, 16, false, bytes(16, 20)));
    ok &= write(dir + "empty-pieces.pcap", frames);

    // Bytes 8 to 15 twice: the same, or with one byte changed.
    Bytes changed = bytes(8, 16);
    changed[2] ^= 0xFF;
    for (const Bytes& again : {bytes(8, 16), changed})
        ok &= write(dir + (again == changed ? "overlap-different.pcap" : "overlap-same.pcap"),
                    then_good({ipv4(1, 0, true, bytes(0, 16)), ipv4(1, 8, true, again),
                               ipv4(1, 16, false, bytes(16, 20))}));

    // A last piece that ends at byte 65,544.
    ok &= write(dir + "too-long.pcap",
                then_good({ipv4(1, 0, true, bytes(0, 16)), ipv4(1, 65528, false, Bytes(16, 0xAB))}));

    // 1025 pieces of 8 bytes, one after the other.
    frames.clear();
    for (std::size_t i = 0; i < 1025; ++i) frames.push_back(ipv4(1, i * 8, true, Bytes(8, 0xAB)));
    ok &= write(dir + "many-pieces.pcap", then_good(frames));

    // A datagram to port 7701 whose last piece never comes, after what could
    // mislead its judging by the filters: an empty piece before its first,
    // an empty piece at offset 0 after its first bytes, 600 datagrams of
    // empty pieces only, or an earlier datagram of the same identification
    // refused for overlapping pieces, whose later piece still came.
    const Bytes elsewhere = udp(kDialDigit, 7701);
    const Bytes lost_start = ipv4(5, 0, true, Bytes(elsewhere.begin(), elsewhere.begin() + 16));
    ok &= write(dir + "lost-after-empty-piece.pcap", then_good({ipv4(5, 8, true, {}), lost_start}));
    ok &= write(dir + "lost-then-empty-start.pcap", then_good({lost_start, ipv4(5, 0, true, {})}));
    frames.clear();
    for (unsigned id = 1000; id < 1600; ++id) frames.push_back(ipv4(id, 0, true, {}));
    frames.push_back(lost_start);
    ok &= write(dir + "lost-after-empty-datagrams.pcap", then_good(frames));
    Bytes elsewhere_changed(elsewhere.begin() + 8, elsewhere.begin() + 16);
    elsewhere_changed[2] ^= 0xFF;
    frames = {lost_start, ipv4(5, 8, true, elsewhere_changed), ipv4(5, 16, false, Bytes(4, 0xAB))};
    for (unsigned id = 1000; id < 1256; ++id)  // the refused one is put aside for the 256th
        frames.push_back(ipv4(id, 0, true, Bytes(elsewhere.begin(), elsewhere.begin() + 16)));
    frames.push_back(lost_start);
    ok &= write(dir + "lost-after-refused.pcap", then_good(frames));

    // A UDP payload of 70,000 bytes in an IPv6 jumbogram.
    ok &= write(dir + "jumbogram.pcap", then_good({paketlog::tool::ipv6_jumbogram(udp(Bytes(70000, 0xAB)))}));

    // An empty datagram, then one cut before the end of its UDP header.
    ok &= write(dir + "empty-and-cut.pcap",
                then_good({ipv4(1, 0, false, udp({}), false), ipv4(2, 0, false, bytes(0, 6), false)}));

    // A snapshot length of 60 bytes: a 100-byte packet cut inside its
    // payload, in one frame and in two pieces.
    const Bytes long_datagram = udp(Bytes(100, 0x81));
    ok &= write(dir + "cut-payload.pcap", then_good({ipv4(3, 0, false, long_datagram, false)}), 60);
    ok &= write(dir + "cut-pieces.pcap",
                then_good({ipv4(3, 0, true, Bytes(long_datagram.begin(), long_datagram.begin() + 56)),
                           ipv4(3, 56, false, Bytes(long_datagram.begin() + 56, long_datagram.end()))}),
                60);

    // Many batches' worth of datagrams with reports among them, for -j: every
    // 50th datagram comes in pieces that overlap with different bytes, and
    // every 50th is empty.
    frames.clear();
    for (unsigned i = 0; i < 30000; ++i) {
        frames.push_back(ipv4(i, 0, false, datagram, false));
        if (i % 50 == 10) {
            frames.push_back(ipv4(i, 0, true, bytes(0, 16)));
            frames.push_back(ipv4(i, 8, true, changed));
        }
        if (i % 50 == 30) frames.push_back(ipv4(i, 0, false, udp({}), false));
    }
    ok &= write(dir + "many-batches.pcap", frames);
    // The same for hex traces: a bad line every 100 lines.
    std::ofstream batches(dir + "many-batches.hex");
    for (unsigned i = 0; i < 60000; ++i)
        batches << (i % 100 == 42 ? "00 00 80 0z\n" : "00 00 80 00 00 00 11 00 00 00 05 00 # a comment\n");
    ok &= static_cast<bool>(batches);

    // A line of 1,200,000 hex digits between two packets.
    std::ofstream hex(dir + "long-line.hex");
    hex << "00 00 80 00 00 00 11 00 00 00 05 00\n" << std::string(1200000, 'a')
        << "\n00 00 d3 00 00 00 00 00 00 00 00 00\n";
    ok &= static_cast<bool>(hex);
    return ok ? 0 : 1;
}
