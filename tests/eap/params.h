// Builders for additional parameters and whole blocks, shared by the eap tests.
#ifndef PAKETLOG_TESTS_EAP_PARAMS_H
#define PAKETLOG_TESTS_EAP_PARAMS_H

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <initializer_list>
#include <string>
#include <vector>

#include "bytes.h"
#include "paketlog.h"

namespace eap_test {

using Bytes = std::vector<unsigned char>;

// Header (type, an uninterpreted byte, u16 length) followed by the value.
inline Bytes param(unsigned char type, const Bytes& value, unsigned length) {
    Bytes p = {type, 0x5A};
    testing_support::put16(p, 2, length);
    p.insert(p.end(), value.begin(), value.end());
    return p;
}
inline Bytes param(unsigned char type, const Bytes& value) {
    return param(type, value, static_cast<unsigned>(value.size()));
}
// A NUL-terminated text value.
inline Bytes text(unsigned char type, const std::string& s) {
    Bytes v(s.begin(), s.end());
    v.push_back(0);
    return param(type, v);
}
inline Bytes u32s(std::initializer_list<unsigned> words) {
    Bytes v;
    for (unsigned w : words) testing_support::put32(v, v.size(), w);
    return v;
}

// RTP_PARAM value: u32 ID, u16 Dstn, then the 149-byte RTP record.
inline Bytes rtp(unsigned id, unsigned dstn, const std::string& address, unsigned port, unsigned char send,
                 unsigned char recv) {
    Bytes v = u32s({id});
    testing_support::put16(v, 4, dstn);
    v.resize(6 + 149);
    std::copy(address.begin(), address.end(), v.begin() + 6 + 17);
    testing_support::put16(v, 6 + 145, port);
    v[6 + 147] = send;
    v[6 + 148] = recv;
    return param(168, v);
}

// HIDE_PARAM value: a 27-byte number record.
inline Bytes hide(const Bytes& descriptor, unsigned char category, const Bytes& digits) {
    Bytes v = descriptor;
    v.push_back(category);
    v.push_back(3);  // complete number; the parameter shows no suffix anyway
    v.push_back(static_cast<unsigned char>(digits.size()));
    v.insert(v.end(), digits.begin(), digits.end());
    v.resize(27);
    return param(175, v);
}

// VIDEO_PARAM value: two codec entries, address, port; the second entry empty.
inline Bytes video(const std::string& address, unsigned port, unsigned char payload, const std::string& codec) {
    Bytes v(326);
    v[0] = payload;
    std::copy(codec.begin(), codec.end(), v.begin() + 2);
    v[102 + 1] = 255;
    std::copy(address.begin(), address.end(), v.begin() + 204);
    testing_support::put16(v, 324, port);
    return param(174, v);
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
    std::string decode(unsigned char skip = 0) { return decode_eap(bytes.data(), 10, skip); }
    std::string decode_within(unsigned short length, unsigned char skip = 0) {
        return decode_eap(bytes.data(), length, 10, skip);
    }
};

// Calls f with a copy of `bytes` that ends exactly where its memory ends:
// once at the end of a heap block of that size (ASan and valgrind see a read
// past it), once right before an unreadable page (a read past it faults).
template <typename F>
void at_end(const Bytes& bytes, F&& f) {
    std::unique_ptr<unsigned char[]> heap(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), heap.get());
    f(heap.get());

    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t span = (bytes.size() + page - 1) / page * page + page;
    void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::runtime_error("mmap");
    unsigned char* guard = static_cast<unsigned char*>(m) + span - page;
    mprotect(guard, page, PROT_NONE);
    std::copy(bytes.begin(), bytes.end(), guard - bytes.size());
    f(guard - bytes.size());
    munmap(m, span);
}

}  // namespace eap_test

#endif
