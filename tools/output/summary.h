// --stats: what a run saw, printed after its last line.
#ifndef PAKETLOG_TOOLS_OUTPUT_SUMMARY_H
#define PAKETLOG_TOOLS_OUTPUT_SUMMARY_H

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "capture/capture_time.h"

namespace paketlog {
namespace tool {

class Summary {
public:
    // Seances followed one by one; packets of further seances are counted
    // together, so a hostile input cannot make the summary grow.
    static constexpr std::size_t kMaxSeances = 65536;
    static constexpr std::size_t kBusiest = 10;  // seances listed
    // Module reports: the types a module reports its state with (KLT_RDY to
    // KLT_NTRDY), in seance 0, counted apart from the calls' seances.
    static constexpr int kFirstModuleReport = 208;
    static constexpr int kLastModuleReport = 211;

    // One shown packet: its type (-1 when too short to have one), whether its
    // type is listed, its seance (-1: none), whether it was truncated, and its
    // capture time (null for hex traces and packet files).
    void add(int type, bool listed, std::int64_t seance, bool truncated, const CaptureTime* time);
    void reported() { ++reported_; }

    // `names` holds each type's name as the lines print it (UTF-8), "" for an
    // unlisted type.
    static constexpr std::size_t kTypes = 256;  // a type is one byte
    using Names = std::array<std::string, kTypes>;
    std::string text(const Names& names) const;
    std::string json(const Names& names) const;

private:
    struct Seance {
        unsigned long count = 0;
        unsigned long first_packet = 0, last_packet = 0;
        CaptureTime first, last;
        bool timed = false;
    };
    std::vector<std::pair<std::uint32_t, const Seance*>> busiest() const;

    unsigned long packets_ = 0;
    static constexpr std::size_t kTooShort = kTypes;  // the count of packets too short for a type
    std::array<unsigned long, kTypes + 1> per_type_{};
    std::map<std::uint32_t, Seance> seances_;
    unsigned long other_seances_ = 0;  // packets of seances past kMaxSeances
    unsigned long module_reports_ = 0;
    unsigned long truncated_ = 0;
    unsigned long unknown_ = 0;
    unsigned long reported_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
