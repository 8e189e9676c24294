// Packets by type and by direction: `tshark -z paketlog,types[,FILTER]`
// and Statistics › PAKETLOG › Packet types.
#ifndef PAKETLOG_WIRESHARK_STATS_TYPES_H
#define PAKETLOG_WIRESHARK_STATS_TYPES_H

namespace paketlog {
namespace ws {

// At registration, after the tap "paketlog".
void register_type_statistics();

}  // namespace ws
}  // namespace paketlog

#endif
