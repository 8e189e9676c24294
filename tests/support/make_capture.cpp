// paketlog-capture: wraps the packets of a hex trace in UDP datagrams and
// writes them as a capture file. Makes examples/sample.pcap and the captures
// of the tool's tests; time stamps are fixed, so the output is the same on
// every run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "capture_writer.h"
#include "hex/hex_trace.h"

namespace {

// 2024-03-01 09:30:00 UTC; frame i follows 0.25 s + i µs after frame i - 1.
constexpr long long kFirstSecond = 1709285400;

int usage() {
    std::fputs("Usage: paketlog-capture [--pcapng] [--link ethernet|sll|sll2] [--ipv6] [--vlan ID]\n"
               "                        [--src-port N] [--dst-port N] [--fragment N] [--truncate N]\n"
               "                        TRACE.hex OUTPUT\n"
               "  --fragment N   send datagrams longer than N bytes in IP pieces of N (a multiple of 8)\n"
               "  --truncate N   leave the last N bytes off, like a capture whose writer was stopped\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace paketlog::tool;
    bool pcapng = false;
    LinkLayer link = LinkLayer::Ethernet;
    UdpFlow flow;
    std::size_t truncate = 0;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--pcapng") {
            pcapng = true;
        } else if (arg == "--ipv6") {
            flow.ipv6 = true;
        } else if (arg == "--link" && has_value) {
            const std::string name = argv[++i];
            if (name == "ethernet") link = LinkLayer::Ethernet;
            else if (name == "sll") link = LinkLayer::LinuxCooked;
            else if (name == "sll2") link = LinkLayer::LinuxCooked2;
            else return usage();
        } else if (arg == "--vlan" && has_value) {
            flow.vlan = static_cast<unsigned short>(std::atoi(argv[++i]));
        } else if (arg == "--src-port" && has_value) {
            flow.src_port = static_cast<unsigned short>(std::atoi(argv[++i]));
        } else if (arg == "--dst-port" && has_value) {
            flow.dst_port = static_cast<unsigned short>(std::atoi(argv[++i]));
        } else if (arg == "--fragment" && has_value) {
            flow.fragment = static_cast<std::size_t>(std::atoi(argv[++i]));
            if (flow.fragment < 8) return usage();
        } else if (arg == "--truncate" && has_value) {
            truncate = static_cast<std::size_t>(std::atoi(argv[++i]));
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return usage();

    std::ifstream trace(paths[0]);
    if (!trace) {
        std::fprintf(stderr, "paketlog-capture: cannot open %s\n", paths[0].c_str());
        return 1;
    }
    std::vector<CapturedFrame> frames;
    std::size_t datagrams = 0;
    std::string text;
    unsigned long number = 0;
    while (std::getline(trace, text)) {
        ++number;
        const HexLine line = parse_hex_line(text);
        if (line.kind == HexLine::Kind::Error) {
            std::fprintf(stderr, "paketlog-capture: %s:%lu: %s\n", paths[0].c_str(), number, line.error.c_str());
            return 1;
        }
        if (line.kind != HexLine::Kind::Packet) continue;
        const long long i = static_cast<long long>(datagrams++);
        if (flow.fragment != 0) flow.id = 0x1234 + static_cast<unsigned>(i);
        long long micros = i * 250000 + i;
        for (Bytes& piece : udp_frames(link, flow, line.bytes)) {  // the pieces a microsecond apart
            CapturedFrame frame;
            frame.seconds = kFirstSecond + micros / 1000000;
            frame.microseconds = static_cast<long>(micros++ % 1000000);
            frame.bytes = std::move(piece);
            frames.push_back(std::move(frame));
        }
    }

    const int link_type = static_cast<int>(link);
    Bytes file = pcapng ? pcapng_file(link_type, frames) : pcap_file(link_type, frames);
    file.resize(file.size() - std::min(truncate, file.size()));
    std::ofstream out(paths[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::fprintf(stderr, "paketlog-capture: cannot write %s\n", paths[1].c_str());
        return 1;
    }
    return 0;
}
