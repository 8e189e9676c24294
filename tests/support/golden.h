// The golden corpus (tests/data/golden/corpus.txt, format in its README.md):
// packets with the exact lines both decoders give for them.
#ifndef PAKETLOG_TESTS_GOLDEN_H
#define PAKETLOG_TESTS_GOLDEN_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "paketlog.h"

namespace testing_support {

struct GoldenEntry {
    std::string name;
    std::vector<unsigned char> packet;  // the whole packet; its size is the length
    unsigned char msg_type = 0, skip_type = 0;
    std::string op, tc_in, tc_out;  // expected lines, exact bytes (Windows-1251)
};

// Throws std::runtime_error naming the file and line on malformed input.
std::vector<GoldenEntry> read_golden(const std::string& path);

// The types of the parameters a decoder visits in the packet's block (at most
// twelve); in `end` the first byte past the last of them (0 without a block).
std::vector<unsigned char> visited_params(const std::vector<unsigned char>& packet, std::size_t* end = nullptr);

// The first `size` bytes alone in a heap allocation of exactly that size, so
// that a read past them leaves the allocation (AddressSanitizer, valgrind).
struct ExactPacket {
    explicit ExactPacket(const std::vector<unsigned char>& bytes, std::size_t size = 65535)
        : length(static_cast<unsigned short>(std::min(size, bytes.size()))), data(new unsigned char[length]) {
        std::memcpy(data.get(), bytes.data(), length);
    }
    unsigned char* get() const { return data.get(); }
    unsigned short length;
    std::unique_ptr<unsigned char[]> data;
};

// The six decoder forms: decode_paket (0, 1), decode_paket_testcall given the
// length (2, 3) and trusting the packet (4, 5); odd forms through `ws`.
constexpr int kForms = 6;
inline char* decode_form(int form, paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                         unsigned short length, const GoldenEntry& e, bool incoming = true) {
    switch (form) {
    case 0: return decode_paket(dst, size, packet, length, e.msg_type, e.skip_type);
    case 1: return decode_paket(ws, dst, size, packet, length, e.msg_type, e.skip_type);
    case 2: return decode_paket_testcall(dst, size, packet, length, incoming);
    case 3: return decode_paket_testcall(ws, dst, size, packet, length, incoming);
    case 4: return decode_paket_testcall(dst, size, packet, incoming);
    default: return decode_paket_testcall(ws, dst, size, packet, incoming);
    }
}
// The corpus line of a form, and the offset its result points at.
inline const std::string& form_line(int form, const GoldenEntry& e, bool incoming = true) {
    return form < 2 ? e.op : incoming ? e.tc_in : e.tc_out;
}
inline std::size_t form_result(int form, const GoldenEntry& e) {
    return form < 2 ? std::strlen(get_msg_type_logdb(e.msg_type)) + 1 : 10;
}

#ifdef PAKETLOG_TEST_DATA
inline const std::vector<GoldenEntry>& golden_corpus() {  // read once
    static const std::vector<GoldenEntry> entries = read_golden(PAKETLOG_TEST_DATA "/golden/corpus.txt");
    return entries;
}
#endif

}  // namespace testing_support

#endif
