// --type and --seance: which packets the command shows.
#ifndef PAKETLOG_TOOLS_DECODE_PACKET_FILTER_H
#define PAKETLOG_TOOLS_DECODE_PACKET_FILTER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decode/options.h"

namespace paketlog {
namespace tool {

// The packet-type name as the line prints it, without its padding: operator
// wording ("DIALDIGIT"), or the test-call name (Windows-1251); "" for an
// unlisted type.
std::string packet_type_name(int type, bool testcall);

// Every listed type, one a line: its code in decimal and hex, its operator
// name and its test-call name (UTF-8), for --type list.
std::string packet_type_list();

// The seance a packet's header carries, or -1 when the packet is too short
// to hold it.
std::int64_t packet_seance(const unsigned char* packet, std::size_t length);

class PacketFilter {
public:
    // Takes the options' --type values (codes, or names in either wording,
    // case ignored) and --seance values; returns what is wrong, or "".
    std::string set(const Options& options);

    // Whether the packet is one to show. A packet too short to hold a field
    // asked for is not, unless `part` says the bytes are only the start of a
    // datagram that never came together: then only the fields present count.
    bool keeps(const unsigned char* packet, std::size_t length, bool part = false) const {
        return (types_.empty() && seances_.empty()) || keeps_asked(packet, length, part);
    }

private:
    bool keeps_asked(const unsigned char* packet, std::size_t length, bool part) const;

    std::vector<int> types_;
    std::vector<std::uint32_t> seances_;
};

}  // namespace tool
}  // namespace paketlog

#endif
