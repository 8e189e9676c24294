// Packets and additional parameters for the benchmarks, built byte by byte.
#ifndef PAKETLOG_BENCH_SAMPLES_H
#define PAKETLOG_BENCH_SAMPLES_H

#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<unsigned char>;

// One additional parameter: its 4-byte header and its value.
Bytes param(unsigned char type, const Bytes& value);
Bytes text_value(const std::string& text);  // the text and its NUL
Bytes u8_value(unsigned value);
Bytes u32_value(unsigned value);
Bytes number_record(const std::string& digits, unsigned category, unsigned property);
Bytes rtp_record(const std::string& address, unsigned port, bool send, bool recv);
Bytes rtp_param_value(unsigned id, unsigned dstn);
Bytes video_record();

// A typical parameter of every known type 160-180, in code order, and one of
// an unknown type at the end.
struct NamedParam {
    std::string name;
    Bytes bytes;
};
std::vector<NamedParam> one_param_of_each_type();

// A block: its count byte and the parameters back to back.
Bytes block(const std::vector<Bytes>& params);
Bytes empty_block();
// Twelve parameters of the usual kinds: endpoints, names, button, priority,
// RTP, call id, camera, a short binary value, a hidden number, endpoint type.
Bytes full_block();

struct ListedType {
    const char* name;  // DIALDIGIT, ...
    unsigned char type;
};
const std::vector<ListedType>& listed_types();

// A packet of `type` with typical fields and the given block at the type's
// own offset; a type without a block (211, an unlisted one) carries it as
// trailing bytes from offset 10 on.
Bytes packet(unsigned char type, const Bytes& block);

// The fourteen listed packet types, each with the given block.
struct Sample {
    std::string name;  // DIALDIGIT, ...
    unsigned char type;
    Bytes bytes;
};
std::vector<Sample> listed_packets(const Bytes& block);

}  // namespace bench

#endif
