// One packet through the library's decoders.
#ifndef PAKETLOG_TOOLS_PACKET_LINE_H
#define PAKETLOG_TOOLS_PACKET_LINE_H

#include <string>
#include <vector>

#include "options.h"

namespace paketlog {
namespace tool {

// The line the options ask for, as the library wrote it (8-bit text).
// `packet` holds 1 to 65535 bytes; the decoders get its length and read no
// byte past it.
std::string decode_packet_line(const Options& options, std::vector<unsigned char>& packet);

}  // namespace tool
}  // namespace paketlog

#endif
