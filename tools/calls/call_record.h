// One call: the packets of one seance number, and what they say of it.
#ifndef PAKETLOG_TOOLS_CALLS_CALL_RECORD_H
#define PAKETLOG_TOOLS_CALLS_CALL_RECORD_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace paketlog {
namespace tool {

// When a packet came: its capture time, or where there is none (hex traces,
// packet files) its number in the input.
struct CallTime {
    std::int64_t seconds = 0;  // since the epoch, UTC; the packet number when not timed
    std::uint32_t nanoseconds = 0;
    unsigned char digits = 6;  // of the fraction as shown: 6 or 9, the capture's own precision
    bool timed = false;
};

// Nanoseconds from `a` to `b`.
inline std::int64_t nanoseconds_between(const CallTime& a, const CallTime& b) {
    return (b.seconds - a.seconds) * 1000000000 + (static_cast<std::int64_t>(b.nanoseconds) - a.nanoseconds);
}

struct CallEvent {
    CallTime time;
    unsigned char control = 0;  // the CONTROL packet's code
};

// A CONTROL packet's cause record.
struct CallCause {
    unsigned char loc = 0, src = 0, code = 0, cause = 0;
};

// What a call keeps of each kind, at most: a hostile capture cannot make a
// call grow without bound. What goes past is counted, not kept.
struct CallLimits {
    static constexpr std::size_t kEvents = 32;
    static constexpr std::size_t kEndpoints = 8;
    static constexpr std::size_t kRtp = 8;
    static constexpr std::size_t kLinks = 8;  // of continues and of continued_from each
    static constexpr std::size_t kText = 128;  // bytes of a name, and of the dialled digits
};

struct Call {
    std::uint32_t seance = 0;
    CallTime first, last;
    std::uint64_t packets = 0;
    std::uint64_t in = 0, out = 0;         // with a switch port given: from it, and to it
    std::vector<std::string> endpoints;    // "192.0.2.10.40000", in the order first seen
    std::string called, calling, digits;   // UTF-8
    std::vector<std::pair<std::string, std::string>> names;  // parameter name, text (UTF-8)
    std::vector<CallEvent> events;
    std::uint64_t events_omitted = 0;  // CONTROL packets past CallLimits::kEvents
    bool answered = false, busy = false, rejected = false;
    CallTime answer;  // the first answer
    bool released = false;
    CallTime release;  // the first release, whose cause is kept
    CallCause cause;
    std::vector<std::uint32_t> continues, continued_from;
    std::vector<std::string> rtp;  // "10.1.1.5:40000"
    std::uint32_t holds = 0, ptt = 0;
    bool evicted = false;  // closed while open: too many calls were open at once

    // Empties the record for another call, keeping the room of its lists and texts.
    void clear();
    // "rejected", else "busy", else "answered", else "unanswered".
    const char* outcome() const;
    // Nanoseconds from the first packet to the answer, from the answer to the
    // release, from the first packet to the last; false where the phase was
    // not seen or the packets have no times.
    bool setup(std::int64_t& ns) const;
    bool talk(std::int64_t& ns) const;
    bool duration(std::int64_t& ns) const;
};

}  // namespace tool
}  // namespace paketlog

#endif
