// The call list's memory does not grow with the calls: paketlog --calls reads
// a capture of short calls, ten packets each, from a pipe, once with 100,000
// calls and once with 400,000, and its peak resident memory (the child's
// getrusage) must be the same within a margin. A call that were kept after
// it ended would add at least a few hundred bytes: 300,000 of them, tens of
// megabytes.
//
//   calls_memory PAKETLOG
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr long kMarginKb = 4096;

void put16be(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}
void put32le(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// One Ethernet frame of the switch's link carrying `payload`: from the
// terminal 10.0.0.1.40000 to the switch 10.0.0.2.7700, or back.
std::vector<unsigned char> frame(const std::vector<unsigned char>& payload, bool to_switch) {
    std::vector<unsigned char> f(14 + 20 + 8 + payload.size(), 0);
    f[12] = 0x08;
    unsigned char* ip = f.data() + 14;
    ip[0] = 0x45;
    put16be(ip + 2, static_cast<unsigned>(20 + 8 + payload.size()));
    ip[8] = 64;
    ip[9] = 17;
    const unsigned char terminal[4] = {10, 0, 0, 1}, sw[4] = {10, 0, 0, 2};
    std::memcpy(ip + 12, to_switch ? terminal : sw, 4);
    std::memcpy(ip + 16, to_switch ? sw : terminal, 4);
    unsigned sum = 0;
    for (int i = 0; i < 20; i += 2) sum += static_cast<unsigned>(ip[i] << 8 | ip[i + 1]);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    put16be(ip + 10, ~sum & 0xFFFF);
    unsigned char* udp = ip + 20;
    put16be(udp, to_switch ? 40000 : 7700);
    put16be(udp + 2, to_switch ? 7700 : 40000);
    put16be(udp + 4, static_cast<unsigned>(8 + payload.size()));
    std::memcpy(udp + 8, payload.data(), payload.size());
    return f;
}

std::vector<unsigned char> packet(unsigned char type, std::size_t size, unsigned char control = 0) {
    std::vector<unsigned char> p(size, 0);
    p[2] = type;
    if (type == 130) p[10] = control;
    return p;
}

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size != 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Peak resident memory (KB) of paketlog --calls over `calls` calls; -1 on failure.
long peak_kb(const char* paketlog, std::uint32_t calls) {
    int in[2];
    if (::pipe(in) != 0) return -1;
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        ::dup2(in[0], 0);
        ::close(in[0]);
        ::close(in[1]);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::execl(paketlog, paketlog, "--port", "7700", "--calls", "--json", "-r", "-", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    // The call: DIALNUMBER, eight CONTROLs, and the release.
    struct Step {
        std::vector<unsigned char> bytes;
    };
    std::vector<Step> steps;
    steps.push_back({frame(packet(129, 69), true)});
    for (int i = 0; i < 8; ++i) steps.push_back({frame(packet(130, 20, 33), false)});
    steps.push_back({frame(packet(130, 20, 1), false)});
    const std::size_t seance_at = 14 + 20 + 8 + 6;
    std::vector<unsigned char> out;
    const unsigned char head[24] = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 1, 0, 0, 0};
    out.insert(out.end(), head, head + sizeof head);
    std::uint64_t ms = 0;
    bool ok = true;
    for (std::uint32_t call = 0; call < calls && ok; ++call) {
        for (Step& s : steps) {
            put32le(s.bytes.data() + seance_at, 1000 + call);
            unsigned char record[16];
            put32le(record, static_cast<std::uint32_t>(1709285400 + ms / 1000));
            put32le(record + 4, static_cast<std::uint32_t>(ms % 1000 * 1000));
            put32le(record + 8, static_cast<std::uint32_t>(s.bytes.size()));
            put32le(record + 12, static_cast<std::uint32_t>(s.bytes.size()));
            out.insert(out.end(), record, record + 16);
            out.insert(out.end(), s.bytes.begin(), s.bytes.end());
            ++ms;
        }
        if (out.size() > (1u << 20)) {
            ok = write_all(in[1], out.data(), out.size());
            out.clear();
        }
    }
    if (ok) ok = write_all(in[1], out.data(), out.size());
    ::close(in[1]);
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child || !ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: calls_memory PAKETLOG\n");
        return 2;
    }
    const long small = peak_kb(argv[1], 100000);
    const long large = peak_kb(argv[1], 400000);
    std::printf("peak resident memory: %ld KB for 100,000 calls (1 M packets), %ld KB for 400,000 (4 M packets)\n",
                small, large);
    if (small < 0 || large < 0) {
        std::printf("paketlog failed\n");
        return 1;
    }
    if (large > small + kMarginKb) {
        std::printf("memory grows with the calls: %ld KB more, past the margin of %ld KB\n", large - small, kMarginKb);
        return 1;
    }
    return 0;
}
