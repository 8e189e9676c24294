#include "capture/ip_reassembly.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace paketlog {
namespace tool {

bool Reassembler::add(const UdpDatagram& piece, unsigned long frame, std::vector<unsigned char>& whole) {
    CaptureFrame known;
    known.number = frame;
    return add(piece, known, whole);
}

bool Reassembler::add(const UdpDatagram& piece, const CaptureFrame& frame, std::vector<unsigned char>& whole) {
    const UdpDatagram::Piece& where = piece.piece;
    if (where.length == 0) return false;
    now_ = frame.time.seconds;
    if (dropped(where.datagram)) return false;
    auto entry = open_.find(where.datagram);
    if (entry == open_.end()) {
        if (open_.size() >= kMaxOpen) put_aside(oldest(open_.end()));
        entry = open_.emplace(where.datagram, Open{}).first;
        entry->second.first_frame = frame.number;
    }
    Open& open = entry->second;
    const std::size_t end = where.offset + where.length;
    if (end > kMaxSize) return refuse(entry, GivenUp::Why::TooLong, frame.number, end);
    if (frame.data != nullptr) note(entry, piece, frame.data);
    // A last piece fixes where the datagram ends; every other piece must agree.
    if (!where.more && open.need != 0 && end != open.need)
        return refuse(entry, GivenUp::Why::ConflictingEnds, frame.number, end);
    if (!where.more && end < open.reach) {
        open.need = end;
        return refuse(entry, GivenUp::Why::PastEnd, frame.number, open.reach);
    }
    if (where.more && open.need != 0 && end > open.need)
        return refuse(entry, GivenUp::Why::PastEnd, frame.number, end);
    if (!where.more) open.need = end;
    open.reach = std::max(open.reach, end);

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
            return refuse(entry, GivenUp::Why::Overlap, frame.number, 0);
        shared += to - from;
    }
    if (shared < stop - begin) {  // not a repeat: it brings bytes
        if (++open.pieces > kMaxPieces) return refuse(entry, GivenUp::Why::TooManyPieces, frame.number, 0);
        Range merged{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(stop)};
        if (first == last) {
            const std::size_t at = static_cast<std::size_t>(first - ranges.begin());
            if (ranges.size() == ranges.capacity()) reserve(entry, ranges, std::max<std::size_t>(4, 2 * ranges.size()));
            first = ranges.insert(ranges.begin() + static_cast<long>(at), merged);
        } else {
            merged.begin = std::min(merged.begin, first->begin);
            merged.end = std::max(merged.end, (last - 1)->end);
            *first = merged;
            ranges.erase(first + 1, last);
        }
        grow(entry, stop);
        std::memcpy(&open.bytes[begin], piece.payload, piece.size);
        open.have += stop - begin - shared;
    }
    if (open.need == 0 || ranges.size() != 1 || ranges.front().begin != 0 || ranges.front().end < open.need)
        return false;
    whole.assign(open.bytes.begin(), open.bytes.begin() + static_cast<long>(open.need));
    release(entry);
    return true;
}

// Whether the piece belongs to a datagram given up on within the last
// kRememberSeconds; one given up on longer ago is forgotten, its key free
// for a new datagram (IP identifications come round again).
bool Reassembler::dropped(const Key& key) {
    const auto gone = gone_.find(key);
    if (gone == gone_.end()) return false;
    const std::int64_t since = now_ > gone->second.seen ? now_ - gone->second.seen : gone->second.seen - now_;
    if (since > kRememberSeconds) {
        gone_.erase(gone);
        return false;
    }
    gone->second.seen = now_;
    return true;
}

// Remembers a datagram given up on; past kMaxRemembered the one given up
// on first is forgotten.
void Reassembler::remember(const Key& key) {
    const std::size_t slot = gone_next_;
    if (gone_order_.size() < kMaxRemembered) {
        gone_order_.push_back(key);
    } else {
        const auto old = gone_.find(gone_order_[slot]);
        if (old != gone_.end() && old->second.slot == slot) gone_.erase(old);
        gone_order_[slot] = key;
    }
    gone_next_ = (slot + 1) % kMaxRemembered;
    gone_[key] = Gone{now_, slot};
}

// The open datagram that began first, other than `spare`.
Reassembler::Table::iterator Reassembler::oldest(Table::iterator spare) {
    auto found = open_.end();
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it != spare && (found == open_.end() || it->second.first_frame < found->second.first_frame)) found = it;
    return found;
}

// Gives up on a datagram that is still open.
void Reassembler::put_aside(Table::iterator entry) {
    Open& open = entry->second;
    given_up_.push_back({GivenUp::Why::Incomplete, open.first_frame, open.first_frame, open.have, open.need, 0,
                         std::move(open.notes)});
    remember(entry->first);
    release(entry);
}

// Reports the datagram and remembers it, so that its later pieces are dropped.
bool Reassembler::refuse(Table::iterator entry, GivenUp::Why why, unsigned long frame, std::size_t end) {
    Open& open = entry->second;
    given_up_.push_back({why, frame, open.first_frame, open.have, open.need, end, std::move(open.notes)});
    remember(entry->first);
    release(entry);
    return false;
}

void Reassembler::release(Table::iterator entry) {
    const Open& open = entry->second;
    held_ -= open.bytes.capacity() + open.ranges.capacity() * sizeof(Range) + open.notes.head.capacity() +
             open.notes.start.capacity();
    open_.erase(entry);
}

// Keeps the first piece's link and IP headers, and the first bytes of each piece at offset 0.
void Reassembler::note(Table::iterator entry, const UdpDatagram& piece, const unsigned char* frame) {
    Notes& notes = entry->second.notes;
    if (notes.head.empty()) {
        const std::size_t size = static_cast<std::size_t>(piece.ip - frame) + ip_header_size(piece);
        reserve(entry, notes.head, size);
        notes.head.assign(frame, frame + size);
        notes.piece = piece;
        notes.piece.ip = notes.head.data() + (piece.ip - frame);
        notes.piece.payload = nullptr;
        notes.piece.size = 0;
    }
    if (piece.piece.offset == 0) {
        reserve(entry, notes.start, kStartBytes);
        notes.start.assign(piece.payload, piece.payload + std::min(piece.size, kStartBytes));
    }
}

// Makes room for `v` (of `entry`) to hold `capacity` items, putting the
// oldest other datagrams aside while what is held would pass kMaxHeld.
template <typename T>
void Reassembler::reserve(Table::iterator entry, std::vector<T>& v, std::size_t capacity) {
    if (capacity <= v.capacity()) return;
    const std::size_t before = v.capacity() * sizeof(T);
    const std::size_t more = capacity * sizeof(T) - before;
    for (auto victim = oldest(entry); held_ + more > kMaxHeld && victim != open_.end(); victim = oldest(entry))
        put_aside(victim);
    v.reserve(capacity);
    held_ += v.capacity() * sizeof(T) - before;
}

// Makes `entry`'s bytes reach `end`. Capacity doubles, so a datagram
// arriving piece by piece from the front is not copied once per piece.
void Reassembler::grow(Table::iterator entry, std::size_t end) {
    std::vector<unsigned char>& bytes = entry->second.bytes;
    if (end <= bytes.size()) return;
    reserve(entry, bytes, std::max(end, std::min(2 * bytes.capacity(), kMaxSize)));
    bytes.resize(end);
}

std::vector<Reassembler::GivenUp> Reassembler::given_up(bool at_end) {
    if (at_end)
        while (!open_.empty()) put_aside(open_.begin());
    std::stable_sort(given_up_.begin(), given_up_.end(),
                     [](const GivenUp& a, const GivenUp& b) { return a.frame < b.frame; });
    std::vector<GivenUp> out;
    out.swap(given_up_);
    return out;
}

}  // namespace tool
}  // namespace paketlog
