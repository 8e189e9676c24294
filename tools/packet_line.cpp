#include "packet_line.h"

#include <algorithm>
#include <cstring>

#include "paketlog.h"

namespace paketlog {
namespace tool {
namespace {

// Room for the longest line: the block text alone takes up to 12415 characters.
constexpr int kLineCapacity = 16384;

}  // namespace

std::string decode_packet_line(const Options& options, std::vector<unsigned char>& packet) {
    // One buffer for every packet, the tool decoding one at a time; a decoder
    // with nothing to do writes nothing, so only the first byte is emptied.
    static char line[kLineCapacity];
    line[0] = '\0';
    const unsigned short length = static_cast<unsigned short>(std::min<std::size_t>(packet.size(), 65535));
    if (options.testcall)
        decode_paket_testcall(line, kLineCapacity, packet.data(), length, options.incoming);
    else
        decode_paket(line, kLineCapacity, packet.data(), length, options.msg_type, options.skip_type);
    return std::string(line, ::strnlen(line, sizeof line));
}

}  // namespace tool
}  // namespace paketlog
