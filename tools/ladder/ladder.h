// A call drawn as a ladder: its endpoints side by side, one arrow per packet
// from the endpoint that sent it to the one that received it. The drawings
// (terminal text, SVG, the HTML page) take this and nothing else, so they can
// be tried on ladders made by hand.
#ifndef PAKETLOG_TOOLS_LADDER_LADDER_H
#define PAKETLOG_TOOLS_LADDER_LADDER_H

#include <cstddef>
#include <string>
#include <vector>

namespace paketlog {
namespace tool {

struct LadderEndpoint {
    std::string address;  // "192.0.2.10.7700", as the lines write it
    std::string name;     // what the packets' parameters call it, UTF-8; "" when they do not
};

// In: from the switch's port (the line's "<<"); out: to it.
enum class ArrowDirection { In, Out };

struct LadderArrow {
    std::string time;       // as --time writes it; "" with --time=none
    std::size_t from = 0;   // index into Ladder::endpoints
    std::size_t to = 0;
    std::string label;      // the packet's name and key field: "DIALNUMBER 2015"
    std::string line;       // the packet's whole line, as the command prints it
    ArrowDirection direction = ArrowDirection::In;
    unsigned long seance = 0;
};

struct Ladder {
    unsigned long seance = 0;  // the seance asked for
    std::vector<LadderEndpoint> endpoints;
    std::vector<LadderArrow> arrows;  // in capture order
};

}  // namespace tool
}  // namespace paketlog

#endif
