// One packet's output: its line as UTF-8 text, the library's bytes (--raw) or
// a JSON object, with the capture time and addresses in front and the -x
// dump under it, appended to a buffer the caller reuses.
#ifndef PAKETLOG_TOOLS_OUTPUT_PACKET_WRITER_H
#define PAKETLOG_TOOLS_OUTPUT_PACKET_WRITER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "capture/capture_facts.h"
#include "capture/capture_time.h"
#include "capture/endpoint_text.h"
#include "capture/udp_payload.h"
#include "decode/options.h"
#include "decode/packet_filter.h"
#include "decode/packet_line.h"
#include "paketlog.h"
#include "text/text_buffer.h"
#include "text/text_utf8.h"

namespace paketlog {
namespace tool {

// What the writers of every thread share; read only while packets are decoded.
struct LineFormat {
    explicit LineFormat(const Options& options);

    const Options& options;
    Options incoming;  // the wording of a datagram from --port, and of one to it
    Options outgoing;
    Cp1251ToUtf8 utf8;
    std::array<std::string, 256> names;       // each type's name as printed, UTF-8; "" when unlisted
    // The JSON members a type brings, ready to copy: `,"type":N` and, when
    // listed, `,"name":"NAME"` ("" when not).
    struct JsonMember {
        char text[16] = {};  // copied whole: the room holds it
        unsigned char size = 0;
    };
    std::array<JsonMember, 256> json_types;
    std::array<std::string, 256> json_names;
    PacketFilter filter;                      // --type and --seance
};

// What a packet's bytes say about it, for JSON and the summary.
struct PacketFacts {
    int type = -1;  // -1: too short to have one
    bool listed = false;
    std::int64_t seance = -1;
    bool truncated = false;
};
PacketFacts packet_facts(const LineFormat& format, const unsigned char* packet, std::size_t size);

// One per thread: its own workspace, line and time cache.
class PacketWriter {
public:
    explicit PacketWriter(const LineFormat& format);

    // Appends the output of `packet` to `out`. json_source: the object's
    // opening, `{"source":"NAME"`, of the packet's file. line: the hex
    // trace's line number (0: none); capture: null for hex traces and packet files.
    void write(unsigned char* packet, std::size_t size, std::string_view json_source, unsigned long line,
               const CaptureFacts* capture, TextBuffer& out);

private:
    void write_json(const unsigned char* packet, std::size_t size, std::string_view text,
                    std::string_view json_source, unsigned long line, const CaptureFacts* capture, bool by_port,
                    bool in, TextBuffer& out);

    std::size_t write_endpoints(const CaptureFacts& capture, char* out);

    const LineFormat& format_;
    std::unique_ptr<Workspace> ws_;
    std::unique_ptr<LineText> line_;
    TimeWriter times_;
    // The text of the last two pairs of endpoints: a link's two directions.
    struct Endpoints {
        UdpDatagram::Addresses address;
        unsigned short src_port = 0, dst_port = 0;
        std::size_t size = 0;  // 0: nothing yet
        char text[kEndpointsTextSize] = {};
    };
    std::array<Endpoints, 2> endpoints_;
    std::size_t next_endpoints_ = 0;  // the entry to replace
};

// `{"source":"NAME"` for a file's JSON objects: NAME as the file system holds it.
std::string json_source(const std::string& name);

}  // namespace tool
}  // namespace paketlog

#endif
