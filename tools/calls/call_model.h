// Packets in, calls out. A call is the packets of one seance number, for the
// listed packet types that carry one; module reports (types 208 to 211) and
// unlisted types are not calls. The model is fed the packets in input order
// and hands each call to its sink once it is over:
//   - in order of first packet (files): once it is released and no packet of
//     it has come for a while (kLinger), and every call begun before it has
//     been handed on;
//   - streaming (live capture): at its release;
//   - at finish(): every call still held, open or not, in order of first packet.
// At most kMaxOpen calls are open at once: past that the oldest open call is
// closed as evicted. A call handed on is freed; a packet of its seance that
// comes later is not counted (late()), so a call's last answer to its
// release does not open a call of its own.
//
// The model knows nothing of captures or of the command's options: it is
// told each packet's bytes, time and endpoints (CallPacket), so that any
// reader of packets can feed it.
#ifndef PAKETLOG_TOOLS_CALLS_CALL_MODEL_H
#define PAKETLOG_TOOLS_CALLS_CALL_MODEL_H

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "calls/call_record.h"
#include "text/text_buffer.h"
#include "text/text_utf8.h"

namespace paketlog {
struct Workspace;

namespace tool {

// One packet as the model is told it.
struct CallPacket {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    CallTime time;
    std::string_view src, dst;  // "192.0.2.10.40000" as the lines write them; empty when unknown
    enum class Direction : unsigned char { Unknown, In, Out } direction = Direction::Unknown;
};

// Whether a packet belongs to a call (a listed type that carries a seance,
// long enough to hold it), and its seance.
bool call_seance(const unsigned char* packet, std::size_t size, std::uint32_t& seance);

class CallSink {
public:
    virtual ~CallSink() = default;
    // A call that is over (or evicted, or held at the end). The record is
    // freed after the call returns.
    virtual void finished(const Call& call) = 0;
};

class CallModel {
public:
    // Open calls at once, at most.
    static constexpr std::size_t kMaxOpen = 65536;
    // How long a released call still takes packets before it is handed on
    // (files): two seconds of capture time, or where packets have no time,
    // 64 packets.
    static constexpr std::int64_t kLingerNanoseconds = 2000000000;
    static constexpr std::int64_t kLingerPackets = 64;

    struct Settings {
        bool streaming = false;              // hand each call on at its release
        std::size_t max_open = kMaxOpen;     // a unit test's smaller limit
    };

    CallModel(const Settings& settings, CallSink& sink);
    ~CallModel();
    CallModel(const CallModel&) = delete;
    CallModel& operator=(const CallModel&) = delete;

    void add(const CallPacket& packet);
    // Hands on every call still held, in order of first packet.
    void finish();

    std::size_t open() const { return open_; }
    std::size_t held() const { return held_.size(); }
    std::uint64_t evicted() const { return evicted_; }
    std::uint64_t late() const { return late_; }

private:
    struct Held;
    using Order = std::list<Held>;
    struct Held {
        Call call;
        bool waiting = false;  // released, in released_
        std::list<Order::iterator>::iterator in_released;
    };

    Held& start(std::uint32_t seance, const CallTime& time);
    void update(Held& held, const CallPacket& packet);
    void take_control(Call& call, const CallPacket& packet);
    void take_names(Call& call, const unsigned char* packet, std::size_t size);
    void take_link(Call& call, std::uint32_t to);
    void hand_on(Order::iterator it);
    void hand_on_lingered(const CallTime& now);
    void relieve();
    void remember_finished(std::uint32_t seance);

    const Settings settings_;
    CallSink& sink_;
    std::unique_ptr<Workspace> ws_;
    Cp1251ToUtf8 utf8_;
    Order order_;  // held calls in order of first packet
    // Records handed on, kept with their room for the next calls: most
    // calls then allocate nothing. At most kSpares.
    static constexpr std::size_t kSpares = 256;
    Order spare_;
    TextBuffer scratch_;  // a text converted to UTF-8
    std::unordered_map<std::uint32_t, Order::iterator> held_;
    std::list<Order::iterator> released_;  // released calls waiting behind an open one, in release order
    std::size_t open_ = 0;
    // Seances of calls handed on, the last kMaxOpen of them: their late packets.
    std::vector<std::uint32_t> finished_ring_;
    std::size_t finished_next_ = 0;
    std::size_t finished_filled_ = 0;
    std::unordered_set<std::uint32_t> finished_;
    // Links to seances not seen yet: the seances they continue, for the
    // call's continued_from when it comes; the last kMaxOpen targets.
    struct Pending {
        std::vector<std::uint32_t> from;
        std::size_t slot;  // in pending_ring_
    };
    std::unordered_map<std::uint32_t, Pending> pending_from_;
    std::vector<std::uint32_t> pending_ring_;
    std::size_t pending_next_ = 0;
    std::size_t pending_filled_ = 0;
    std::uint64_t evicted_ = 0;
    std::uint64_t late_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
