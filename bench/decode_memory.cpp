// The library-only decode that scripts/perf-tool.sh holds the paketlog
// command to: the packets of a hex trace or a capture are read into memory
// first, then decoded there, so that nothing but the decoders is timed.
//
//   paketlog_decode_memory [--pcap] [-j JOBS] [-r REPEATS] FILE
//
// Prints one line per wording: its name, the CPU seconds and the wall-clock
// seconds of the fastest pass over all packets, and the bytes written (the
// same on every pass). With -j the packets are decoded by that many threads
// through the command's batch engine, each with its own workspace.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/udp_payload.h"
#include "hex/hex_trace.h"
#include "paketlog.h"
#include "parallel/parallel_decode.h"

namespace {

using namespace paketlog::tool;

// Every packet back to back, and where each begins (one more entry: the end).
struct Packets {
    std::vector<unsigned char> bytes;
    std::vector<std::size_t> starts{0};
    void add(const unsigned char* p, std::size_t n) {
        bytes.insert(bytes.end(), p, p + n);
        starts.push_back(bytes.size());
    }
    std::size_t count() const { return starts.size() - 1; }
};

bool load_hex(const char* path, Packets& packets) {
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    auto bytes = std::make_unique<PacketBytes>();
    while (std::getline(file, line)) {
        const HexScan scan = scan_hex_line(line, *bytes);
        if (scan.kind == HexScan::Kind::Packet) packets.add(bytes->data(), scan.size);
    }
    return true;
}

// Whole UDP datagrams only: the measured captures are not cut into IP pieces.
bool load_pcap(const char* path, Packets& packets) {
    CaptureReader capture;
    if (!capture.open(path)) return false;
    CaptureFrame frame;
    while (capture.next(frame) == CaptureReader::Next::Frame) {
        const UdpDatagram d = find_udp_payload(capture.link_type(), frame.data, frame.caplen);
        if (d.kind == UdpDatagram::Kind::Udp && d.size != 0) packets.add(d.payload, d.size);
    }
    return true;
}

double seconds_of(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

constexpr int kLineCapacity = 16384;

// Decodes packets [from, to) and returns the characters written.
unsigned long long decode_range(paketlog::Workspace& ws, char* line, Packets& packets, bool testcall,
                                std::size_t from, std::size_t to) {
    unsigned long long written = 0;
    for (std::size_t i = from; i < to; ++i) {
        unsigned char* p = packets.bytes.data() + packets.starts[i];
        const auto length = static_cast<unsigned short>(packets.starts[i + 1] - packets.starts[i]);
        line[0] = '\0';
        if (testcall)
            decode_paket_testcall(ws, line, kLineCapacity, p, length, true);
        else
            decode_paket(ws, line, kLineCapacity, p, length, 1, 0);
        written += std::strlen(line);
    }
    return written;
}

// One pass in `jobs` threads: batches of packet numbers, each decoded by a
// worker with its own workspace and line, written in order (only counted).
unsigned long long decode_jobs(unsigned jobs, Packets& packets, bool testcall) {
    constexpr std::size_t kPerBatch = 4096;
    std::vector<std::unique_ptr<paketlog::Workspace>> spaces;
    std::vector<std::unique_ptr<char[]>> lines;
    for (unsigned w = 0; w < jobs; ++w) {
        spaces.push_back(std::make_unique<paketlog::Workspace>());
        lines.push_back(std::make_unique<char[]>(kLineCapacity));
    }
    std::size_t next = 0;
    unsigned long long written = 0;
    decode_in_parallel(
        jobs,
        [&](Batch& b) {
            if (next == packets.count()) return false;
            b.first = next;
            next = std::min(packets.count(), next + kPerBatch);
            return true;
        },
        [&](unsigned w, Batch& b) {
            const std::size_t to = std::min(packets.count(), static_cast<std::size_t>(b.first) + kPerBatch);
            const unsigned long long n = decode_range(*spaces[w], lines[w].get(), packets, testcall, b.first, to);
            b.output.append(reinterpret_cast<const char*>(&n), sizeof n);
        },
        [&](const Batch& b) {
            unsigned long long n;
            std::memcpy(&n, b.output.data(), sizeof n);
            written += n;
        });
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    bool pcap = false;
    unsigned jobs = 0;  // 0: one thread, no engine
    int repeats = 3;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pcap") == 0) {
            pcap = true;
        } else if (std::strcmp(argv[i], "-j") == 0 && i + 1 < argc) {
            jobs = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc) {
            repeats = std::atoi(argv[++i]);
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (!path || repeats < 1) {
        std::fputs("usage: paketlog_decode_memory [--pcap] [-j JOBS] [-r REPEATS] FILE\n", stderr);
        return 2;
    }
    Packets packets;
    if (!(pcap ? load_pcap(path, packets) : load_hex(path, packets))) {
        std::fprintf(stderr, "paketlog_decode_memory: cannot read %s\n", path);
        return 1;
    }
    auto ws = std::make_unique<paketlog::Workspace>();
    auto line = std::make_unique<char[]>(kLineCapacity);
    std::printf("packets %zu\n", packets.count());
    for (bool testcall : {false, true}) {
        double best_cpu = 0, best_wall = 0;
        unsigned long long written = 0;
        for (int r = 0; r < repeats; ++r) {
            const double cpu0 = seconds_of(CLOCK_PROCESS_CPUTIME_ID), wall0 = seconds_of(CLOCK_MONOTONIC);
            written = jobs == 0 ? decode_range(*ws, line.get(), packets, testcall, 0, packets.count())
                                : decode_jobs(jobs, packets, testcall);
            const double cpu = seconds_of(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = seconds_of(CLOCK_MONOTONIC) - wall0;
            if (r == 0 || cpu < best_cpu) best_cpu = cpu;
            if (r == 0 || wall < best_wall) best_wall = wall;
        }
        std::printf("%s %.6f %.6f %llu\n", testcall ? "testcall" : "operator", best_cpu, best_wall, written);
    }
    return 0;
}
