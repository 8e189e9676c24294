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
// the endpoint part cut to 63 first. Plain copies: one formatting call costs
// more than the whole text.
void write_rtp_text(const RTP_EXCH::sRTPExchParam& param, char* dst, std::size_t size) {
    char text[kRtpLabelLength + sizeof param.address + sizeof ":65535(rs)"];
    std::memcpy(text, kRtpLabel, kRtpLabelLength);
    std::size_t n = kRtpLabelLength;
    const std::size_t address = field_strlen(param.address, sizeof param.address);
    std::memcpy(text + n, param.address, address);
    n += address;
    text[n++] = ':';
    char digits[10];
    const std::size_t count = paketlog::detail::decimal_digits(digits, load_le16(&param.port));
    std::memcpy(text + n, digits, count);
    n += count;
    text[n++] = '(';
    text[n++] = param.recv_flag ? 'r' : '-';
    text[n++] = param.send_flag ? 's' : '-';
    text[n++] = ')';
    if (n > kRtpLabelLength + kEndpointBound - 1) n = kRtpLabelLength + kEndpointBound - 1;
    if (n > size - 1) n = size - 1;
    std::memcpy(dst, text, n);
    dst[n] = '\0';
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
