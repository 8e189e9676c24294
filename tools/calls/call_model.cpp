#include "calls/call_model.h"

#include <algorithm>
#include <cstring>

#include "calls/control_phase.h"
#include "calls/follow.h"
#include "paketlog.h"
#include "text/decimal_text.h"
#include "wire/block_walk.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace tool {
namespace {

// The additional parameters that name a call's endpoints or caller.
constexpr unsigned char kNameParams[] = {160, 161, 163, 170};  // ENDPOINT_A, ENDPOINT_B, NAME_CALL, ENDPOINT_C

// Room for number2str: 20 digits, and the NUL.
constexpr unsigned short kNumberTextSize = 40;

template <typename T>
void add_once(std::vector<T>& list, const T& value, std::size_t limit) {
    if (list.size() < limit && std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

}  // namespace

bool call_seance(const unsigned char* packet, std::size_t size, std::uint32_t& seance) {
    if (size < sizeof(_PD_PACKET)) return false;
    const unsigned char type = packet[offsetof(_PD_PACKET, type)];
    if (wire::needed_length(type) == wire::kTypeNeed) return false;  // unlisted
    if (type >= PKT_KLT_RDY && type <= PKT_KLT_NTRDY) return false;  // a module's report
    seance = detail::load_le32(packet + offsetof(_PD_PACKET, seance));
    return true;
}

CallModel::CallModel(const Settings& settings, CallSink& sink)
    : settings_(settings), sink_(sink), ws_(std::make_unique<Workspace>()),
      finished_ring_(settings.max_open), pending_ring_(settings.max_open) {
    held_.reserve(std::min<std::size_t>(settings.max_open, 4096));
    finished_.reserve(settings.max_open);
}

CallModel::~CallModel() = default;

void CallModel::add(const CallPacket& packet) {
    if (!settings_.streaming) hand_on_lingered(packet.time);
    std::uint32_t seance = 0;
    if (call_seance(packet.bytes, packet.size, seance)) {
        const auto found = held_.find(seance);
        if (found != held_.end()) {
            update(*found->second, packet);
        } else if (finished_.count(seance) != 0) {
            ++late_;
        } else {
            update(start(seance, packet.time), packet);
            while (held_.size() > settings_.max_open) relieve();
        }
    }
}

void CallModel::finish() {
    while (!order_.empty()) hand_on(order_.begin());
}

CallModel::Held& CallModel::start(std::uint32_t seance, const CallTime& time) {
    if (spare_.empty()) {
        order_.emplace_back();
    } else {  // a record handed on before, its room kept
        order_.splice(order_.end(), spare_, spare_.begin());
        order_.back().call.clear();
        order_.back().waiting = false;
    }
    const Order::iterator it = std::prev(order_.end());
    held_.emplace(seance, it);
    ++open_;
    Call& call = it->call;
    call.seance = seance;
    call.first = time;
    const auto pending = pending_from_.find(seance);
    if (pending != pending_from_.end()) {
        call.continued_from = std::move(pending->second.from);
        pending_from_.erase(pending);
    }
    return *it;
}

void CallModel::update(Held& held, const CallPacket& packet) {
    Call& call = held.call;
    const unsigned char* p = packet.bytes;
    const std::size_t size = packet.size;
    call.last = packet.time;
    ++call.packets;
    if (packet.direction == CallPacket::Direction::In) ++call.in;
    if (packet.direction == CallPacket::Direction::Out) ++call.out;
    for (std::string_view end : {packet.src, packet.dst}) {
        if (end.empty() || call.endpoints.size() >= CallLimits::kEndpoints) continue;
        if (std::find(call.endpoints.begin(), call.endpoints.end(), end) == call.endpoints.end())
            call.endpoints.emplace_back(end);
    }
    char number[kNumberTextSize];
    const auto take_number = [&](std::size_t at, std::string& into) {
        if (size < at + sizeof(_PD_NUMBER)) return;
        _PD_NUMBER* record = reinterpret_cast<_PD_NUMBER*>(const_cast<unsigned char*>(p + at));
        const char* text = number2str(*ws_, record, number, sizeof number, false);
        if (text[0] != '\0') into = text;  // an empty number does not undo one given before
    };
    const unsigned char type = p[offsetof(_PD_PACKET, type)];
    switch (type) {
    case PKT_DIALDIGIT:
        if (size > offsetof(wire::DialDigit, digit) && call.digits.size() < CallLimits::kText) {
            unsigned char code = p[offsetof(wire::DialDigit, digit)];
            char digit[4] = {};
            number2str(digit, sizeof digit, &code, 1);
            call.digits += digit;
        }
        break;
    case PKT_DIALNUMBER:
        take_number(offsetof(wire::DialNumber, called), call.called);
        take_number(offsetof(wire::DialNumber, calling), call.calling);
        break;
    case PKT_CALLINGNUM: take_number(offsetof(wire::CallingNum, calling), call.calling); break;
    case PKT_CNG_SEANCE: take_number(offsetof(wire::CngSeance, calling), call.calling); break;
    case PKT_CONTROL: take_control(call, packet); break;
    case PKT_RTP_DATA:
        if (size >= offsetof(wire::RtpData, rtp) + sizeof(RTP_EXCH::sRTPExchParam) && call.rtp.size() < CallLimits::kRtp) {
            const auto* rtp = reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(p + offsetof(wire::RtpData, rtp));
            scratch_.clear();
            utf8_.append(std::string_view(rtp->address, detail::field_strlen(rtp->address, sizeof rtp->address)),
                         scratch_);
            char* const port = scratch_.room(8);
            *port = ':';
            scratch_.commit(static_cast<std::size_t>(put_decimal(port + 1, detail::load_le16(&rtp->port)) - port));
            if (std::find(call.rtp.begin(), call.rtp.end(), scratch_.view()) == call.rtp.end())
                call.rtp.emplace_back(scratch_.view());
        }
        break;
    default: break;
    }
    std::uint32_t from = 0, to = 0;
    if (packet_link(p, size, from, to) && to != from) take_link(call, to);
    take_names(call, p, size);
    if (call.released && !held.waiting) {
        --open_;
        if (settings_.streaming) return hand_on(held_.find(call.seance)->second);
        released_.push_back(held_.find(call.seance)->second);
        held.waiting = true;
        held.in_released = std::prev(released_.end());
    }
}

void CallModel::take_control(Call& call, const CallPacket& packet) {
    const unsigned char* p = packet.bytes;
    if (packet.size <= offsetof(wire::Control, control)) return;
    const unsigned char code = p[offsetof(wire::Control, control)];
    if (call.events.size() < CallLimits::kEvents)
        call.events.push_back({packet.time, code});
    else
        ++call.events_omitted;
    const unsigned phases = control_phases(code);
    if ((phases & kPhaseAnswer) && !call.answered) {
        call.answered = true;
        call.answer = packet.time;
    }
    if (phases & kPhaseBusy) call.busy = true;
    if (phases & kPhaseReject) call.rejected = true;
    if (phases & kPhaseHold) ++call.holds;
    if (phases & kPhasePtt) ++call.ptt;
    if ((phases & kPhaseRelease) && !call.released) {
        call.released = true;
        call.release = packet.time;
        if (packet.size >= offsetof(wire::Control, cause) + sizeof(_PD_CAUSE)) {
            const unsigned char* c = p + offsetof(wire::Control, cause);
            call.cause = {c[0], c[1], c[2], c[3]};
        }
    }
}

void CallModel::take_names(Call& call, const unsigned char* p, std::size_t size) {
    wire::BlockWalk walk(p, size, wire::block_offset(p[offsetof(_PD_PACKET, type)]));
    while (const unsigned char* param = walk.next()) {
        const unsigned char type = param[0];
        if (std::find(std::begin(kNameParams), std::end(kNameParams), type) == std::end(kNameParams)) continue;
        const char* value = reinterpret_cast<const char*>(param + sizeof(_PD_ADD_PARAM_HEADER));
        const std::size_t length = std::min<std::size_t>(detail::load_le16(param + 2), CallLimits::kText);
        scratch_.clear();
        utf8_.append(std::string_view(value, detail::field_strlen(value, length)), scratch_);
        const char* name = get_name_add_param(type);
        auto it = std::find_if(call.names.begin(), call.names.end(), [&](const auto& n) { return n.first == name; });
        if (it == call.names.end()) it = call.names.emplace(call.names.end(), name, std::string());
        it->second.assign(scratch_.data(), scratch_.size());
    }
}

void CallModel::take_link(Call& call, std::uint32_t to) {
    add_once(call.continues, to, CallLimits::kLinks);
    const auto target = held_.find(to);
    if (target != held_.end()) return add_once(target->second->call.continued_from, call.seance, CallLimits::kLinks);
    if (finished_.count(to) != 0) return;  // handed on already
    auto pending = pending_from_.find(to);
    if (pending == pending_from_.end()) {
        // A new target takes the slot of the oldest, which is forgotten
        // unless its call came (and took it) or a newer slot holds it.
        if (pending_filled_ == pending_ring_.size()) {
            const auto oldest = pending_from_.find(pending_ring_[pending_next_]);
            if (oldest != pending_from_.end() && oldest->second.slot == pending_next_) pending_from_.erase(oldest);
        } else {
            ++pending_filled_;
        }
        pending_ring_[pending_next_] = to;
        pending = pending_from_.emplace(to, Pending{{}, pending_next_}).first;
        pending_next_ = (pending_next_ + 1) % pending_ring_.size();
    }
    add_once(pending->second.from, call.seance, CallLimits::kLinks);
}

void CallModel::hand_on(Order::iterator it) {
    Call& call = it->call;
    if (!call.released) --open_;
    if (it->waiting) released_.erase(it->in_released);
    sink_.finished(call);
    remember_finished(call.seance);
    held_.erase(call.seance);
    if (spare_.size() < kSpares)
        spare_.splice(spare_.end(), order_, it);
    else
        order_.erase(it);
}

// Files: the calls at the head of the order that are released and past their linger.
void CallModel::hand_on_lingered(const CallTime& now) {
    while (!order_.empty()) {
        const Call& call = order_.front().call;
        if (!call.released) return;
        const CallTime& r = call.release;
        bool over = true;
        if (r.timed && now.timed)
            over = nanoseconds_between(r, now) >= kLingerNanoseconds;
        else if (!r.timed && !now.timed)
            over = now.seconds - r.seconds >= kLingerPackets;
        if (!over) return;
        hand_on(order_.begin());
    }
}

// One call fewer held: the first in order when it is released (its linger
// cut short); the oldest open call when too many are open (evicted); else
// the call released first, ahead of its turn.
void CallModel::relieve() {
    Held& head = order_.front();
    if (head.call.released) return hand_on(order_.begin());
    if (open_ > settings_.max_open || released_.empty()) {
        head.call.evicted = true;
        ++evicted_;
        return hand_on(order_.begin());
    }
    hand_on(released_.front());
}

void CallModel::remember_finished(std::uint32_t seance) {
    if (finished_filled_ == finished_ring_.size())
        finished_.erase(finished_ring_[finished_next_]);
    else
        ++finished_filled_;
    finished_ring_[finished_next_] = seance;
    finished_next_ = (finished_next_ + 1) % finished_ring_.size();
    finished_.insert(seance);
}

}  // namespace tool
}  // namespace paketlog
