#include "endpoint_text.h"

#include <arpa/inet.h>

#include <cstring>

namespace paketlog {
namespace tool {
namespace {

std::size_t write_port(unsigned port, char* out) {
    char digits[5];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + port % 10);
        port /= 10;
    } while (port != 0);
    for (std::size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    return n;
}

}  // namespace

std::size_t write_address(const UdpDatagram::Addresses& a, bool source, char* out) {
    char text[kAddressTextSize];
    const unsigned char* bytes = source ? a.src.data() : a.dst.data();
    if (inet_ntop(a.version == 4 ? AF_INET : AF_INET6, bytes, text, sizeof text) == nullptr) text[0] = '\0';
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

std::size_t write_endpoints(const UdpDatagram& d, char* out) {
    char* p = out;
    p += write_address(d.address, true, p);
    *p++ = '.';
    p += write_port(d.src_port, p);
    std::memcpy(p, " > ", 3);
    p += 3;
    p += write_address(d.address, false, p);
    *p++ = '.';
    p += write_port(d.dst_port, p);
    *p++ = ':';
    return static_cast<std::size_t>(p - out);
}

}  // namespace tool
}  // namespace paketlog
