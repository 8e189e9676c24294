// The floor of a decoder case: the decoder's last step alone. Every argument
// of the line (header, numbers, descriptors, cause, RTP text, block text) is
// rendered once beforehand; the floor is the one snprintf with the type's own
// line format that writes the finished line.
#ifndef PAKETLOG_BENCH_FLOOR_LINES_H
#define PAKETLOG_BENCH_FLOOR_LINES_H

#include <string>

#include "samples.h"

namespace bench {

struct LineArgs {
    std::string header;
    std::string called, called_kind, calling, calling_kind;
    std::string control, cause, rtp, connect_type, connect_source;
    std::string block;
    unsigned small = 0;  // digit, session count
    unsigned count = 0;  // the block's count byte
    unsigned seance = 0;
    unsigned category_called = 0, category_calling = 0;
    unsigned first = 0, second = 0;  // u32 fields in line order (ids, seances, params)
    unsigned param = 0;              // the type's trailing u32 parameter
    unsigned long long user_param = 0;
};

using LineWriter = int (*)(char* dst, int size, const LineArgs& args);

struct FloorLine {
    LineWriter write = nullptr;
    LineArgs args;
    int operator()(char* dst, int size) const { return write(dst, size, args); }
};

// The operator line of `sample` as decode_paket(dst, size, packet, length,
// msg_type, skip_type) writes it.
FloorLine operator_floor(const Sample& sample, unsigned char msg_type, unsigned char skip_type);
// The test-call line as the length-aware decode_paket_testcall writes it.
FloorLine testcall_floor(const Sample& sample, bool incoming);

// What the interface asks of a block of full_block()'s parameters and no
// more: one host-formatter call per parameter and one per dumped byte, with
// the RTP, number and descriptor texts rendered beforehand, written back to
// back. Against the one-snprintf floor it shows how much of a full-block case
// the library cannot avoid.
struct BlockCalls {
    bool with_endpoint_a = true;  // the test-call line leaves type 160 out
    std::string rtp, number, kind;
    int operator()(char* dst, int size) const;
};
BlockCalls full_block_calls(bool with_endpoint_a);

}  // namespace bench

#endif
