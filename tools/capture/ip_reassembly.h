// Putting fragmented UDP datagrams back together from their pieces, which
// may come in any order, twice, or interleaved with other datagrams. Every
// piece costs time in proportion to its own bytes (and the log of the pieces
// held), and what is held is bounded: kMaxOpen datagrams, kMaxPieces pieces
// each, kMaxHeld bytes in all (their bytes, the ranges that arrived and the
// headers noted). Each open datagram also keeps what its pieces told of it
// (Notes), so that one given up on can still be judged; a datagram given up
// on is remembered (kMaxRemembered of them, each for kRememberSeconds of
// capture time after its last piece), so its later pieces are dropped
// rather than taken for a new datagram.
#ifndef PAKETLOG_TOOLS_CAPTURE_IP_REASSEMBLY_H
#define PAKETLOG_TOOLS_CAPTURE_IP_REASSEMBLY_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "capture/capture_frame.h"
#include "capture/udp_payload.h"

namespace paketlog {
namespace tool {

class Reassembler {
public:
    // What the pieces of a datagram added with their frame told of it.
    struct Notes {
        std::vector<unsigned char> head;   // its first piece's link and IP headers; empty when none was noted
        UdpDatagram piece;                 // that piece; its `ip` points into head, its bytes are not kept
        std::vector<unsigned char> start;  // its first bytes (kStartBytes at most), once its offset-0 piece came
    };
    static constexpr std::size_t kStartBytes = 18;  // UDP header and packet header

    // A datagram that is not decoded, and why.
    struct GivenUp {
        enum class Why {
            Incomplete,       // open at the end of the capture, or put aside to stay within the limits
            Overlap,          // two of its pieces carry different bytes at the same place
            TooLong,          // a piece ends past kMaxSize
            TooManyPieces,    // more than kMaxPieces pieces brought bytes
            ConflictingEnds,  // two last pieces end it at different bytes
            PastEnd,          // a piece ends past the end its last piece gave it
        };
        Why why;
        unsigned long frame;        // Incomplete: the frame of its first piece; else of the piece that showed it
        unsigned long first_frame;  // the frame of its first piece
        std::size_t have;           // bytes that arrived
        std::size_t need;           // its length (0 while its last piece is missing)
        std::size_t end;            // TooLong, ConflictingEnds, PastEnd: where the piece that showed it ends
        Notes notes;                // from its pieces up to the one that showed the fault, but one ending past kMaxSize
    };

    // Adds a Kind::Fragment piece that find_udp_payload() found in `frame`,
    // whose bytes are still valid. True when it completes its datagram,
    // which is then in `whole` (its UDP header first). A piece of no bytes
    // is passed over; one of a datagram given up on is dropped.
    bool add(const UdpDatagram& piece, const CaptureFrame& frame, std::vector<unsigned char>& whole);
    // The same for a piece known only by its frame's number: nothing is noted.
    bool add(const UdpDatagram& piece, unsigned long frame, std::vector<unsigned char>& whole);

    // Datagrams given up on since the last call, in the order of `frame`;
    // with `at_end`, also those still open.
    std::vector<GivenUp> given_up(bool at_end);

    // What the open datagrams hold, counted against kMaxHeld.
    std::size_t held() const { return held_; }

    static constexpr std::size_t kMaxOpen = 256;           // datagrams open at once; the oldest goes first
    static constexpr std::size_t kMaxPieces = 1024;        // pieces bringing bytes, per datagram
    static constexpr std::size_t kMaxHeld = 4u << 20;      // bytes held for all open datagrams
    static constexpr std::size_t kMaxSize = 65535;         // the most a datagram can carry
    static constexpr std::size_t kMaxRemembered = 4096;    // datagrams given up on whose pieces are dropped
    static constexpr std::int64_t kRememberSeconds = 30;   // after its last piece, a datagram given up on is forgotten

private:
    struct Range {
        std::uint32_t begin, end;
    };
    struct Open {
        unsigned long first_frame = 0;
        std::size_t pieces = 0;
        std::size_t have = 0;
        std::size_t need = 0;
        std::size_t reach = 0;  // the furthest end a piece gave
        std::vector<unsigned char> bytes;
        std::vector<Range> ranges;  // what arrived: ordered, neither overlapping nor touching
        Notes notes;                // moved to its GivenUp
    };
    using Key = std::array<unsigned char, 37>;
    using Table = std::map<Key, Open>;
    struct Gone {
        std::int64_t seen;  // capture second of its last piece
        std::size_t slot;   // in gone_order_
    };

    bool dropped(const Key& key);
    void remember(const Key& key);
    Table::iterator oldest(Table::iterator spare);
    void put_aside(Table::iterator entry);
    bool refuse(Table::iterator entry, GivenUp::Why why, unsigned long frame, std::size_t end);
    void release(Table::iterator entry);
    void note(Table::iterator entry, const UdpDatagram& piece, const unsigned char* frame);
    template <typename T>
    void reserve(Table::iterator entry, std::vector<T>& v, std::size_t capacity);
    void grow(Table::iterator entry, std::size_t end);

    Table open_;
    std::size_t held_ = 0;  // what every open datagram holds: bytes, ranges, notes
    std::vector<GivenUp> given_up_;
    std::map<Key, Gone> gone_;     // datagrams given up on, remembered
    std::vector<Key> gone_order_;  // the same, oldest first from gone_next_ on
    std::size_t gone_next_ = 0;
    std::int64_t now_ = 0;  // capture second of the piece being added
};

}  // namespace tool
}  // namespace paketlog

#endif
