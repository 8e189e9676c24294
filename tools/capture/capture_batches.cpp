#include "capture/capture_batches.h"

#include <algorithm>
#include <cstring>

#include "decode/packet_shape.h"

namespace paketlog {
namespace tool {

CaptureBatchReader::CaptureBatchReader(CaptureReader& capture, const std::string& name, const Options& options,
                                       const PacketFilter& filter, const BpfFilter& bpf,
                                       const std::atomic<bool>& stop, LastKept& last)
    : capture_(capture), name_(name), options_(options), filter_(filter), bpf_(bpf), stop_(stop), last_(last) {}

bool CaptureBatchReader::read(Batch& batch) {
    if (ended_ || stop_.load(std::memory_order_relaxed)) return false;
    const bool live = !options_.interface.empty();
    while (batch.input.size() < kBatchBytes && !(live && !batch.input.empty())) {
        if (stop_.load(std::memory_order_relaxed)) {
            ended_ = true;
            break;
        }
        const CaptureReader::Next next = capture_.next(frame_);
        if (next != CaptureReader::Next::Frame) {
            report_given_up(batch, true);
            if (next == CaptureReader::Next::Error)
                add_report(batch, 0, "cannot read capture after frame " + std::to_string(frame_.number) + ": " +
                                         capture_.error());
            ended_ = true;
            break;
        }
        take(frame_, batch);
    }
    return !batch.input.empty();
}

void CaptureBatchReader::take(const CaptureFrame& frame, Batch& batch) {
    UdpDatagram datagram = find_udp_payload(capture_.link_type(), frame.data, frame.caplen);
    bool kept = true;
    if (datagram.kind == UdpDatagram::Kind::Fragment) {
        const UdpDatagram piece = datagram;
        const bool complete = pieces_.add(datagram, frame, whole_);
        report_given_up(batch, false);
        if (!complete) return;
        datagram = udp_in(whole_.data(), whole_.size());
        datagram.address = piece.address;
        whole_frame(frame.data, piece, whole_.data(), whole_.size(), rebuilt_);
        kept = bpf_.keeps(rebuilt_.data(), rebuilt_.size(), rebuilt_.size());
    } else if (datagram.kind != UdpDatagram::Kind::Other) {
        kept = bpf_.keeps(frame.data, frame.caplen, frame.length);
    }
    if (datagram.kind == UdpDatagram::Kind::Other || !kept) return;
    // Reports follow the filters as lines do, as far as what was captured lets them judge.
    if (datagram.kind == UdpDatagram::Kind::Cut) {
        if (filter_.keeps(nullptr, 0, true))
            add_report(batch, frame.number, "UDP datagram cut short by the capture before its payload");
        return;
    }
    if (datagram.kind == UdpDatagram::Kind::Deep) {
        if (filter_.keeps(nullptr, 0, true))
            add_report(batch, frame.number, "more than " + std::to_string(kMaxVlanTags) + " VLAN tags, not decoded");
        return;
    }
    if (!on_port(datagram) || !filter_.keeps(datagram.payload, datagram.size)) return;
    if (datagram.size == 0) return add_report(batch, frame.number, "empty packet");
    if (datagram.size > kMaxPacketLength)  // an IPv6 jumbogram, or an IPv4 length left to the link
        return add_report(batch, frame.number, "packet longer than " + std::to_string(kMaxPacketLength) + " bytes");
    CaptureRecord record;
    record.size = static_cast<std::uint32_t>(datagram.size);
    record.facts.frame = frame.number;
    record.facts.time = frame.time;
    record.facts.previous = last_.time;
    record.facts.has_previous = last_.any;
    record.facts.address = datagram.address;
    record.facts.src_port = datagram.src_port;
    record.facts.dst_port = datagram.dst_port;
    batch.input.append(reinterpret_cast<const char*>(&record), sizeof record);
    batch.input.append(reinterpret_cast<const char*>(datagram.payload), datagram.size);
    last_.time = frame.time;
    last_.any = true;
}

// frame 0: the capture as a whole.
void CaptureBatchReader::add_report(Batch& batch, unsigned long frame, const std::string& what) {
    std::string message = "paketlog: " + name_;
    if (frame != 0) message += ": frame " + std::to_string(frame);
    message += ": " + what + "\n";
    CaptureRecord record;
    record.kind = CaptureRecord::Kind::Report;
    record.size = static_cast<std::uint32_t>(message.size());
    batch.input.append(reinterpret_cast<const char*>(&record), sizeof record);
    batch.input.append(message);
}

bool CaptureBatchReader::on_port(const UdpDatagram& d) const {
    return options_.port < 0 || d.src_port == options_.port || d.dst_port == options_.port;
}

// Whether a datagram that never came together may be one the filters keep:
// judged on what its pieces showed, the link and IP headers of the first
// that brought bytes, and its first bytes when they came. Without its UDP
// header, --filter sees the frame up to the IP header (so an expression on
// ports does not keep it), and --port cannot judge.
bool CaptureBatchReader::may_keep(const Reassembler::Notes& p) {
    if (p.head.empty()) return true;
    const bool header = p.start.size() >= 8;
    const UdpDatagram d = header ? udp_in(p.start.data(), p.start.size()) : UdpDatagram();
    if (header && !on_port(d)) return false;
    whole_frame(p.head.data(), p.piece, p.start.data(), header ? p.start.size() : 0, rebuilt_);
    if (!bpf_.keeps(rebuilt_.data(), rebuilt_.size(), rebuilt_.size())) return false;
    return filter_.keeps(d.payload, d.size, true);
}

// A fragmented datagram is decoded in the frame of its last piece; one that
// never came together is named by the frame of its first, one refused by
// the frame of the piece that showed the fault. Either is reported only
// when the filters may keep it. all: the capture ended, every open one is given up.
void CaptureBatchReader::report_given_up(Batch& batch, bool all) {
    for (const Reassembler::GivenUp& lost : pieces_.given_up(all)) {
        if (!may_keep(lost.notes)) continue;
        using Why = Reassembler::GivenUp::Why;
        std::string what;
        switch (lost.why) {
        case Why::Incomplete:
            what = "incomplete (" + std::to_string(lost.have) +
                   (lost.need == 0 ? " bytes, its last piece missing)"
                                   : " of " + std::to_string(lost.need) + " bytes)");
            break;
        case Why::Overlap:
            what = "with overlapping pieces of different bytes (first piece in frame " +
                   std::to_string(lost.first_frame) + ")";
            break;
        case Why::TooLong:
            what = "too long (a piece ends at byte " + std::to_string(lost.end) + ", past " +
                   std::to_string(Reassembler::kMaxSize) + ")";
            break;
        case Why::TooManyPieces:
            what = "in more than " + std::to_string(Reassembler::kMaxPieces) + " pieces";
            break;
        case Why::ConflictingEnds:
            what = "with last pieces ending at bytes " + std::to_string(std::min(lost.need, lost.end)) + " and " +
                   std::to_string(std::max(lost.need, lost.end)) + " (first piece in frame " +
                   std::to_string(lost.first_frame) + ")";
            break;
        case Why::PastEnd:
            what = "with a piece ending at byte " + std::to_string(lost.end) + ", past its end at byte " +
                   std::to_string(lost.need) + " (first piece in frame " + std::to_string(lost.first_frame) + ")";
            break;
        }
        add_report(batch, lost.frame, "fragmented datagram " + what + ", not decoded");
    }
}

bool CaptureBatchRecords::next(CaptureRecord& record, std::string_view& bytes) {
    if (rest_.size() < sizeof record) return false;
    std::memcpy(&record, rest_.data(), sizeof record);
    rest_.remove_prefix(sizeof record);
    bytes = rest_.substr(0, record.size);
    rest_.remove_prefix(record.size);
    return true;
}

}  // namespace tool
}  // namespace paketlog
