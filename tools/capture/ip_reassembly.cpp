#include "capture/ip_reassembly.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace paketlog {
namespace tool {
namespace {

// Keeps the first piece's link and IP headers, and the first bytes of each piece at offset 0.
void note(Reassembler::Notes& notes, const UdpDatagram& piece, const unsigned char* frame) {
    if (notes.head.empty()) {
        notes.head.assign(frame, piece.ip + ip_header_size(piece));
        notes.piece = piece;
        notes.piece.ip = notes.head.data() + (piece.ip - frame);
        notes.piece.payload = nullptr;
        notes.piece.size = 0;
    }
    if (piece.piece.offset == 0)
        notes.start.assign(piece.payload, piece.payload + std::min(piece.size, Reassembler::kStartBytes));
}

}  // namespace

bool Reassembler::add(const UdpDatagram& piece, unsigned long frame, std::vector<unsigned char>& whole) {
    CaptureFrame known;
    known.number = frame;
    return add(piece, known, whole);
}

bool Reassembler::add(const UdpDatagram& piece, const CaptureFrame& frame, std::vector<unsigned char>& whole) {
    const UdpDatagram::Piece& where = piece.piece;
    if (where.length == 0) return false;
    auto entry = open_.find(where.datagram);
    if (entry == open_.end()) {
        if (open_.size() >= kMaxOpen) put_aside(oldest(open_.end()));
        entry = open_.emplace(where.datagram, Open{}).first;
        entry->second.first_frame = frame.number;
    }
    Open& open = entry->second;
    if (open.refused) return false;
    const std::size_t end = where.offset + where.length;
    if (end > kMaxSize) return refuse(open, GivenUp::Why::TooLong, frame.number, end);
    if (frame.data != nullptr) note(open.notes, piece, frame.data);
    if (!where.more) open.need = end;

    // The captured bytes [begin, stop) against the ranges they overlap or
    // touch, first to last: where they overlap, the bytes must be the same.
    const std::size_t begin = where.offset;
    const std::size_t stop = where.offset + piece.size;  // a cut piece brings only what was captured
    std::vector<Range>& ranges = open.ranges;
    auto first = std::lower_bound(ranges.begin(), ranges.end(), begin,
                                  [](const Range& r, std::size_t at) { return r.end < at; });
    auto last = first;
    std::size_t shared = 0;
    for (; last != ranges.end() && last->begin <= stop; ++last) {
        const std::size_t from = std::max<std::size_t>(last->begin, begin);
        const std::size_t to = std::min<std::size_t>(last->end, stop);
        if (from >= to) continue;
        if (std::memcmp(&open.bytes[from], piece.payload + (from - begin), to - from) != 0)
            return refuse(open, GivenUp::Why::Overlap, frame.number, open.need);
        shared += to - from;
    }
    if (shared < stop - begin) {  // not a repeat: it brings bytes
        if (++open.pieces > kMaxPieces) return refuse(open, GivenUp::Why::TooManyPieces, frame.number, open.need);
        grow(entry, stop);
        std::memcpy(&open.bytes[begin], piece.payload, piece.size);
        open.have += stop - begin - shared;
        Range merged{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(stop)};
        if (first == last) {
            ranges.insert(first, merged);
        } else {
            merged.begin = std::min(merged.begin, first->begin);
            merged.end = std::max(merged.end, (last - 1)->end);
            *first = merged;
            ranges.erase(first + 1, last);
        }
    }
    if (open.need == 0 || ranges.size() != 1 || ranges.front().begin != 0 || ranges.front().end < open.need)
        return false;
    whole.assign(open.bytes.begin(), open.bytes.begin() + static_cast<long>(open.need));
    release(open);
    open_.erase(entry);
    return true;
}

// The open datagram that began first, other than `spare`.
Reassembler::Table::iterator Reassembler::oldest(Table::iterator spare) {
    auto found = open_.end();
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it != spare && (found == open_.end() || it->second.first_frame < found->second.first_frame)) found = it;
    return found;
}

// Gives up on a datagram that is still open; one refused before was reported then.
void Reassembler::put_aside(Table::iterator entry) {
    Open& open = entry->second;
    if (!open.refused)
        given_up_.push_back({GivenUp::Why::Incomplete, open.first_frame, open.first_frame, open.have, open.need,
                             std::move(open.notes)});
    release(open);
    open_.erase(entry);
}

// Reports the datagram and keeps only the mark that drops its later pieces.
bool Reassembler::refuse(Open& open, GivenUp::Why why, unsigned long frame, std::size_t need) {
    given_up_.push_back({why, frame, open.first_frame, open.have, need, std::move(open.notes)});
    open.refused = true;
    release(open);
    return false;
}

void Reassembler::release(Open& open) {
    held_ -= open.bytes.capacity();
    std::vector<unsigned char>().swap(open.bytes);
    std::vector<Range>().swap(open.ranges);
}

// Makes `entry`'s bytes reach `end`, putting the oldest other datagrams aside
// while the bytes held would pass kMaxHeld. Capacity doubles, so a datagram
// arriving piece by piece from the front is not copied once per piece.
void Reassembler::grow(Table::iterator entry, std::size_t end) {
    std::vector<unsigned char>& bytes = entry->second.bytes;
    if (end <= bytes.size()) return;
    if (end > bytes.capacity()) {
        const std::size_t capacity = std::max(end, std::min(2 * bytes.capacity(), kMaxSize));
        const std::size_t more = capacity - bytes.capacity();
        for (auto victim = oldest(entry); held_ + more > kMaxHeld && victim != open_.end(); victim = oldest(entry))
            put_aside(victim);
        held_ += more;
        bytes.reserve(capacity);
    }
    bytes.resize(end);
}

std::vector<Reassembler::GivenUp> Reassembler::given_up(bool at_end) {
    if (at_end)
        for (auto it = open_.begin(); it != open_.end();) put_aside(it++);
    std::stable_sort(given_up_.begin(), given_up_.end(),
                     [](const GivenUp& a, const GivenUp& b) { return a.frame < b.frame; });
    std::vector<GivenUp> out;
    out.swap(given_up_);
    return out;
}

}  // namespace tool
}  // namespace paketlog
