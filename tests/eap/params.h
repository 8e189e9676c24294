// Builders for additional parameters and blocks, shared by the eap tests.
#ifndef PAKETLOG_TESTS_EAP_PARAMS_H
#define PAKETLOG_TESTS_EAP_PARAMS_H

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "paketlog.h"

namespace eap_test {

using Bytes = std::vector<unsigned char>;

// Header (type, an uninterpreted byte, u16 length), then the value.
inline Bytes param(unsigned char type, const Bytes& value, unsigned length) {
    Bytes p = {type, 0x5A, static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8)};
    p.insert(p.end(), value.begin(), value.end());
    return p;
}
inline Bytes param(unsigned char type, const Bytes& value) { return param(type, value, unsigned(value.size())); }
inline Bytes text(unsigned char type, const std::string& s) {  // with its NUL
    return param(type, Bytes(s.c_str(), s.c_str() + s.size() + 1));
}
// RTP_PARAM: u32 ID, u16 Dstn 0, then the 149-byte RTP record (port 0, flags clear).
inline Bytes rtp(unsigned char id, const std::string& address) {
    Bytes v(6 + 149);
    v[0] = id;
    std::copy(address.begin(), address.end(), v.begin() + 6 + 17);
    return param(168, v);
}
inline _PD_ADD_PARAM_HEADER* header(const unsigned char* p) {
    return reinterpret_cast<_PD_ADD_PARAM_HEADER*>(const_cast<unsigned char*>(p));
}

// A packet whose block starts at offset 10 (as in types 208-210).
struct Block {
    Bytes bytes = Bytes(11, 0);
    Block(std::initializer_list<Bytes> params = {}) {
        for (const Bytes& p : params) add(p);
    }
    Block& add(const Bytes& p) {
        bytes.insert(bytes.end(), p.begin(), p.end());
        ++bytes[10];
        return *this;
    }
    std::string decode() { return decode_eap(bytes.data(), 10, 0); }
    std::string decode_within(std::size_t length) {
        return decode_eap(bytes.data(), static_cast<unsigned short>(length), 10, 0);
    }
};

// Calls f with a copy of `bytes` that ends right before an unreadable page.
template <typename F>
void at_end(const Bytes& bytes, F&& f) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t span = (bytes.size() + page - 1) / page * page + page;
    void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::runtime_error("mmap");
    unsigned char* guard = static_cast<unsigned char*>(m) + span - page;
    mprotect(guard, page, PROT_NONE);
    f(std::copy(bytes.begin(), bytes.end(), guard - bytes.size()) - bytes.size());
    munmap(m, span);
}

}  // namespace eap_test

#endif
