// libpcap (BPF) filter expressions, judged on whole datagrams.
#ifndef PAKETLOG_TOOLS_CAPTURE_BPF_FILTER_H
#define PAKETLOG_TOOLS_CAPTURE_BPF_FILTER_H

#include <cstddef>
#include <string>
#include <vector>

#include "capture/udp_payload.h"

struct bpf_insn;

namespace paketlog {
namespace tool {

// libpcap's compiler takes time growing faster than the expression (its
// optimizer most): a 95-term `or` of ports, 1 KiB, takes 0.1 s optimized,
// 4 KiB takes a second without the optimizer and minutes with it. So an
// expression is optimized up to kMaxOptimizedFilter characters, compiled
// as it is up to kMaxFilter, and refused past that.
constexpr std::size_t kMaxOptimizedFilter = 1024;
constexpr std::size_t kMaxFilter = 4096;
// Whether libpcap may optimize `expression`: the pcap_compile() argument.
int filter_optimization(const std::string& expression);

class BpfFilter {
public:
    BpfFilter() = default;
    ~BpfFilter();
    BpfFilter(const BpfFilter&) = delete;
    BpfFilter& operator=(const BpfFilter&) = delete;

    // Compiles `expression` for frames of link type `dlt`; on failure returns
    // libpcap's message, or says the expression is longer than kMaxFilter.
    // An empty expression keeps everything.
    std::string compile(int dlt, const std::string& expression);
    bool keeps(const unsigned char* frame, std::size_t caplen, std::size_t wirelen) const;

private:
    struct bpf_insn* code_ = nullptr;
    unsigned length_ = 0;
    bool all_ = true;
};

// The frame an unfragmented datagram would have been: the link header and IP
// header of one of its pieces (IPv4 options kept, IPv6 extension headers
// left out) in front of `udp` (its UDP header and payload, or as much of it
// as is known). Lengths and the IPv4 header checksum are set for it.
void whole_frame(const unsigned char* frame, const UdpDatagram& piece, const unsigned char* udp, std::size_t udp_size,
                 std::vector<unsigned char>& out);

}  // namespace tool
}  // namespace paketlog

#endif
