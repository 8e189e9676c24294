// The call list of the paketlog command (--calls), from the same call model:
// `tshark -z paketlog,calls[,FILTER]` prints its table, and
// `tshark -z paketlog,calls,json[,FILTER]` the command's JSON lines.
#ifndef PAKETLOG_WIRESHARK_STATS_CALLS_H
#define PAKETLOG_WIRESHARK_STATS_CALLS_H

namespace paketlog {
namespace ws {

// At registration, after the tap "paketlog".
void register_call_statistics();

}  // namespace ws
}  // namespace paketlog

#endif
