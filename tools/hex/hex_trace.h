// Hex traces: one packet per line, written as hex digits.
#ifndef PAKETLOG_TOOLS_HEX_HEX_TRACE_H
#define PAKETLOG_TOOLS_HEX_HEX_TRACE_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "decode/packet_shape.h"

namespace paketlog {
namespace tool {

// Room for the bytes of one line, owned by the caller and reused.
using PacketBytes = std::array<unsigned char, kMaxPacketLength>;

// What one line holds. Bytes are pairs of hex digits; blanks, ':' and '-' may
// stand between bytes, and every group may open with "0x". A '#' starts a
// comment that runs to the end of the line; a line holding nothing else is
// skipped. A trailing '\r' (a trace saved with CRLF) is ignored.
struct HexScan {
    enum class Kind { Skip, Packet, Error };
    enum class Fault { None, NonHex, OddDigits, TooLong, Empty };
    Kind kind = Kind::Skip;
    std::size_t size = 0;  // Kind::Packet: bytes written
    Fault fault = Fault::None;
    std::size_t column = 0;  // 1-based column of the fault (not for Fault::Empty)
    char bad = 0;            // Fault::NonHex: the character
};

// The usual trace line: whether `text` is nothing but hex digits, an even
// number of them and no more than kMaxPacketLength bytes' worth (on x86, at
// least sixteen). Then their bytes are at `out`; otherwise `out` holds
// anything and the line wants scan_hex_line()'s full reading. Many digits
// are read at a time; `wide` lets it use AVX2 where the processor has it,
// false keeps the build's baseline instructions.
bool plain_hex_digits(std::string_view text, unsigned char* out, bool wide = true);

// Bytes that plain_hex_line() may read past a line's end.
constexpr std::size_t kLineEndSlack = 32;

// The usual trace line found and read in one pass: the digits at `text` up
// to the first character that is no digit, which must be the line end
// '\n'. Then `length` is the line's (its end left out), its bytes are at
// `out` and the result is true. False (`out` holding anything) leaves the
// line to be cut at its end and read by scan_hex_line(): any other
// character, an odd number of digits, an empty line, more digits than the
// longest packet nearly takes, or a processor without AVX2. The bytes from
// `text` to the line end and kLineEndSlack bytes past it must be readable.
bool plain_hex_line(const char* text, std::size_t& length, unsigned char* out);

// Reads the bytes of `line` into `bytes` (the caller's; no allocation).
HexScan scan_hex_line(std::string_view line, PacketBytes& bytes);

// What is wrong with a line scanned as Kind::Error, with its column:
// "odd number of hex digits at column 4".
std::string hex_fault_text(const HexScan& scan);

// The same line as its own vector of bytes or error text.
struct HexLine {
    enum class Kind { Skip, Packet, Error };
    Kind kind = Kind::Skip;
    std::vector<unsigned char> bytes;  // Kind::Packet
    std::string error;                 // Kind::Error: what is wrong, with its column
};
HexLine parse_hex_line(std::string_view line);

}  // namespace tool
}  // namespace paketlog

#endif
