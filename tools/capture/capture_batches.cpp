#include "capture/capture_batches.h"

#include <algorithm>
#include <cstring>

#include "capture/switch_side.h"
#include "decode/packet_shape.h"

namespace paketlog {
namespace tool {

CaptureBatchReader::CaptureBatchReader(CaptureReader& capture, const std::string& name, const Options& options,
                                       const PacketFilter& filter, const BpfFilter& bpf,
                                       const std::atomic<bool>& stop, LastKept& last, PcapWriter* saved)
    : capture_(capture), name_(name), options_(options), filter_(filter), bpf_(bpf), stop_(stop), last_(last),
      saved_(saved) {}

bool CaptureBatchReader::read(Batch& batch) {
    if (ended_ || stop_.load(std::memory_order_relaxed)) return false;
    const bool live = !options_.interface.empty();
    // A batch that holds something ends where the next frame would have to be waited for.
    while (batch.input.size() < kBatchBytes && (batch.input.empty() || (!live && capture_.ready()))) {
        if (ended_) break;  // -c reached
        if (stop_.load(std::memory_order_relaxed)) {
            ended_ = true;
            break;
        }
        const CaptureReader::Next next = capture_.next(frame_);
        if (next != CaptureReader::Next::Frame) {
            report_given_up(batch, true);
            if (next == CaptureReader::Next::Error)
                add_report(batch, 0, "cannot read capture at frame " + std::to_string(frame_.number + 1) + ": " +
                                         capture_.error());
            ended_ = true;
            break;
        }
        take(frame_, batch);
    }
    return !batch.input.empty();
}

// The filter for a frame of link type `dlt`: --filter compiled for it, once;
// null when it does not compile for that link type (reported once).
const BpfFilter* CaptureBatchReader::bpf_for(int dlt, unsigned long frame, Batch& batch) {
    if (dlt == capture_.link_type()) return &bpf_;
    auto found = other_bpf_.find(dlt);
    if (found == other_bpf_.end()) {
        auto bpf = std::make_unique<BpfFilter>();
        const std::string error = bpf->compile(dlt, options_.filter);
        if (!error.empty()) {
            add_report(batch, frame, "--filter: " + error + " (link type " + std::to_string(dlt) + "), not decoded");
            bpf.reset();
        }
        found = other_bpf_.emplace(dlt, std::move(bpf)).first;
    }
    return found->second.get();
}

void CaptureBatchReader::take(const CaptureFrame& frame, Batch& batch) {
    const int dlt = frame.link_type >= 0 ? frame.link_type : capture_.link_type();
    const BpfFilter* const bpf = bpf_for(dlt, frame.number, batch);
    if (bpf == nullptr) return;
    UdpDatagram datagram = find_udp_payload(dlt, frame.data, frame.caplen);
    bool kept = true;
    const DatagramKey* pieces = nullptr;  // of a datagram put back together: its frames are held
    UdpDatagram piece;
    if (datagram.kind == UdpDatagram::Kind::Fragment) {
        piece = datagram;
        if (saved_ != nullptr) hold_piece(piece, frame);
        note_piece(piece, frame);
        const bool complete = pieces_.add(datagram, frame, whole_);
        report_given_up(batch, false);
        if (!complete) return;
        pieces = &piece.piece.datagram;
        const auto cut = piece_bytes_.find(*pieces);
        if (cut != piece_bytes_.end() && cut->second.cut) {
            UdpDatagram start = udp_in(whole_.data(), whole_.size());
            start.address = piece.address;
            whole_frame(frame.data, piece, whole_.data(), whole_.size(), rebuilt_);
            const bool keep = start.kind != UdpDatagram::Kind::Udp ||
                              (on_port(start) && bpf->keeps(rebuilt_.data(), rebuilt_.size(), rebuilt_.size()) &&
                               filter_.keeps(start.payload, start.size, true));
            report_cut_pieces(batch, *pieces, frame.number, keep);
            if (saved_ != nullptr) save_pieces(*pieces, keep);
            return;
        }
        piece_bytes_.erase(*pieces);
        datagram = udp_in(whole_.data(), whole_.size());
        datagram.address = piece.address;
        whole_frame(frame.data, piece, whole_.data(), whole_.size(), rebuilt_);
        kept = bpf->keeps(rebuilt_.data(), rebuilt_.size(), rebuilt_.size());
    } else if (datagram.kind != UdpDatagram::Kind::Other) {
        kept = bpf->keeps(frame.data, frame.caplen, frame.length);
    }
    // -w: the frames of a datagram shown or reported are written, others dropped.
    const auto saving = [&](bool keep) {
        if (saved_ == nullptr) return;
        if (pieces != nullptr) return save_pieces(*pieces, keep);
        if (keep) save(frame);
    };
    if (datagram.kind == UdpDatagram::Kind::Other || !kept) return saving(false);
    // Reports follow the filters as lines do, as far as what was captured lets them judge.
    if (datagram.kind == UdpDatagram::Kind::Cut) {
        const bool keep = filter_.keeps(nullptr, 0, true);
        if (keep) add_report(batch, frame.number, "UDP datagram cut short by the capture before its payload");
        return saving(keep);
    }
    if (datagram.kind == UdpDatagram::Kind::Deep) {
        const bool keep = filter_.keeps(nullptr, 0, true);
        if (keep) add_report(batch, frame.number, "more than " + std::to_string(kMaxVlanTags) + " VLAN tags, not decoded");
        return saving(keep);
    }
    // A payload the snapshot length cut: the capture's doing, not the sender's.
    const bool cut = pieces == nullptr && frame.caplen < frame.length && datagram.udp_length >= 8 &&
                     datagram.size < datagram.udp_length - 8;
    if (!on_port(datagram) || !filter_.keeps(datagram.payload, datagram.size, cut)) return saving(false);
    saving(true);
    if (cut)
        return add_report(batch, frame.number,
                          "datagram cut by the capture, " + std::to_string(datagram.size) + " of " +
                              std::to_string(datagram.udp_length - 8) + " bytes captured");
    if (datagram.size == 0) return add_report(batch, frame.number, "empty packet");
    if (datagram.size > kMaxPacketLength)  // an IPv6 jumbogram, or an IPv4 length left to the link
        return add_report(batch, frame.number, "packet longer than " + std::to_string(kMaxPacketLength) + " bytes");
    CaptureRecord record;
    record.size = static_cast<std::uint32_t>(datagram.size);
    record.facts.frame = frame.number;
    record.facts.time = frame.time;
    if (!last_.any) last_.first = frame.time;
    record.facts.previous = options_.time == TimeFormat::First ? last_.first : last_.time;
    record.facts.has_previous = last_.any || options_.time == TimeFormat::First;
    record.facts.address = datagram.address;
    record.facts.src_port = datagram.src_port;
    record.facts.dst_port = datagram.dst_port;
    batch.input.append(reinterpret_cast<const char*>(&record), sizeof record);
    batch.input.append(reinterpret_cast<const char*>(datagram.payload), datagram.size);
    last_.time = frame.time;
    last_.any = true;
    if (options_.count != 0 && ++last_.count >= options_.count) ended_ = true;  // read no further than -c
}

void CaptureBatchReader::note_piece(const UdpDatagram& piece, const CaptureFrame& frame) {
    PieceBytes& p = piece_bytes_[piece.piece.datagram];
    if (p.first_frame == 0) p.first_frame = frame.number;
    p.captured += piece.size;
    p.length += piece.piece.length;
    p.cut = p.cut || (piece.size < piece.piece.length && frame.caplen < frame.length);
    while (piece_bytes_.size() > 2 * Reassembler::kMaxOpen) {  // those the reassembler let go unannounced
        auto oldest = piece_bytes_.begin();
        for (auto it = piece_bytes_.begin(); it != piece_bytes_.end(); ++it)
            if (it->second.first_frame < oldest->second.first_frame) oldest = it;
        piece_bytes_.erase(oldest);
    }
}

bool CaptureBatchReader::report_cut_pieces(Batch& batch, const DatagramKey& datagram, unsigned long frame, bool keep) {
    const auto found = piece_bytes_.find(datagram);
    if (found == piece_bytes_.end() || !found->second.cut) return false;
    const PieceBytes p = found->second;
    piece_bytes_.erase(found);
    // Counted as the packet is: its UDP header left out.
    const auto payload = [](std::size_t n) { return std::to_string(n < 8 ? 0 : n - 8); };
    if (keep)
        add_report(batch, frame,
                   "fragmented datagram cut by the capture, " + payload(p.captured) + " of " + payload(p.length) +
                       " bytes captured, not decoded");
    return true;
}

void CaptureBatchReader::save(const CaptureFrame& frame) {
    if (frame.link_type >= 0 && frame.link_type != capture_.link_type()) return;  // -w holds one link type
    saved_->write(frame.time, frame.data, frame.caplen, frame.length, !options_.interface.empty());
}

// Frames of pieces are held, within bounds, until their datagram is known:
// past them, the datagram whose first piece came first is let go.
void CaptureBatchReader::hold_piece(const UdpDatagram& piece, const CaptureFrame& frame) {
    if (frame.link_type >= 0 && frame.link_type != capture_.link_type()) return;  // -w holds one link type
    constexpr std::size_t kMaxHeldBytes = std::size_t{8} << 20;
    HeldPieces& held = held_[piece.piece.datagram];
    if (held.frames.empty()) held.first_frame = frame.number;
    held.frames.push_back({frame.time, frame.length, std::vector<unsigned char>(frame.data, frame.data + frame.caplen)});
    held_bytes_ += frame.caplen;
    while (held_bytes_ > kMaxHeldBytes || held_.size() > 2 * Reassembler::kMaxOpen) {
        auto oldest = held_.begin();
        for (auto it = held_.begin(); it != held_.end(); ++it)
            if (it->second.first_frame < oldest->second.first_frame) oldest = it;
        save_pieces(oldest->first, false);
    }
}

void CaptureBatchReader::save_pieces(const DatagramKey& datagram, bool keep) {
    const auto found = held_.find(datagram);
    if (found == held_.end()) return;
    for (const HeldFrame& f : found->second.frames) {
        if (keep) saved_->write(f.time, f.bytes.data(), f.bytes.size(), f.length, !options_.interface.empty());
        held_bytes_ -= f.bytes.size();
    }
    held_.erase(found);
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
    if (!options_.switches.empty() &&
        switch_side(options_.switches, d.address, d.src_port, d.dst_port) == SwitchSide::Neither)
        return false;
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
    UdpDatagram d = header ? udp_in(p.start.data(), p.start.size()) : UdpDatagram();
    d.address = p.piece.address;
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
        const bool keep = may_keep(lost.notes);
        if (saved_ != nullptr && !lost.notes.head.empty()) save_pieces(lost.notes.piece.piece.datagram, keep);
        if (!lost.notes.head.empty() && report_cut_pieces(batch, lost.notes.piece.piece.datagram, lost.frame, keep))
            continue;
        if (!lost.notes.head.empty()) piece_bytes_.erase(lost.notes.piece.piece.datagram);
        if (!keep) continue;
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
    if (all) {
        held_.clear();
        held_bytes_ = 0;
        piece_bytes_.clear();
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
