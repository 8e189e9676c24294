// Seances linked into one call: a call whose seance changes (CNG_SEANCE) or
// that is moved (MOVE_CALL) goes on under another seance number. Following a
// seance takes every seance linked to it, in either direction and
// transitively, so that a transferred call is seen whole.
#ifndef PAKETLOG_TOOLS_CALLS_FOLLOW_H
#define PAKETLOG_TOOLS_CALLS_FOLLOW_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace paketlog {
namespace tool {

// The link a packet makes: its own seance and the one the call goes on
// under (CNG_SEANCE's new seance, MOVE_CALL's second seance). False for
// every other packet, and for one too short to hold the field.
bool packet_link(const unsigned char* packet, std::size_t size, std::uint32_t& from, std::uint32_t& to);

// The links seen, as an undirected graph of seances.
class SeanceLinks {
public:
    // The most links kept; past it a link is dropped (and counted), so that
    // a capture of nothing but links cannot take the memory.
    static constexpr std::size_t kMaxLinks = std::size_t{1} << 20;

    // max_links: a unit test's smaller limit.
    explicit SeanceLinks(std::size_t max_links = kMaxLinks) : max_links_(max_links) {}

    // False when the link was dropped (the graph is full). A link of a seance
    // to itself, and one already known, change nothing.
    bool add(std::uint32_t a, std::uint32_t b);
    // `seance` and every seance linked to it, in either direction and
    // transitively, in ascending order.
    std::vector<std::uint32_t> followed(std::uint32_t seance) const;
    // Adds to `set` every seance linked to `seance` that is not in it yet.
    void reach(std::uint32_t seance, std::unordered_set<std::uint32_t>& set) const;

    std::size_t links() const { return links_; }
    std::size_t dropped() const { return dropped_; }

private:
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> next_;
    std::size_t max_links_;
    std::size_t links_ = 0;
    std::size_t dropped_ = 0;
};

// The seances followed from one, as the links come in: a run that cannot
// read its input twice (live, standard input) learns each link when it sees
// it, and follows it from then on. A link seen before the one that joins it
// to the followed seances is remembered and joins them too.
class FollowedSeances {
public:
    // max_links: a unit test's smaller limit of links remembered.
    explicit FollowedSeances(std::uint32_t seance, std::size_t max_links = SeanceLinks::kMaxLinks);
    // Every seance of a set already known (a first pass over the input).
    explicit FollowedSeances(const std::vector<std::uint32_t>& seances);

    bool contains(std::uint32_t seance) const { return set_.count(seance) != 0; }
    // Learns a link; true when the followed seances grew.
    bool link(std::uint32_t a, std::uint32_t b);

    std::size_t size() const { return set_.size(); }
    std::size_t dropped() const { return links_.dropped(); }

private:
    SeanceLinks links_;
    std::unordered_set<std::uint32_t> set_;
};

}  // namespace tool
}  // namespace paketlog

#endif
