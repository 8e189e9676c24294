#include "packet_line.h"

#include <algorithm>
#include <cstring>

namespace paketlog {
namespace tool {

std::string_view decode_packet_text(const Options& options, Workspace& ws, LineText& line, unsigned char* packet,
                                    std::size_t size) {
    // A decoder with nothing to do writes nothing, so only the first byte is emptied.
    line[0] = '\0';
    const unsigned short length = static_cast<unsigned short>(std::min<std::size_t>(size, 65535));
    if (options.testcall)
        decode_paket_testcall(ws, line.data(), static_cast<int>(line.size()), packet, length, options.incoming);
    else
        decode_paket(ws, line.data(), static_cast<int>(line.size()), packet, length, options.msg_type,
                     options.skip_type);
    return std::string_view(line.data(), ::strnlen(line.data(), line.size()));
}

}  // namespace tool
}  // namespace paketlog
