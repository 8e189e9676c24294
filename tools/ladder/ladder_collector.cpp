#include "ladder/ladder_collector.h"

#include <algorithm>

#include "calls/call_model.h"

namespace paketlog {
namespace tool {

LadderCollector::LadderCollector(TimeFormat time, std::size_t max_arrows) : time_(time), max_arrows_(max_arrows) {}

bool LadderCollector::add(const LadderPacket& packet) {
    std::uint32_t seance = 0;
    if (!call_seance(packet.bytes, packet.size, seance)) return false;  // no call's: a module's, an unlisted type
    if (kept_ >= max_arrows_) {
        ++dropped_;
        return false;
    }
    std::string label = labels_.label(packet.bytes, packet.size);
    Kept k;
    k.index = next_index_++;
    k.timed = packet.time != nullptr;
    if (k.timed) k.time = *packet.time;
    k.number = packet.number;
    const bool addressed = !packet.src.empty() && !packet.dst.empty();
    const bool in = packet.direction == ArrowDirection::In;
    k.src = addressed ? std::string(packet.src) : in ? kSwitchEndpoint : kPeerEndpoint;
    k.dst = addressed ? std::string(packet.dst) : in ? kPeerEndpoint : kSwitchEndpoint;
    k.sender_name = labels_.sender_name(packet.bytes, packet.size);
    k.direction = packet.direction;
    k.label = std::move(label);
    k.line = std::string(packet.line);
    std::vector<Kept>& list = by_seance_[seance];
    if (list.empty()) order_.push_back(seance);
    list.push_back(std::move(k));
    ++kept_;
    return true;
}

Ladder LadderCollector::ladder(std::uint32_t asked, const std::vector<std::uint32_t>& seances) const {
    struct Entry {
        const Kept* kept;
        std::uint32_t seance;
    };
    std::vector<Entry> entries;
    std::size_t with_packets = 0;
    for (const std::uint32_t seance : seances) {
        const auto found = by_seance_.find(seance);
        if (found == by_seance_.end()) continue;
        ++with_packets;
        for (const Kept& k : found->second) entries.push_back({&k, seance});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.kept->index < b.kept->index; });

    Ladder ladder;
    ladder.seance = asked;
    const auto endpoint = [&ladder](const std::string& address) {
        for (std::size_t e = 0; e < ladder.endpoints.size(); ++e)
            if (ladder.endpoints[e].address == address) return e;
        ladder.endpoints.push_back({address, ""});
        return ladder.endpoints.size() - 1;
    };
    TimeWriter times;
    const CaptureTime* previous = nullptr;
    for (const Entry& entry : entries) {
        const Kept& k = *entry.kept;
        LadderArrow arrow;
        arrow.from = endpoint(k.src);
        arrow.to = endpoint(k.dst);
        if (ladder.endpoints[arrow.from].name.empty()) ladder.endpoints[arrow.from].name = k.sender_name;
        if (k.timed) {
            char text[TimeWriter::kTimeTextSize];
            times.follow(previous);
            arrow.time.assign(text, times.write(time_, k.time, text));
            previous = &k.time;
        } else if (time_ != TimeFormat::None) {
            arrow.time = "#" + std::to_string(k.number);
        }
        arrow.label = with_packets > 1 ? std::to_string(entry.seance) + ": " + k.label : k.label;
        arrow.line = k.line;
        arrow.direction = k.direction;
        arrow.seance = entry.seance;
        ladder.arrows.push_back(std::move(arrow));
    }
    return ladder;
}

}  // namespace tool
}  // namespace paketlog
