// What the command was asked to do: its options, as the command line gave them.
#ifndef PAKETLOG_TOOLS_DECODE_OPTIONS_H
#define PAKETLOG_TOOLS_DECODE_OPTIONS_H

#include <cstdint>
#include <string>
#include <vector>

namespace paketlog {
namespace tool {

// How the time before a line is shown (-t, --time=FORMAT).
enum class TimeFormat {
    None,   // no time
    Local,  // HH:MM:SS.ffffff in local time, as tcpdump
    Utc,    // HH:MM:SS.ffffffZ
    Date,   // YYYY-MM-DD HH:MM:SS.ffffff, local time
    Epoch,  // seconds since the epoch: 1709285400.000000
    Delta,  // since the previous packet shown: 0.250001
};

// Auto: a file whose first bytes are a capture's is read as one, anything
// else (standard input included) as a hex trace.
enum class InputFormat { Auto, Hex, Binary, Pcap };

// The most decoding threads -j takes.
constexpr long long kMaxJobs = 64;

// The columns --width takes.
constexpr long long kMinWidth = 20;
constexpr long long kMaxWidth = 1000;

struct Options {
    InputFormat input = InputFormat::Auto;
    bool testcall = false;
    bool incoming = true;
    unsigned char msg_type = 1;
    bool direction_given = false;  // --msg-type, --incoming or --outgoing: not taken from --port
    unsigned char skip_type = 0;
    int port = -1;  // -1: every UDP port
    std::vector<std::string> types;      // --type: codes or names, resolved by PacketFilter
    std::vector<unsigned long> seances;  // --seance
    std::string filter;                  // --filter: a libpcap expression
    std::string interface;               // -i: capture live there instead of reading files
    unsigned long count = 0;             // -c: stop after this many packets; 0: no limit
    unsigned jobs = 0;                   // -j: decoding threads; 0: default_jobs()
    bool line_buffered = false;          // -l
    bool hex_dump = false;               // -x
    TimeFormat time = TimeFormat::Local;
    bool stats = false;  // --stats
    bool quiet = false;  // -q: the summary alone
    bool raw = false;
    bool json = false;
    // Ladders.
    bool flow = false;              // --flow: draw the ladder of flow_seance
    unsigned long flow_seance = 0;
    bool ascii = false;             // --ascii: the ladder in plain ASCII
    unsigned width = 0;             // --width: the terminal's columns; 0: ask the terminal
    std::string svg;                // --svg FILE: the ladder as SVG there; "": none
    std::string html;               // --html FILE: the call list page there; "": none
    bool calls = false;             // --calls: the call list instead of packet lines
    bool csv = false;               // --csv: the call list as CSV
    std::int64_t follow = -1;       // --follow N: the seance followed; -1: none
    bool help = false;
    bool version = false;
    std::vector<std::string> files;  // empty: standard input
};

}  // namespace tool
}  // namespace paketlog

#endif
