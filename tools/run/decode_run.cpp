#include "run/decode_run.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "hex/hex_batches.h"
#include "hex/input_files.h"

namespace paketlog {
namespace tool {
namespace {

constexpr const char* kStdinName = "<stdin>";

// Whether a regular file opens with a capture's magic number. Standard
// input, pipes and devices are not read ahead (their first bytes would be
// gone): they are hex traces unless --pcap or -r says otherwise.
bool is_capture(const std::string& path) {
    struct stat info {};
    if (path == "-" || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    unsigned char head[4];
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return looks_like_capture(head, n);
}

}  // namespace

DecodeRun::DecodeRun(const Options& options, OutputWriter& out, PacketObserver* observer)
    : options_(options), out_(out), observer_(observer), format_(options),
      jobs_(options.count != 0 || options.stats || !options.interface.empty() || options.calls ||
                    options.follow >= 0 || observer != nullptr
                ? 1
            : options.jobs != 0 ? options.jobs
                                : default_jobs()) {
    for (unsigned w = 0; w < jobs_; ++w) workers_.push_back(std::make_unique<Worker>(format_));
    if (options.calls) calls_ = std::make_unique<CallList>(options);
}

std::string DecodeRun::set_filters() {
    std::string error = format_.filter.set(options_);
    if (error.empty() && !options_.filter.empty()) {
        error = BpfFilter().compile(1, options_.filter);
        if (!error.empty()) error = "--filter: " + error;
    }
    return error;
}

int DecodeRun::run() {
    if (options_.follow >= 0) find_followed();
    if (calls_) out_.write(calls_->head());
    if (!options_.interface.empty()) {
        run_live();
    } else if (options_.files.empty()) {
        run_file("-");
    } else {
        for (const std::string& file : options_.files) {
            if (stop_) break;
            run_file(file);
        }
    }
    if (calls_) {
        TextBuffer rest;
        calls_->finish(rest);
        const std::string report = calls_->eviction_report();
        if (!report.empty()) out_.report(report);
        out_.write(rest.view());
    }
    if (options_.stats) out_.write(options_.json ? summary_.json(format_.names) : summary_.text(format_.names));
    if (!out_.flush()) {
        out_.report("paketlog: error writing the output\n");
        return 1;
    }
    if (live_failed_) return 2;
    return skipped_ ? 1 : 0;
}

// Counts the packet (-c) and adds it to the summary (--stats); whether to
// write it. Both options decode in one thread, so the counts see the
// packets in input order.
bool DecodeRun::count_shown(const unsigned char* packet, std::size_t size, const CaptureTime* time) {
    if (options_.count != 0 && ++shown_ >= options_.count) stop_ = true;
    if (options_.stats) {
        const PacketFacts f = packet_facts(format_, packet, size);
        summary_.add(f.type, f.listed, f.seance, f.truncated, time);
    }
    return !options_.quiet;
}

// Two passes when every input is a file that can be read again: the first
// finds the links among the packets the filters keep. Otherwise (live,
// standard input, a pipe) one pass follows each link from when it is seen.
void DecodeRun::find_followed() {
    const auto seance = static_cast<std::uint32_t>(options_.follow);
    bool twice = options_.interface.empty() && !options_.files.empty();
    for (const std::string& file : options_.files) {
        struct stat info {};
        if (file == "-" || ::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) twice = false;
    }
    if (twice) {
        links_pass_ = true;
        for (const std::string& file : options_.files) run_file(file);
        links_pass_ = false;
        follow_ = std::make_unique<FollowedSeances>(links_.followed(seance));
        links_ = SeanceLinks();
        last_kept_ = LastKept();
        packets_read_ = 0;
    } else {
        follow_ = std::make_unique<FollowedSeances>(seance);
        follow_learns_ = true;
    }
    if (calls_) calls_->follow(follow_.get());
}

bool DecodeRun::followed(const unsigned char* packet, std::size_t size) {
    if (!follow_ && !links_pass_) return true;
    std::uint32_t from = 0, to = 0;
    if (links_pass_) {
        if (packet_link(packet, size, from, to)) links_.add(from, to);
        return false;
    }
    if (follow_learns_ && packet_link(packet, size, from, to)) follow_->link(from, to);
    std::uint32_t seance = 0;
    return calls_ != nullptr || (call_seance(packet, size, seance) && follow_->contains(seance));
}

void DecodeRun::add_call(const unsigned char* packet, std::size_t size, const CaptureFacts* facts, TextBuffer& out) {
    if (facts != nullptr)
        calls_->add(packet, size, *facts, out);
    else
        calls_->add(packet, size, packets_read_, out);
    const std::string report = calls_->eviction_report();
    if (!report.empty()) out_.report(report);
}

// A report outside every batch: a file that cannot be read, a capture that cannot be decoded.
void DecodeRun::report_now(const std::string& where, const std::string& what) {
    if (links_pass_) return;  // the second pass reports it
    out_.report("paketlog: " + where + ": " + what + "\n");
    skipped_ = true;
    summary_.reported();
}

void DecodeRun::write_batch(const Batch& batch) {
    if (links_pass_) return;  // the second pass writes it
    batch.write_to(out_);
    for (std::size_t i = 0; i < batch.reports(); ++i) summary_.reported();
    if (batch.has_reports()) skipped_ = true;
    if (out_.failed()) stop_ = true;  // a closed pipe: nobody reads the rest
}

void DecodeRun::keep(Worker& worker, unsigned char* packet, std::size_t size, std::string_view source,
                     unsigned long line, const CaptureFacts* capture, TextBuffer& out) {
    if (observer_ == nullptr) return worker.writer.write(packet, size, source, line, capture, out);
    observed_.clear();
    worker.writer.write(packet, size, source, line, capture, observed_);
    std::string_view text = observed_.view();
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    observer_->packet(packet, size, line, packets_read_, capture, text);
}

void DecodeRun::run_file(const std::string& path) {
    const std::string name = path == "-" ? kStdinName : path;
    switch (options_.input) {
    case InputFormat::Auto: return is_capture(path) ? run_pcap(path, name) : run_hex(path, name);
    case InputFormat::Hex: return run_hex(path, name);
    case InputFormat::Binary: return run_binary(path, name);
    case InputFormat::Pcap: return run_pcap(path, name);
    }
}

void DecodeRun::run_hex(const std::string& path, const std::string& name) {
    InputFile in(path);
    if (in.error() != 0) return report_now(name, std::strerror(in.error()));
    HexBatchReader reader(in, stop_);
    const std::string source = options_.json ? json_source(name) : std::string();
    decode_in_parallel(
        jobs_, [&](Batch& batch) { return reader.read(batch); },
        [&](unsigned worker, Batch& batch) { decode_hex(*workers_[worker], batch, name, source); },
        [&](const Batch& batch) { write_batch(batch); }, 0, reserve_batch);
    if (reader.failed() && !stop_) report_now(name, std::strerror(in.error()));
}

void DecodeRun::decode_hex(Worker& worker, Batch& batch, const std::string& name, std::string_view source) {
    HexBatchLines lines(batch);
    std::string_view text;
    bool too_long = false;
    PacketBytes& bytes = *worker.bytes;
    const auto report = [&](const std::string& fault) {
        batch.report("paketlog: " + name + ":" + std::to_string(lines.number()) + ": " + fault + "\n");
    };
    while (!done()) {
        HexScan scan;
        if (lines.next_plain(bytes.data(), scan.size)) {
            scan.kind = HexScan::Kind::Packet;
        } else {
            if (!lines.next(text, too_long)) break;
            if (too_long) {
                report("line longer than " + std::to_string(LineReader::kMaxLine) + " characters");
                continue;
            }
            scan = scan_hex_line(text, bytes);
            if (scan.kind == HexScan::Kind::Error) {
                report(hex_fault_text(scan));
                continue;
            }
        }
        if (scan.kind != HexScan::Kind::Packet) continue;
        if (calls_) ++packets_read_;  // one thread decodes with --calls
        if (!format_.filter.keeps(bytes.data(), scan.size) || !followed(bytes.data(), scan.size) ||
            !show(bytes.data(), scan.size, nullptr))
            continue;
        if (calls_) {
            add_call(bytes.data(), scan.size, nullptr, batch.output);
            continue;
        }
        keep(worker, bytes.data(), scan.size, source, lines.number(), nullptr, batch.output);
    }
}

void DecodeRun::run_binary(const std::string& path, const std::string& name) {
    InputFile in(path);
    std::vector<unsigned char> packet;
    switch (in.error() != 0 ? PacketFile::Error : read_packet_file(in, kMaxPacketLength, packet)) {
    case PacketFile::Error: return report_now(name, std::strerror(in.error()));
    case PacketFile::Empty: return report_now(name, "empty packet");
    case PacketFile::TooLong: return report_now(name, "packet longer than " + std::to_string(kMaxPacketLength) + " bytes");
    case PacketFile::Packet: break;
    }
    if (calls_) ++packets_read_;
    if (!format_.filter.keeps(packet.data(), packet.size()) || !followed(packet.data(), packet.size()) ||
        !show(packet.data(), packet.size(), nullptr))
        return;
    if (calls_) {
        add_call(packet.data(), packet.size(), nullptr, out_.text());
        out_.line_done();
        return;
    }
    const std::string source = options_.json ? json_source(name) : std::string();
    keep(*workers_[0], packet.data(), packet.size(), source, 0, nullptr, out_.text());
    out_.line_done();
    if (out_.failed()) stop_ = true;
}

void DecodeRun::run_pcap(const std::string& path, const std::string& name) {
    CaptureReader capture;
    if (!capture.open(path)) return report_now(name, "cannot read capture: " + capture.error());
    run_capture(capture, name);
}

void DecodeRun::run_live() {
    CaptureReader capture;
    // Pieces of fragmented datagrams pass the capture filter, to be judged whole here.
    const std::string pieces = "(" + options_.filter + ") or (ip[6:2] & 0x3fff != 0) or (ip6 and ip6[6] == 44)";
    if (!capture.open_live(options_.interface, options_.filter.empty() ? "" : pieces) &&
        (options_.filter.empty() || !capture.open_live(options_.interface, options_.filter))) {
        out_.report("paketlog: " + capture.error() + "\n");
        live_failed_ = true;
        return;
    }
    out_.report("paketlog: listening on " + options_.interface + ", link-type " + capture.link_type_name() + "\n");
    run_capture(capture, options_.interface);
}

void DecodeRun::run_capture(CaptureReader& capture, const std::string& name) {
    if (!link_type_supported(capture.link_type()))
        return report_now(name, "link type " + capture.link_type_name() + " is not supported");
    BpfFilter bpf;
    const std::string error = bpf.compile(capture.link_type(), options_.filter);
    if (!error.empty()) return report_now(name, "--filter: " + error);
    CaptureBatchReader reader(capture, name, options_, format_.filter, bpf, stop_, last_kept_);
    const std::string source = options_.json ? json_source(name) : std::string();
    decode_in_parallel(
        jobs_, [&](Batch& batch) { return reader.read(batch); },
        [&](unsigned worker, Batch& batch) { decode_capture(*workers_[worker], batch, source); },
        [&](const Batch& batch) { write_batch(batch); }, 0, reserve_batch);
}

void DecodeRun::decode_capture(Worker& worker, Batch& batch, std::string_view source) {
    CaptureBatchRecords records(batch);
    CaptureRecord record;
    std::string_view bytes;
    while (!done() && records.next(record, bytes)) {
        if (record.kind == CaptureRecord::Kind::Report) {
            batch.report(bytes);
            continue;
        }
        // The payload, in the batch this thread holds now.
        unsigned char* const packet =
            reinterpret_cast<unsigned char*>(batch.input.data() + (bytes.data() - batch.input.view().data()));
        if (!followed(packet, bytes.size()) || !show(packet, bytes.size(), &record.facts.time)) continue;
        if (calls_) {
            add_call(packet, bytes.size(), &record.facts, batch.output);
            continue;
        }
        keep(worker, packet, bytes.size(), source, 0, &record.facts, batch.output);
    }
}

}  // namespace tool
}  // namespace paketlog
