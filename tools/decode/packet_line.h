// One packet through the library's decoders.
#ifndef PAKETLOG_TOOLS_DECODE_PACKET_LINE_H
#define PAKETLOG_TOOLS_DECODE_PACKET_LINE_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "decode/options.h"
#include "paketlog.h"

namespace paketlog {
namespace tool {

// Room for the longest line: the block text alone takes up to 12415 characters.
constexpr std::size_t kLineCapacity = 16384;
// Bytes past the room that the UTF-8 step may read (Cp1251ToUtf8::PaddedText):
// the array is zeroed when made, so they are always set.
constexpr std::size_t kLineSlack = 32;
using LineText = std::array<char, kLineCapacity + kLineSlack>;

// The line the options ask for, as the library wrote it (8-bit text), in the
// caller's `line`, through the re-entrant decoders with the caller's
// workspace: one workspace and one line per thread. `packet` holds `size`
// bytes, 1 to 65535; the decoders get its length and read no byte past it.
// Inline: it runs once a packet, and a call of its own costs more than it does.
inline std::string_view decode_packet_text(const Options& options, Workspace& ws, LineText& line,
                                           unsigned char* packet, std::size_t size) {
    // A decoder with nothing to do writes nothing, so only the first byte is emptied.
    line[0] = '\0';
    const unsigned short length = static_cast<unsigned short>(std::min<std::size_t>(size, 65535));
    if (options.testcall)
        decode_paket_testcall(ws, line.data(), static_cast<int>(kLineCapacity), packet, length, options.incoming);
    else
        decode_paket(ws, line.data(), static_cast<int>(kLineCapacity), packet, length, options.msg_type,
                     options.skip_type);
    return std::string_view(line.data(), ::strnlen(line.data(), kLineCapacity));
}

}  // namespace tool
}  // namespace paketlog

#endif
