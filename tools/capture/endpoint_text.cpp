#include "capture/endpoint_text.h"

#include <arpa/inet.h>

#include <array>
#include <cstring>

#include "text/decimal_text.h"

namespace paketlog {
namespace tool {
namespace {

// The decimal digits of every byte, in the first bytes of a word, and their count.
struct ByteDigits {
    char text[4];
    unsigned char size;
};
constexpr std::array<ByteDigits, 256> kByteDigits = [] {
    std::array<ByteDigits, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        ByteDigits& d = table[b];
        if (b >= 100) d.text[d.size++] = static_cast<char>('0' + b / 100);
        if (b >= 10) d.text[d.size++] = static_cast<char>('0' + b / 10 % 10);
        d.text[d.size++] = static_cast<char>('0' + b % 10);
    }
    return table;
}();

char* put_byte(char* out, unsigned char b) {
    std::memcpy(out, kByteDigits[b].text, sizeof kByteDigits[b].text);
    return out + kByteDigits[b].size;
}

// "192.0.2.10": what inet_ntop writes, without its trip through sprintf.
std::size_t write_ipv4(const unsigned char* bytes, char* out) {
    char* p = put_byte(out, bytes[0]);
    for (int i = 1; i < 4; ++i) {
        *p++ = '.';
        p = put_byte(p, bytes[i]);
    }
    return static_cast<std::size_t>(p - out);
}

}  // namespace

std::size_t write_address(const UdpDatagram::Addresses& a, bool source, char* out) {
    char text[kAddressTextSize];
    const unsigned char* bytes = source ? a.src.data() : a.dst.data();
    if (a.version == 4) return write_ipv4(bytes, out);
    if (inet_ntop(AF_INET6, bytes, text, sizeof text) == nullptr) text[0] = '\0';
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

std::size_t write_endpoints(const UdpDatagram& d, char* out) {
    return write_endpoints(d.address, d.src_port, d.dst_port, out);
}

std::size_t write_endpoints(const UdpDatagram::Addresses& a, unsigned src_port, unsigned dst_port, char* out) {
    char* p = out;
    p += write_address(a, true, p);
    *p++ = '.';
    p = put_decimal(p, src_port);
    std::memcpy(p, " > ", 3);
    p += 3;
    p += write_address(a, false, p);
    *p++ = '.';
    p = put_decimal(p, dst_port);
    *p++ = ':';
    return static_cast<std::size_t>(p - out);
}

}  // namespace tool
}  // namespace paketlog
