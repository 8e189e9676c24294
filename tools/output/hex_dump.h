// Packet bytes in hex under a line (-x) and in JSON.
#ifndef PAKETLOG_TOOLS_OUTPUT_HEX_DUMP_H
#define PAKETLOG_TOOLS_OUTPUT_HEX_DUMP_H

#include <cstddef>
#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

// tcpdump's -x layout: lines of 16 bytes in groups of two, each line opening
// with a tab and the offset ("\t0x0010:  0100 0000 ..."), each ended by '\n'.
void append_hex_lines(TextBuffer& out, const unsigned char* data, std::size_t size);

// The bytes as one run of lower-case hex digits.
void append_hex_digits(TextBuffer& out, const unsigned char* data, std::size_t size);

}  // namespace tool
}  // namespace paketlog

#endif
