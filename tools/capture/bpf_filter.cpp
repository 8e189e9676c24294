#include "capture/bpf_filter.h"

#include <pcap/pcap.h>

namespace paketlog {
namespace tool {

BpfFilter::~BpfFilter() {
    if (code_ != nullptr) {
        bpf_program program{length_, code_};
        pcap_freecode(&program);
    }
}

int filter_optimization(const std::string& expression) { return expression.size() <= kMaxOptimizedFilter ? 1 : 0; }

std::string BpfFilter::compile(int dlt, const std::string& expression) {
    all_ = expression.empty();
    if (all_) return "";
    if (expression.size() > kMaxFilter) return "expression longer than " + std::to_string(kMaxFilter) + " characters";
    pcap_t* dead = pcap_open_dead(dlt, 262144);
    if (dead == nullptr) return "cannot compile a filter for link type " + std::to_string(dlt);
    bpf_program program{};
    std::string error;
    if (pcap_compile(dead, &program, expression.c_str(), filter_optimization(expression), PCAP_NETMASK_UNKNOWN) != 0) {
        error = pcap_geterr(dead);
    } else {
        if (code_ != nullptr) {
            bpf_program old{length_, code_};
            pcap_freecode(&old);
        }
        code_ = program.bf_insns;
        length_ = program.bf_len;
    }
    pcap_close(dead);
    return error;
}

bool BpfFilter::keeps(const unsigned char* frame, std::size_t caplen, std::size_t wirelen) const {
    if (all_) return true;
    return bpf_filter(code_, frame, static_cast<u_int>(wirelen), static_cast<u_int>(caplen)) != 0;
}

void whole_frame(const unsigned char* frame, const UdpDatagram& piece, const unsigned char* udp, std::size_t udp_size,
                 std::vector<unsigned char>& out) {
    const unsigned char* ip = piece.ip;
    const bool v4 = piece.address.version == 4;
    const std::size_t ip_header = ip_header_size(piece);
    out.assign(frame, ip + ip_header);
    out.insert(out.end(), udp, udp + udp_size);
    unsigned char* h = out.data() + (ip - frame);
    if (v4) {
        const std::size_t total = ip_header + udp_size;
        h[2] = static_cast<unsigned char>(total >> 8);
        h[3] = static_cast<unsigned char>(total);
        h[6] = h[7] = 0;  // no more pieces, offset 0
        h[10] = h[11] = 0;
        unsigned long sum = 0;
        for (std::size_t i = 0; i < ip_header; i += 2) sum += static_cast<unsigned long>(h[i] << 8 | h[i + 1]);
        while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
        h[10] = static_cast<unsigned char>(~sum >> 8);
        h[11] = static_cast<unsigned char>(~sum);
    } else {
        h[4] = static_cast<unsigned char>(udp_size >> 8);
        h[5] = static_cast<unsigned char>(udp_size);
        h[6] = 17;  // UDP right behind the fixed header
    }
}

}  // namespace tool
}  // namespace paketlog
