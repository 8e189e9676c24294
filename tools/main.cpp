// paketlog: decodes signalling packets from hex traces, raw packet files and
// UDP captures into operator or test-call log lines.
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "bpf_filter.h"
#include "capture_reader.h"
#include "capture_time.h"
#include "endpoint_text.h"
#include "first_pieces.h"
#include "hex_print.h"
#include "hex_trace.h"
#include "input_files.h"
#include "ip_reassembly.h"
#include "json_text.h"
#include "options.h"
#include "packet_filter.h"
#include "packet_line.h"
#include "packet_shape.h"
#include "paketlog.h"
#include "summary.h"
#include "text_utf8.h"
#include "udp_payload.h"

namespace paketlog {
namespace tool {
namespace {

constexpr const char* kStdinName = "<stdin>";

// Where a packet came from, for the JSON object.
struct Origin {
    std::string source;
    unsigned long line = 0;   // hex traces
    unsigned long frame = 0;  // captures
    CaptureTime time;
    const UdpDatagram* datagram = nullptr;  // captures: addresses and ports
};

class Decoder {
public:
    explicit Decoder(const Options& options) : options_(options), incoming_(options), outgoing_(options) {
        utf8_ = std::make_unique<Cp1251ToUtf8>();
        incoming_.msg_type = 1;
        incoming_.incoming = true;
        outgoing_.msg_type = 2;
        outgoing_.incoming = false;
        for (int type = 0; type < 256; ++type)
            names_[static_cast<std::size_t>(type)] = utf8_->convert(packet_type_name(type, options_.testcall));
    }

    // What is wrong with the filters, or "".
    std::string set_filters() {
        std::string error = packet_filter_.set(options_);
        if (error.empty() && !options_.filter.empty()) {
            error = BpfFilter().compile(1, options_.filter);
            if (!error.empty()) error = "--filter: " + error;
        }
        return error;
    }

    int run() {
        if (options_.line_buffered) std::setvbuf(stdout, nullptr, _IOLBF, 0);
        if (!options_.interface.empty()) {
            run_live();
        } else if (options_.files.empty()) {
            run_file("-");
        } else {
            for (const std::string& file : options_.files) {
                if (done()) break;
                run_file(file);
            }
        }
        if (options_.stats) {
            const std::string summary = options_.json ? summary_.json(names_) : summary_.text(names_);
            std::fwrite(summary.data(), 1, summary.size(), stdout);
        }
        std::fflush(stdout);
        if (std::ferror(stdout)) {
            std::fprintf(stderr, "paketlog: error writing the output\n");
            return 1;
        }
        return skipped_ ? 1 : 0;
    }

private:
    bool done() const { return options_.count != 0 && shown_ >= options_.count; }

    void run_file(const std::string& path) {
        const std::string name = path == "-" ? kStdinName : path;
        switch (options_.input) {
        case InputFormat::Auto: return is_capture(path) ? run_pcap(path, name) : run_hex(path, name);
        case InputFormat::Hex: run_hex(path, name); break;
        case InputFormat::Binary: run_binary(path, name); break;
        case InputFormat::Pcap: run_pcap(path, name); break;
        }
    }

    // Whether a regular file opens with a capture's magic number. Standard
    // input, pipes and devices are not read ahead (their first bytes would be
    // gone): they are hex traces unless --pcap or -r says otherwise.
    static bool is_capture(const std::string& path) {
        struct stat info {};
        if (path == "-" || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return false;
        unsigned char head[4];
        const std::size_t n = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
        return looks_like_capture(head, n);
    }

    void report(const std::string& where, const std::string& what) {
        std::fprintf(stderr, "paketlog: %s: %s\n", where.c_str(), what.c_str());
        skipped_ = true;
        summary_.reported();
    }

    void run_hex(const std::string& path, const std::string& name) {
        InputFile in(path);
        if (in.error() != 0) return report(name, std::strerror(in.error()));
        LineReader lines(in);
        std::string_view text;
        while (!done()) {
            const LineReader::Next next = lines.next(text);
            if (next == LineReader::Next::End) return;
            if (next == LineReader::Next::Error) return report(name, std::strerror(in.error()));
            if (next == LineReader::Next::TooLong) {
                report(name + ":" + std::to_string(lines.number()),
                       "line longer than " + std::to_string(LineReader::kMaxLine) + " characters");
                continue;
            }
            HexLine line = parse_hex_line(text);
            if (line.kind == HexLine::Kind::Error) {
                report(name + ":" + std::to_string(lines.number()), line.error);
            } else if (line.kind == HexLine::Kind::Packet) {
                Origin origin;
                origin.source = name;
                origin.line = lines.number();
                emit(line.bytes, origin, "");
            }
        }
    }

    void run_binary(const std::string& path, const std::string& name) {
        InputFile in(path);
        std::vector<unsigned char> packet;
        switch (in.error() != 0 ? PacketFile::Error : read_packet_file(in, kMaxPacketLength, packet)) {
        case PacketFile::Error: return report(name, std::strerror(in.error()));
        case PacketFile::Empty: return report(name, "empty packet");
        case PacketFile::TooLong:
            return report(name, "packet longer than " + std::to_string(kMaxPacketLength) + " bytes");
        case PacketFile::Packet: break;
        }
        Origin origin;
        origin.source = name;
        emit(packet, origin, "");
    }

    void run_pcap(const std::string& path, const std::string& name) {
        CaptureReader capture;
        if (!capture.open(path)) return report(name, "cannot read capture: " + capture.error());
        run_capture(capture, name);
    }

    void run_live() {
        CaptureReader capture;
        // Pieces of fragmented datagrams pass the capture filter, to be judged whole here.
        const std::string pieces = "(" + options_.filter + ") or (ip[6:2] & 0x3fff != 0) or (ip6 and ip6[6] == 44)";
        if (!capture.open_live(options_.interface, options_.filter.empty() ? "" : pieces) &&
            (options_.filter.empty() || !capture.open_live(options_.interface, options_.filter))) {
            std::fprintf(stderr, "paketlog: %s\n", capture.error().c_str());
            live_failed_ = true;
            return;
        }
        std::fprintf(stderr, "paketlog: listening on %s, link-type %s\n", options_.interface.c_str(),
                     capture.link_type_name().c_str());
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        run_capture(capture, options_.interface);
    }

    void run_capture(CaptureReader& capture, const std::string& name) {
        if (!link_type_supported(capture.link_type()))
            return report(name, "link type " + capture.link_type_name() + " is not supported");
        const std::string error = bpf_.compile(capture.link_type(), options_.filter);
        if (!error.empty()) return report(name, "--filter: " + error);
        CaptureFrame frame;
        Reassembler pieces;
        FirstPieces pending;
        std::vector<unsigned char> whole;    // a datagram put back together from its pieces
        std::vector<unsigned char> rebuilt;  // the frame it would have been, for --filter
        while (!done()) {
            const CaptureReader::Next next = capture.next(frame);
            if (next != CaptureReader::Next::Frame) {
                for (const Reassembler::GivenUp& lost : pieces.given_up(true)) report_given_up(name, lost, pending);
                if (next == CaptureReader::Next::End) return;
                return report(name, "cannot read capture after frame " + std::to_string(frame.number) + ": " +
                                        capture.error());
            }
            UdpDatagram datagram = find_udp_payload(capture.link_type(), frame.data, frame.caplen);
            bool kept = true;
            if (datagram.kind == UdpDatagram::Kind::Fragment) {
                pending.note(datagram, frame);
                const UdpDatagram piece = datagram;
                const bool complete = pieces.add(datagram, frame.number, whole);
                for (const Reassembler::GivenUp& lost : pieces.given_up(false)) report_given_up(name, lost, pending);
                if (!complete) continue;
                pending.forget(piece);
                datagram = udp_in(whole.data(), whole.size());
                datagram.address = piece.address;
                whole_frame(frame.data, piece, whole.data(), whole.size(), rebuilt);
                kept = bpf_.keeps(rebuilt.data(), rebuilt.size(), rebuilt.size());
            } else if (datagram.kind != UdpDatagram::Kind::Other) {
                kept = bpf_.keeps(frame.data, frame.caplen, frame.length);
            }
            if (datagram.kind == UdpDatagram::Kind::Other || !kept) continue;
            const std::string where = name + ": frame " + std::to_string(frame.number);
            if (datagram.kind == UdpDatagram::Kind::Cut) {
                report(where, "UDP datagram cut short by the capture before its payload");
                continue;
            }
            if (!on_port(datagram)) continue;
            if (datagram.size == 0) {
                report(where, "empty packet");
                continue;
            }
            if (datagram.size > kMaxPacketLength) {  // an IPv6 jumbogram, or an IPv4 length left to the link
                report(where, "packet longer than " + std::to_string(kMaxPacketLength) + " bytes");
                continue;
            }
            std::vector<unsigned char> packet(datagram.payload, datagram.payload + datagram.size);
            Origin origin;
            origin.source = name;
            origin.frame = frame.number;
            origin.time = frame.time;
            origin.datagram = &datagram;
            emit(packet, origin);
        }
    }

    bool on_port(const UdpDatagram& d) const {
        return options_.port < 0 || d.src_port == options_.port || d.dst_port == options_.port;
    }

    // Whether a datagram that never came together may be one the filters keep:
    // judged on its first piece's headers and first bytes, when they came.
    bool may_keep(const FirstPieces::Notes& p) {
        if (p.start.size() < 8) return true;
        UdpDatagram d = udp_in(p.start.data(), p.start.size());
        if (!on_port(d)) return false;
        whole_frame(p.head.data(), p.piece, p.start.data(), p.start.size(), scratch_);
        if (!bpf_.keeps(scratch_.data(), scratch_.size(), scratch_.size())) return false;
        return packet_filter_.keeps(d.payload, d.size, true);
    }

    // A fragmented datagram is decoded in the frame of its last piece; one that
    // never came together is named by the frame of its first, one refused by
    // the frame of the piece that showed the fault. Either is reported only
    // when the filters may keep it.
    void report_given_up(const std::string& name, const Reassembler::GivenUp& lost, FirstPieces& pending) {
        FirstPieces::Notes notes;
        if (pending.take(lost.first_frame, notes) && !may_keep(notes)) return;
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
            what = "too long (a piece ends at byte " + std::to_string(lost.need) + ", past " +
                   std::to_string(Reassembler::kMaxSize) + ")";
            break;
        case Why::TooManyPieces:
            what = "in more than " + std::to_string(Reassembler::kMaxPieces) + " pieces";
            break;
        }
        report(name + ": frame " + std::to_string(lost.frame), "fragmented datagram " + what + ", not decoded");
    }

    // Hex traces and packet files: no capture time to show.
    void emit(std::vector<unsigned char>& packet, const Origin& origin, const char*) { emit(packet, origin); }

    void emit(std::vector<unsigned char>& packet, const Origin& origin) {
        if (!packet_filter_.keeps(packet.data(), packet.size())) return;
        const UdpDatagram* d = origin.datagram;
        const bool by_port = d != nullptr && options_.port >= 0;
        const bool in = !by_port || d->src_port == options_.port;
        const Options& wording = !by_port || options_.direction_given ? options_ : in ? incoming_ : outgoing_;
        const std::string line = decode_packet_line(wording, packet);
        ++shown_;
        const bool described = options_.json || options_.stats;  // type, seance and truncation wanted
        const int type = packet_type(packet.data(), packet.size());
        const bool listed = type >= 0 && !names_[static_cast<std::size_t>(type)].empty();
        const std::int64_t seance = listed && described ? packet_seance(packet.data(), packet.size()) : -1;
        const bool truncated = described && packet_truncated(packet.data(), packet.size());
        if (options_.stats) summary_.add(type, listed, seance, truncated, d != nullptr ? &origin.time : nullptr);
        if (options_.quiet) return;
        char text[kEndpointsTextSize + TimeWriter::kTimeTextSize];
        std::string& out = out_;
        out.clear();
        if (options_.json) {
            out += "{\"source\":" + json_string(origin.source);
            if (d != nullptr) {
                out += ",\"frame\":" + std::to_string(origin.frame) + ",\"time\":\"";
                out.append(text, TimeWriter::write_iso_utc(origin.time, text));
                out += "\",\"src\":\"";
                out.append(text, write_address(d->address, true, text));
                out += "\",\"sport\":" + std::to_string(d->src_port) + ",\"dst\":\"";
                out.append(text, write_address(d->address, false, text));
                out += "\",\"dport\":" + std::to_string(d->dst_port);
                if (by_port) out += in ? ",\"direction\":\"in\"" : ",\"direction\":\"out\"";
            } else if (origin.line != 0) {
                out += ",\"line\":" + std::to_string(origin.line);
            }
            out += ",\"length\":" + std::to_string(packet.size());
            out += ",\"type\":" + (type < 0 ? std::string("null") : std::to_string(type));
            if (listed && d != nullptr) out += ",\"name\":" + json_string(names_[static_cast<std::size_t>(type)]);
            if (seance >= 0 && d != nullptr) out += ",\"seance\":" + std::to_string(seance);
            out += ",\"truncated\":";
            out += truncated ? "true" : "false";
            out += ",\"text\":" + json_string(utf8_->convert(line));
            if (options_.hex_dump) {
                out += ",\"hex\":\"";
                append_hex_digits(out, packet.data(), packet.size());
                out += '"';
            }
            out += "}\n";
        } else {
            if (d != nullptr) {
                const std::size_t n = times_.write(options_.time, origin.time, text);
                out.append(text, n);
                if (n != 0) out += ' ';
                out.append(text, write_endpoints(*d, text));
                out += ' ';
            }
            out += options_.raw ? line : utf8_->convert(line);
            out += '\n';
            if (options_.hex_dump) append_hex_lines(out, packet.data(), packet.size());
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    }

    const Options& options_;
    Options incoming_;  // the wording of a datagram from --port, and to it
    Options outgoing_;
    std::unique_ptr<Cp1251ToUtf8> utf8_;
    Summary::Names names_;
    PacketFilter packet_filter_;
    BpfFilter bpf_;
    TimeWriter times_;
    Summary summary_;
    std::string out_;
    std::vector<unsigned char> scratch_;
    unsigned long shown_ = 0;
    bool skipped_ = false;

public:
    bool live_failed_ = false;
};

}  // namespace
}  // namespace tool
}  // namespace paketlog

int main(int argc, char** argv) {
    using namespace paketlog::tool;
    const ParsedOptions parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "paketlog: %s\nTry 'paketlog --help' for more information.\n", parsed.error.c_str());
        return 2;
    }
    const Options& options = parsed.options;
    if (options.help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("paketlog %s\n", PAKETLOG_VERSION);
        return 0;
    }
    try {
        Decoder decoder(options);
        const std::string error = decoder.set_filters();
        if (!error.empty()) {
            std::fprintf(stderr, "paketlog: %s\nTry 'paketlog --help' for more information.\n", error.c_str());
            return 2;
        }
        const int status = decoder.run();
        return decoder.live_failed_ ? 2 : status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "paketlog: %s\n", e.what());
        return 1;
    }
}
