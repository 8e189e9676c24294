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

char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param, char* dst, unsigned short size) {
    if (dst == nullptr || size == 0) return dst;
    std::memset(dst, 0, size);
    char endpoint[64];
    std::snprintf(endpoint, sizeof endpoint, "%.*s:%u(%s%s)",
                  static_cast<int>(field_strlen(param.address, sizeof param.address)), param.address,
                  unsigned{load_le16(&param.port)}, param.recv_flag ? "r" : "-", param.send_flag ? "s" : "-");
    std::snprintf(dst, size, "IP:Port=%s", endpoint);
    return dst;
}

char* rtp_exch_param2str(paketlog::Workspace& ws, const RTP_EXCH::sRTPExchParam& param) {
    return rtp_exch_param2str(param, ws.rtp_text, sizeof ws.rtp_text);
}

char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param) {
    return rtp_exch_param2str(paketlog::detail::g_workspace, param);
}
