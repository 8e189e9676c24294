// One run of the command over its inputs: hex traces, packet files,
// captures or a live interface, decoded in -j threads, written in input order.
#ifndef PAKETLOG_TOOLS_RUN_DECODE_RUN_H
#define PAKETLOG_TOOLS_RUN_DECODE_RUN_H

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calls/follow.h"
#include "capture/capture_batches.h"
#include "decode/options.h"
#include "hex/hex_trace.h"
#include "output/call_list.h"
#include "output/packet_writer.h"
#include "output/summary.h"
#include "parallel/output_writer.h"
#include "parallel/parallel_decode.h"

namespace paketlog {
namespace tool {

// What a run hands each packet it keeps instead of writing it (--flow,
// --html): its bytes, its line as it would be written (without the newline),
// the hex trace's line number (0: none), its number among the packets read
// (the first is 1; --calls numbers hex traces' packets so) and, for
// captures, where it came from.
class PacketObserver {
public:
    virtual ~PacketObserver() = default;
    virtual void packet(const unsigned char* packet, std::size_t size, unsigned long line, unsigned long long number,
                        const CaptureFacts* capture, std::string_view text) = 0;
};

class DecodeRun {
public:
    // With an observer, packets go to it rather than to `out`, in input
    // order, from one thread; reports still go to `out`.
    DecodeRun(const Options& options, OutputWriter& out, PacketObserver* observer = nullptr);

    // What is wrong with --type, --seance or --filter, or "".
    std::string set_filters();
    // Decodes every input; returns the exit status.
    int run();

    // The threads that decode: -j, but one with -c, --stats, -i, --calls,
    // --follow and an observer, which count, sum up, write, follow or take
    // packet by packet in input order.
    unsigned jobs() const { return jobs_; }

private:
    // What each decoding thread owns.
    struct Worker {
        explicit Worker(const LineFormat& format) : writer(format), bytes(std::make_unique<PacketBytes>()) {}
        PacketWriter writer;
        std::unique_ptr<PacketBytes> bytes;
    };

    bool done() const { return options_.count != 0 && shown_ >= options_.count; }
    // Whether to write a packet that passed the filter (-q); without -c and --stats nothing is counted.
    bool show(const unsigned char* packet, std::size_t size, const CaptureTime* time) {
        if (options_.count == 0 && !options_.stats) return !options_.quiet;
        return count_shown(packet, size, time);
    }
    bool count_shown(const unsigned char* packet, std::size_t size, const CaptureTime* time);
    void report_now(const std::string& where, const std::string& what);
    // --follow: the seances followed, from a first pass over the files when
    // they can be read twice.
    void find_followed();
    // Whether a packet the filters keep is one of the followed seances'
    // (always, without --follow; with --calls, the calls are chosen instead).
    bool followed(const unsigned char* packet, std::size_t size);
    // --calls: the packet to the call list instead of its line.
    void add_call(const unsigned char* packet, std::size_t size, const CaptureFacts* facts, TextBuffer& out);

    void run_file(const std::string& path);
    void run_hex(const std::string& path, const std::string& name);
    void run_binary(const std::string& path, const std::string& name);
    void run_pcap(const std::string& path, const std::string& name);
    void run_live();
    void run_capture(CaptureReader& capture, const std::string& name);

    void decode_hex(Worker& worker, Batch& batch, const std::string& name, std::string_view source);
    void decode_capture(Worker& worker, Batch& batch, std::string_view source);
    void write_batch(const Batch& batch);
    // Writes the packet's output into `out`, or hands it to the observer.
    void keep(Worker& worker, unsigned char* packet, std::size_t size, std::string_view source, unsigned long line,
              const CaptureFacts* capture, TextBuffer& out);

    const Options& options_;
    OutputWriter& out_;
    PacketObserver* observer_;
    TextBuffer observed_;  // the line handed to the observer
    LineFormat format_;
    unsigned jobs_;
    std::vector<std::unique_ptr<Worker>> workers_;
    Summary summary_;
    LastKept last_kept_;
    unsigned long shown_ = 0;       // with -c only
    std::atomic<bool> stop_{false};  // -c reached, or the output failed: read no more
    bool skipped_ = false;
    bool live_failed_ = false;
    std::unique_ptr<CallList> calls_;       // --calls
    std::unique_ptr<FollowedSeances> follow_;  // --follow
    bool follow_learns_ = false;  // one pass: each link is followed from when it is seen
    bool links_pass_ = false;     // the first of two passes: links only, nothing written
    SeanceLinks links_;
    unsigned long long packets_read_ = 0;  // --calls on hex traces and packet files: the packet's number
};

}  // namespace tool
}  // namespace paketlog

#endif
