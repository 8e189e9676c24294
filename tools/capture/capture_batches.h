// A capture cut into batches for the decoding threads (-j). The reading
// thread does everything that must see the frames in order: it finds each
// UDP payload, puts fragmented datagrams back together, applies --filter,
// --port, --type and --seance, and reports what it cannot decode; into the
// batch go the datagrams to show (where they came from, and their payload)
// and the reports, in capture order.
#ifndef PAKETLOG_TOOLS_CAPTURE_CAPTURE_BATCHES_H
#define PAKETLOG_TOOLS_CAPTURE_CAPTURE_BATCHES_H

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capture/bpf_filter.h"
#include "capture/capture_facts.h"
#include "capture/capture_reader.h"
#include "capture/ip_reassembly.h"
#include "capture/pcap_writer.h"
#include "decode/packet_filter.h"
#include "parallel/parallel_decode.h"

namespace paketlog {
namespace tool {

// The datagrams kept so far, across the captures of a run: the time of the
// first (--time=first) and of the last (--time=delta), and how many (-c).
struct LastKept {
    CaptureTime time;
    CaptureTime first;
    bool any = false;
    unsigned long count = 0;
};

class CaptureBatchReader {
public:
    // `bpf` is compiled for the capture's link type; `name` names it in
    // reports. Stops at the next batch once *stop is set. `saved`, when not
    // null, gets every frame of each datagram shown or reported (-w).
    CaptureBatchReader(CaptureReader& capture, const std::string& name, const Options& options,
                       const PacketFilter& filter, const BpfFilter& bpf, const std::atomic<bool>& stop,
                       LastKept& last, PcapWriter* saved = nullptr);

    // Fills batch.input with the next datagrams and reports; false when the
    // capture has ended. A live capture's batch ends at each datagram.
    bool read(Batch& batch);

private:
    void take(const CaptureFrame& frame, Batch& batch);
    void add_report(Batch& batch, unsigned long frame, const std::string& what);
    void report_given_up(Batch& batch, bool all);
    bool on_port(const UdpDatagram& d) const;
    bool may_keep(const Reassembler::Notes& notes);
    void save(const CaptureFrame& frame);
    const BpfFilter* bpf_for(int dlt, unsigned long frame, Batch& batch);
    void hold_piece(const UdpDatagram& piece, const CaptureFrame& frame);

    using DatagramKey = decltype(UdpDatagram::Piece::datagram);
    void save_pieces(const DatagramKey& datagram, bool keep);
    // What the pieces of an open datagram brought, and whether the capture cut any.
    struct PieceBytes {
        unsigned long first_frame = 0;
        std::size_t captured = 0;  // of its UDP header and payload
        std::size_t length = 0;    // the same by the IP headers
        bool cut = false;
    };
    void note_piece(const UdpDatagram& piece, const CaptureFrame& frame);
    // A datagram whose pieces the capture cut is reported once, when it is known; true when it was.
    bool report_cut_pieces(Batch& batch, const DatagramKey& datagram, unsigned long frame, bool keep);

    // A piece's frame held until its datagram is known to be kept (-w).
    struct HeldFrame {
        CaptureTime time;
        std::size_t length = 0;
        std::vector<unsigned char> bytes;
    };
    struct HeldPieces {
        unsigned long first_frame = 0;
        std::vector<HeldFrame> frames;
    };

    CaptureReader& capture_;
    const std::string& name_;
    const Options& options_;
    const PacketFilter& filter_;
    const BpfFilter& bpf_;
    const std::atomic<bool>& stop_;
    CaptureFrame frame_;
    Reassembler pieces_;
    std::vector<unsigned char> whole_;    // a datagram put back together from its pieces
    std::vector<unsigned char> rebuilt_;  // the frame it would have been, for --filter
    LastKept& last_;
    PcapWriter* saved_;
    std::map<DatagramKey, HeldPieces> held_;
    std::size_t held_bytes_ = 0;
    std::map<DatagramKey, PieceBytes> piece_bytes_;
    std::map<int, std::unique_ptr<BpfFilter>> other_bpf_;  // --filter for the other link types of a pcapng
    bool ended_ = false;
};

// One entry of a capture batch.
struct CaptureRecord {
    enum class Kind : std::uint32_t { Packet, Report };
    Kind kind = Kind::Packet;
    std::uint32_t size = 0;  // bytes that follow: the payload, or the report's message
    CaptureFacts facts;      // Kind::Packet
};

// The entries of a batch, in order.
class CaptureBatchRecords {
public:
    explicit CaptureBatchRecords(const Batch& batch) : rest_(batch.input.view()) {}
    // The next entry and its bytes; false after the last.
    bool next(CaptureRecord& record, std::string_view& bytes);

private:
    std::string_view rest_;
};

}  // namespace tool
}  // namespace paketlog

#endif
