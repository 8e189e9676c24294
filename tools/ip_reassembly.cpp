#include "ip_reassembly.h"

#include <algorithm>

namespace paketlog {
namespace tool {

bool Reassembler::add(const UdpDatagram& piece, unsigned long frame, std::vector<unsigned char>& whole) {
    const UdpDatagram::Piece& where = piece.piece;
    if (where.offset + where.length > kMaxSize) return false;  // no datagram is that long
    if (open_.size() >= kMaxOpen && open_.count(where.datagram) == 0) {
        auto oldest = std::min_element(open_.begin(), open_.end(), [](const auto& a, const auto& b) {
            return a.second.first_frame < b.second.first_frame;
        });
        given_up_.push_back(incomplete(oldest->second));
        open_.erase(oldest);
    }
    Open& open = open_[where.datagram];
    if (open.ranges.empty()) open.first_frame = frame;
    const std::size_t end = where.offset + piece.size;  // a cut piece brings only what was captured
    if (open.bytes.size() < end) open.bytes.resize(end);
    std::copy(piece.payload, piece.payload + piece.size, open.bytes.begin() + static_cast<long>(where.offset));
    if (!where.more) open.need = where.offset + where.length;

    auto& ranges = open.ranges;
    ranges.emplace_back(where.offset, end);
    std::sort(ranges.begin(), ranges.end());
    std::size_t merged = 0;
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first <= ranges[merged].second) {
            ranges[merged].second = std::max(ranges[merged].second, ranges[i].second);
        } else {
            ranges[++merged] = ranges[i];
        }
    }
    ranges.resize(merged + 1);

    if (open.need == 0 || ranges.front().first != 0 || ranges.front().second < open.need) return false;
    whole.assign(open.bytes.begin(), open.bytes.begin() + static_cast<long>(open.need));
    open_.erase(where.datagram);
    return true;
}

Reassembler::Incomplete Reassembler::incomplete(const Open& open) const {
    std::size_t have = 0;
    for (const auto& range : open.ranges) have += range.second - range.first;
    return {open.first_frame, have, open.need};
}

std::vector<Reassembler::Incomplete> Reassembler::given_up(bool at_end) {
    if (at_end) {
        for (const auto& entry : open_) given_up_.push_back(incomplete(entry.second));
        open_.clear();
    }
    std::sort(given_up_.begin(), given_up_.end(),
              [](const Incomplete& a, const Incomplete& b) { return a.first_frame < b.first_frame; });
    std::vector<Incomplete> out;
    out.swap(given_up_);
    return out;
}

}  // namespace tool
}  // namespace paketlog
