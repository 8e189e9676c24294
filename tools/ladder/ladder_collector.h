// Packets gathered into ladders: each packet kept as the arrow it will be
// (its label, line, endpoints and time), by seance, until the ladder of one
// seance, or of several linked ones, is asked for.
#ifndef PAKETLOG_TOOLS_LADDER_LADDER_COLLECTOR_H
#define PAKETLOG_TOOLS_LADDER_LADDER_COLLECTOR_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capture/capture_time.h"
#include "decode/options.h"
#include "ladder/ladder.h"
#include "ladder/packet_label.h"

namespace paketlog {
namespace tool {

// One packet as the collector is told it.
struct LadderPacket {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    const CaptureTime* time = nullptr;  // null: a hex trace's or a packet file's, which has none
    unsigned long number = 0;           // its number in the input: shown where it has no time
    std::string_view src, dst;          // "192.0.2.10.7700"; "" where the input has no addresses
    ArrowDirection direction = ArrowDirection::In;
    std::string_view line;              // as the command prints it, UTF-8, without the newline
};

// Where the input has no addresses, a packet goes between these two: from
// the switch when it is incoming ("<<"), to it when outgoing.
constexpr const char* kSwitchEndpoint = "switch";
constexpr const char* kPeerEndpoint = "peer";

class LadderCollector {
public:
    // The most packets kept: past them a packet is not drawn (and counted),
    // so that no input can take the memory.
    static constexpr std::size_t kDefaultMaxArrows = 65536;

    explicit LadderCollector(TimeFormat time, std::size_t max_arrows = kDefaultMaxArrows);

    // Keeps the packet's arrow; false when the collector is full or the
    // packet belongs to no call (too short, a module's report, an unlisted type).
    bool add(const LadderPacket& packet);

    // The ladder of the packets of `seances`, in input order, under the
    // seance asked for. Where it holds packets of more than one seance, each
    // label starts with its packet's seance.
    Ladder ladder(std::uint32_t asked, const std::vector<std::uint32_t>& seances) const;

    // Seances that have packets, in order of their first packet.
    const std::vector<std::uint32_t>& seances() const { return order_; }
    std::size_t kept() const { return kept_; }
    std::size_t dropped() const { return dropped_; }

private:
    struct Kept {
        std::uint64_t index = 0;  // in input order
        CaptureTime time;
        bool timed = false;
        unsigned long number = 0;
        std::string src, dst, sender_name;
        ArrowDirection direction = ArrowDirection::In;
        std::string label, line;
    };

    TimeFormat time_;
    std::size_t max_arrows_;
    PacketLabels labels_;
    std::unordered_map<std::uint32_t, std::vector<Kept>> by_seance_;
    std::vector<std::uint32_t> order_;
    std::uint64_t next_index_ = 0;
    std::size_t kept_ = 0;
    std::size_t dropped_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
