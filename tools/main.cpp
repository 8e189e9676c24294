// paketlog: decodes signalling packets from hex traces, raw packet files and
// UDP captures into operator or test-call log lines.
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "capture_reader.h"
#include "hex_trace.h"
#include "input_files.h"
#include "ip_reassembly.h"
#include "json_text.h"
#include "options.h"
#include "packet_line.h"
#include "packet_shape.h"
#include "paketlog.h"
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
    long long seconds = 0;
    long microseconds = 0;
};

class Decoder {
public:
    explicit Decoder(const Options& options) : options_(options) {
        if (!options_.raw) utf8_ = std::make_unique<Cp1251ToUtf8>();
    }

    int run() {
        if (options_.files.empty()) {
            run_file("-");
        } else {
            for (const std::string& file : options_.files) run_file(file);
        }
        std::fflush(stdout);
        if (std::ferror(stdout)) {
            std::fprintf(stderr, "paketlog: error writing the output\n");
            return 1;
        }
        return skipped_ ? 1 : 0;
    }

private:
    void run_file(const std::string& path) {
        const std::string name = path == "-" ? kStdinName : path;
        switch (options_.input) {
        case InputFormat::Hex: run_hex(path, name); break;
        case InputFormat::Binary: run_binary(path, name); break;
        case InputFormat::Pcap: run_pcap(path, name); break;
        }
    }

    void report(const std::string& where, const std::string& what) {
        std::fprintf(stderr, "paketlog: %s: %s\n", where.c_str(), what.c_str());
        skipped_ = true;
    }

    void run_hex(const std::string& path, const std::string& name) {
        InputFile in(path);
        if (in.error() != 0) return report(name, std::strerror(in.error()));
        LineReader lines(in);
        std::string_view text;
        for (;;) {
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
        if (!link_type_supported(capture.link_type()))
            return report(name, "link type " + capture.link_type_name() + " is not supported");
        CaptureFrame frame;
        Reassembler pieces;
        std::vector<unsigned char> whole;  // a datagram put back together from its pieces
        for (;;) {
            const CaptureReader::Next next = capture.next(frame);
            if (next != CaptureReader::Next::Frame) {
                for (const Reassembler::GivenUp& lost : pieces.given_up(true)) report_given_up(name, lost);
                if (next == CaptureReader::Next::End) return;
                return report(name, "cannot read capture after frame " + std::to_string(frame.number) + ": " +
                                        capture.error());
            }
            UdpDatagram datagram = find_udp_payload(capture.link_type(), frame.data, frame.caplen);
            if (datagram.kind == UdpDatagram::Kind::Fragment) {
                const bool complete = pieces.add(datagram, frame.number, whole);
                for (const Reassembler::GivenUp& lost : pieces.given_up(false)) report_given_up(name, lost);
                if (!complete) continue;
                datagram = udp_in(whole.data(), whole.size());
            }
            if (datagram.kind == UdpDatagram::Kind::Other) continue;
            const std::string where = name + ": frame " + std::to_string(frame.number);
            if (datagram.kind == UdpDatagram::Kind::Cut) {
                report(where, "UDP datagram cut short by the capture before its payload");
                continue;
            }
            if (options_.port >= 0 && datagram.src_port != options_.port && datagram.dst_port != options_.port)
                continue;
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
            origin.seconds = frame.seconds;
            origin.microseconds = frame.microseconds;
            emit(packet, origin, clock_time(frame.seconds, frame.microseconds) + " ");
        }
    }

    // A fragmented datagram is decoded in the frame of its last piece; one that
    // never came together is named by the frame of its first, one refused by
    // the frame of the piece that showed the fault.
    void report_given_up(const std::string& name, const Reassembler::GivenUp& lost) {
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

    void emit(std::vector<unsigned char>& packet, const Origin& origin, const std::string& stamp) {
        const std::string line = decode_packet_line(options_, packet);
        std::string out;
        if (options_.json) {
            out = "{\"source\":" + json_string(utf8_->convert(origin.source));
            if (origin.frame != 0) {
                out += ",\"frame\":" + std::to_string(origin.frame);
                out += ",\"time\":\"" + utc_time(origin.seconds, origin.microseconds) + "\"";
            } else if (origin.line != 0) {
                out += ",\"line\":" + std::to_string(origin.line);
            }
            out += ",\"length\":" + std::to_string(packet.size());
            const int type = packet_type(packet.data(), packet.size());
            out += ",\"type\":" + (type < 0 ? std::string("null") : std::to_string(type));
            out += ",\"truncated\":";
            out += packet_truncated(packet.data(), packet.size()) ? "true" : "false";
            out += ",\"text\":" + json_string(utf8_->convert(line)) + "}\n";
        } else {
            out = stamp + (options_.raw ? line : utf8_->convert(line)) + "\n";
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    }

    const Options& options_;
    std::unique_ptr<Cp1251ToUtf8> utf8_;
    bool skipped_ = false;
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
        return decoder.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "paketlog: %s\n", e.what());
        return 1;
    }
}
