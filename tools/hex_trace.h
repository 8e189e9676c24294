// Hex traces: one packet per line, written as hex digits.
#ifndef PAKETLOG_TOOLS_HEX_TRACE_H
#define PAKETLOG_TOOLS_HEX_TRACE_H

#include <string>
#include <string_view>
#include <vector>

namespace paketlog {
namespace tool {

// The largest packet the decoders take: its length travels as an unsigned short.
constexpr std::size_t kMaxPacketLength = 65535;

struct HexLine {
    enum class Kind { Skip, Packet, Error };
    Kind kind = Kind::Skip;
    std::vector<unsigned char> bytes;  // Kind::Packet
    std::string error;                 // Kind::Error: what is wrong, with its column
};

// One line of a trace. Bytes are pairs of hex digits; blanks, ':' and '-'
// may stand between bytes, and every group may open with "0x". A '#' starts
// a comment that runs to the end of the line; a line holding nothing else
// is skipped. A trailing '\r' (a trace saved with CRLF) is ignored.
HexLine parse_hex_line(std::string_view line);

}  // namespace tool
}  // namespace paketlog

#endif
