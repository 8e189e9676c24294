#include "calls/follow.h"

#include <algorithm>

#include "paketlog.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace tool {

bool packet_link(const unsigned char* packet, std::size_t size, std::uint32_t& from, std::uint32_t& to) {
    if (size < sizeof(_PD_PACKET)) return false;
    std::size_t at = 0;
    switch (packet[offsetof(_PD_PACKET, type)]) {
    case PKT_CNG_SEANCE: at = offsetof(wire::CngSeance, new_seance); break;
    case PKT_MOVE_CALL: at = offsetof(wire::MoveCall, second_seance); break;
    default: return false;
    }
    if (size < at + 4) return false;
    from = detail::load_le32(packet + offsetof(_PD_PACKET, seance));
    to = detail::load_le32(packet + at);
    return true;
}

bool SeanceLinks::add(std::uint32_t a, std::uint32_t b) {
    if (a == b) return true;
    const auto known = next_.find(a);
    if (known != next_.end() && std::find(known->second.begin(), known->second.end(), b) != known->second.end())
        return true;
    if (links_ >= max_links_) {
        ++dropped_;
        return false;
    }
    next_[a].push_back(b);
    next_[b].push_back(a);
    ++links_;
    return true;
}

void SeanceLinks::reach(std::uint32_t seance, std::unordered_set<std::uint32_t>& set) const {
    std::vector<std::uint32_t> todo{seance};
    set.insert(seance);
    while (!todo.empty()) {
        const std::uint32_t s = todo.back();
        todo.pop_back();
        const auto found = next_.find(s);
        if (found == next_.end()) continue;
        for (std::uint32_t n : found->second)
            if (set.insert(n).second) todo.push_back(n);
    }
}

std::vector<std::uint32_t> SeanceLinks::followed(std::uint32_t seance) const {
    std::unordered_set<std::uint32_t> set;
    reach(seance, set);
    std::vector<std::uint32_t> out(set.begin(), set.end());
    std::sort(out.begin(), out.end());
    return out;
}

FollowedSeances::FollowedSeances(std::uint32_t seance, std::size_t max_links) : links_(max_links) {
    set_.insert(seance);
}

FollowedSeances::FollowedSeances(const std::vector<std::uint32_t>& seances) : set_(seances.begin(), seances.end()) {}

bool FollowedSeances::link(std::uint32_t a, std::uint32_t b) {
    const bool has_a = contains(a);
    const bool has_b = contains(b);
    if (has_a && has_b) return false;
    links_.add(a, b);  // when the graph is full, a link to the followed seances still counts
    if (!has_a && !has_b) return false;
    const std::size_t before = set_.size();
    links_.reach(has_a ? b : a, set_);
    return set_.size() != before;
}

}  // namespace tool
}  // namespace paketlog
