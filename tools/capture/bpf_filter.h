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

class BpfFilter {
public:
    BpfFilter() = default;
    ~BpfFilter();
    BpfFilter(const BpfFilter&) = delete;
    BpfFilter& operator=(const BpfFilter&) = delete;

    // Compiles `expression` for frames of link type `dlt`; on failure returns
    // libpcap's message. An empty expression keeps everything.
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
