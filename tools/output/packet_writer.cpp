#include "output/packet_writer.h"

#include <cstring>

#include "capture/endpoint_text.h"
#include "capture/switch_side.h"
#include "decode/packet_shape.h"
#include "output/hex_dump.h"
#include "text/decimal_text.h"
#include "text/json_text.h"

namespace paketlog {
namespace tool {

namespace {

constexpr char kJsonType[] = ",\"type\":";
// The decoded line is handed to the UTF-8 step in place, the array's slack behind it.
static_assert(kLineSlack >= Cp1251ToUtf8::kPadding, "the line array holds the UTF-8 step's padding");

}  // namespace

LineFormat::LineFormat(const Options& o) : options(o), incoming(o), outgoing(o) {
    incoming.msg_type = 1;
    incoming.incoming = true;
    outgoing.msg_type = 2;
    outgoing.incoming = false;
    for (std::size_t type = 0; type < names.size(); ++type) {
        names[type] = utf8.convert(packet_type_name(static_cast<int>(type), o.testcall));
        if (!names[type].empty()) json_names[type] = ",\"name\":" + json_string(names[type]);
        JsonMember& member = json_types[type];
        char* const end = put_decimal(member.text + sizeof kJsonType - 1, type);
        std::memcpy(member.text, kJsonType, sizeof kJsonType - 1);
        member.size = static_cast<unsigned char>(end - member.text);
    }
}

PacketFacts packet_facts(const LineFormat& format, const unsigned char* packet, std::size_t size) {
    PacketFacts facts;
    facts.type = packet_type(packet, size);
    facts.listed = facts.type >= 0 && !format.names[static_cast<std::size_t>(facts.type)].empty();
    facts.seance = facts.listed ? packet_seance(packet, size) : -1;
    facts.truncated = packet_truncated(packet, size);
    return facts;
}

PacketWriter::PacketWriter(const LineFormat& format)
    : format_(format), ws_(std::make_unique<Workspace>()), line_(std::make_unique<LineText>()) {}

void PacketWriter::write(unsigned char* packet, std::size_t size, std::string_view json_source, unsigned long line,
                         const CaptureFacts* capture, TextBuffer& out) {
    const Options& options = format_.options;
    // The direction: from the switch (--switch) is incoming, else from its port.
    const bool by_switch = capture != nullptr && !options.switches.empty();
    const bool by_port = by_switch || (capture != nullptr && options.port >= 0);
    const bool in = !by_port || (by_switch ? switch_side(options.switches, capture->address, capture->src_port,
                                                         capture->dst_port) == SwitchSide::From
                                           : capture->src_port == options.port);
    const Options& wording = !by_port || options.direction_given ? options : in ? format_.incoming : format_.outgoing;
    const std::string_view text = decode_packet_text(wording, *ws_, *line_, packet, size);
    if (options.json) return write_json(packet, size, text, json_source, line, capture, by_port, in, out);
    if (capture != nullptr) {
        char* const start = out.room(TimeWriter::kTimeTextSize + 1 + kEndpointsTextSize + 1);
        char* p = start;
        if (options.time == TimeFormat::Delta || options.time == TimeFormat::First) times_.follow(capture->has_previous ? &capture->previous : nullptr);
        const std::size_t n = times_.write(options.time, capture->time, p);
        p += n;
        if (n != 0) *p++ = ' ';
        p += write_endpoints(*capture, p);
        *p++ = ' ';
        out.commit(static_cast<std::size_t>(p - start));
    }
    if (options.raw)
        out.append(text);
    else
        format_.utf8.append(Cp1251ToUtf8::PaddedText{text}, out);
    out.push_back('\n');
    if (options.hex_dump) append_hex_lines(out, packet, size);
}

// `out` has room for kEndpointsTextSize bytes.
std::size_t PacketWriter::write_endpoints(const CaptureFacts& c, char* out) {
    for (const Endpoints& e : endpoints_) {
        if (e.size != 0 && e.src_port == c.src_port && e.dst_port == c.dst_port &&
            std::memcmp(&e.address, &c.address, sizeof e.address) == 0) {
            std::memcpy(out, e.text, sizeof e.text);  // all of it: a copy of fixed length, within the room
            return e.size;
        }
    }
    Endpoints& e = endpoints_[next_endpoints_];
    next_endpoints_ ^= 1;
    e.address = c.address;
    e.src_port = c.src_port;
    e.dst_port = c.dst_port;
    e.size = tool::write_endpoints(c.address, c.src_port, c.dst_port, e.text);
    std::memcpy(out, e.text, sizeof e.text);
    return e.size;
}

namespace {

// A literal's characters (its NUL left out) at `p`.
template <std::size_t N>
char* put(char* p, const char (&literal)[N]) {
    std::memcpy(p, literal, N - 1);
    return p + N - 1;
}

char* put(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// The longest member names, numbers, time and addresses of one object, without source, name and text.
constexpr std::size_t kJsonHeadSize = 512;

}  // namespace

void PacketWriter::write_json(const unsigned char* packet, std::size_t size, std::string_view text,
                              std::string_view json_source, unsigned long line, const CaptureFacts* capture,
                              bool by_port, bool in, TextBuffer& out) {
    const int type = packet_type(packet, size);
    const std::string_view name = capture != nullptr && type >= 0
                                      ? std::string_view(format_.json_names[static_cast<std::size_t>(type)])
                                      : std::string_view();
    char* const start = out.room(json_source.size() + name.size() + kJsonHeadSize);
    char* p = put(start, json_source);
    if (capture != nullptr) {
        p = put_decimal(put(p, ",\"frame\":"), capture->frame);
        p = put(p, ",\"time\":\"");
        p += TimeWriter::write_iso_utc(capture->time, p);
        p = put(p, "\",\"src\":\"");
        p += write_address(capture->address, true, p);
        p = put_decimal(put(p, "\",\"sport\":"), capture->src_port);
        p = put(p, ",\"dst\":\"");
        p += write_address(capture->address, false, p);
        p = put_decimal(put(p, "\",\"dport\":"), capture->dst_port);
        if (by_port) p = in ? put(p, ",\"direction\":\"in\"") : put(p, ",\"direction\":\"out\"");
    } else if (line != 0) {
        p = put_decimal(put(p, ",\"line\":"), line);
    }
    p = put_decimal(put(p, ",\"length\":"), size);
    if (type < 0) {
        p = put(p, ",\"type\":null");
    } else {
        const LineFormat::JsonMember& member = format_.json_types[static_cast<std::size_t>(type)];
        std::memcpy(p, member.text, sizeof member.text);
        p += member.size;
    }
    if (!name.empty()) {
        p = put(p, name);
        const std::int64_t seance = packet_seance(packet, size);
        if (seance >= 0) p = put_decimal(put(p, ",\"seance\":"), static_cast<unsigned long long>(seance));
    }
    p = packet_truncated(packet, size) ? put(p, ",\"truncated\":true,\"text\":")
                                       : put(p, ",\"truncated\":false,\"text\":");
    out.commit(static_cast<std::size_t>(p - start));
    format_.utf8.append_json(Cp1251ToUtf8::PaddedText{text}, out);
    if (format_.options.hex_dump) {
        out.append(",\"hex\":\"");
        append_hex_digits(out, packet, size);
        out.push_back('"');
    }
    out.append("}\n");
}

std::string json_source(const std::string& name) { return "{\"source\":" + json_string(name); }

}  // namespace tool
}  // namespace paketlog
