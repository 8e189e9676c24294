// IPv4 addresses and RTP exchange records.
#include <cstdio>
#include <cstring>

#include "workspace.h"

using paketlog::detail::field_strlen;
using paketlog::detail::load_le16;

char* ip2str(paketlog::Workspace& ws, unsigned int addr, char* dst, unsigned short size) {
    char* out = ws.ip_text;
    std::size_t limit = sizeof ws.ip_text;
    if (dst != nullptr && size != 0) {
        out = dst;
        limit = size;
        std::memset(dst, 0, size);
    }
    std::snprintf(out, limit, "%u.%u.%u.%u", addr & 0xFFu, (addr >> 8) & 0xFFu, (addr >> 16) & 0xFFu, addr >> 24);
    return out;
}

char* ip2str(unsigned int addr, char* dst, unsigned short size) {
    return ip2str(paketlog::detail::g_workspace, addr, dst, size);
}

namespace {
constexpr char kRtpLabel[] = "IP:Port=";
constexpr std::size_t kRtpLabelLength = sizeof kRtpLabel - 1;
constexpr std::size_t kEndpointBound = 64;  // "<address>:<port>(<r><s>)" shows at most 63 characters

// "IP:Port=<address>:<port>(<r><s>)" cut to size - 1 characters (size >= 1),
// the endpoint part cut to 63 first: the label is copied and the endpoint
// formatted in place behind it.
void write_rtp_text(const RTP_EXCH::sRTPExchParam& param, char* dst, std::size_t size) {
    if (size <= kRtpLabelLength) {
        std::memcpy(dst, kRtpLabel, size - 1);
        dst[size - 1] = '\0';
        return;
    }
    std::memcpy(dst, kRtpLabel, kRtpLabelLength);
    const std::size_t room = size - kRtpLabelLength;
    std::snprintf(dst + kRtpLabelLength, room < kEndpointBound ? room : kEndpointBound, "%.*s:%u(%s%s)",
                  static_cast<int>(field_strlen(param.address, sizeof param.address)), param.address,
                  unsigned{load_le16(&param.port)}, param.recv_flag ? "r" : "-", param.send_flag ? "s" : "-");
}
}  // namespace

char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param, char* dst, unsigned short size) {
    if (dst == nullptr || size == 0) return dst;
    std::memset(dst, 0, size);
    write_rtp_text(param, dst, size);
    return dst;
}

// The library's own text: only the written bytes matter, so it is not cleared first.
char* rtp_exch_param2str(paketlog::Workspace& ws, const RTP_EXCH::sRTPExchParam& param) {
    write_rtp_text(param, ws.rtp_text, sizeof ws.rtp_text);
    return ws.rtp_text;
}

char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param) {
    return rtp_exch_param2str(paketlog::detail::g_workspace, param);
}
