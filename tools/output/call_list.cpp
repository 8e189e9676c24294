#include "output/call_list.h"

#include <cstring>

#include "text/decimal_text.h"

namespace paketlog {
namespace tool {
namespace {

CallModel::Settings settings_of(const Options& options) {
    CallModel::Settings s;
    s.streaming = !options.interface.empty();
    return s;
}

// The width of the table's start column: that of the times it will show.
std::size_t start_width(const Options& options) {
    if (options.time == TimeFormat::None) return 5;
    TimeWriter writer;
    char text[TimeWriter::kTimeTextSize];
    const std::size_t n = writer.write(options.time, CaptureTime{}, text);
    return n < 5 ? 5 : n;
}

}  // namespace

CallList::CallList(const Options& options)
    : options_(options), model_(settings_of(options), *this), table_(start_width(options)) {}

std::string CallList::head() const {
    TextBuffer out;
    if (options_.csv)
        append_call_csv_header(options_.port >= 0, out);
    else if (!options_.json)
        table_.header(out);
    return std::string(out.view());
}

const CallList::Endpoints& CallList::endpoints(const CaptureFacts& c) {
    for (const Endpoints& e : endpoints_) {
        if (e.known && e.src_port == c.src_port && e.dst_port == c.dst_port &&
            std::memcmp(&e.address, &c.address, sizeof e.address) == 0)
            return e;
    }
    Endpoints& e = endpoints_[next_endpoints_];
    next_endpoints_ ^= 1;
    e.known = true;
    e.address = c.address;
    e.src_port = c.src_port;
    e.dst_port = c.dst_port;
    const auto text = [&](bool source, unsigned short port, char* out) {
        char* p = out + write_address(c.address, source, out);
        *p++ = '.';
        return static_cast<std::size_t>(put_decimal(p, port) - out);
    };
    e.src_size = text(true, c.src_port, e.src);
    e.dst_size = text(false, c.dst_port, e.dst);
    return e;
}

void CallList::add(const unsigned char* packet, std::size_t size, const CaptureFacts& facts, TextBuffer& out) {
    CallPacket p;
    p.bytes = packet;
    p.size = size;
    p.time.seconds = facts.time.seconds;
    p.time.nanoseconds = facts.time.nanoseconds;
    p.time.digits = static_cast<unsigned char>(facts.time.digits);
    p.time.timed = true;
    const Endpoints& e = endpoints(facts);
    p.src = std::string_view(e.src, e.src_size);
    p.dst = std::string_view(e.dst, e.dst_size);
    if (options_.port >= 0)
        p.direction = facts.src_port == options_.port ? CallPacket::Direction::In : CallPacket::Direction::Out;
    add(p, out);
}

void CallList::add(const unsigned char* packet, std::size_t size, unsigned long long number, TextBuffer& out) {
    CallPacket p;
    p.bytes = packet;
    p.size = size;
    p.time.seconds = static_cast<std::int64_t>(number);
    add(p, out);
}

void CallList::add(const CallPacket& packet, TextBuffer& out) {
    out_ = &out;
    model_.add(packet);
    out_ = nullptr;
}

void CallList::finish(TextBuffer& out) {
    out_ = &out;
    model_.finish();
    out_ = nullptr;
}

std::string CallList::eviction_report() {
    if (!evicted_ || eviction_reported_) return "";
    eviction_reported_ = true;
    return "paketlog: more than " + std::to_string(CallModel::kMaxOpen) +
           " calls open at once: the oldest open call is closed as evicted, and so on\n";
}

void CallList::finished(const Call& call) {
    if (call.evicted) evicted_ = true;
    if (out_ == nullptr || (followed_ != nullptr && !followed_->contains(call.seance))) return;
    const bool directed = options_.port >= 0;
    if (options_.json) return append_call_json(call, directed, *out_);
    if (options_.csv) return append_call_csv(call, directed, *out_);
    char start[TimeWriter::kTimeTextSize];
    std::size_t n = 0;
    if (!call.first.timed) {
        n = static_cast<std::size_t>(put_decimal(start, static_cast<std::uint64_t>(call.first.seconds)) - start);
    } else {
        CaptureTime t;
        t.seconds = call.first.seconds;
        t.nanoseconds = call.first.nanoseconds;
        t.digits = call.first.digits;
        n = times_.write(options_.time, t, start);
    }
    table_.row(call, std::string_view(start, n), *out_);
}

}  // namespace tool
}  // namespace paketlog
