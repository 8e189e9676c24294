// The tap's packets go to the call model in frame order, as the command's
// go in input order; each call it hands on becomes a row, written out at
// the end. A C++ exception must not leave a callback for Wireshark's C
// frames: each callback catches them, and a failed listing stops.
#include "stats_calls.h"

#include <epan/packet.h>
#include <epan/stat_tap_ui.h>
#include <epan/to_str.h>
#include <epan/tap.h>
#include <wsutil/report_message.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "calls/call_model.h"
#include "calls/call_render.h"
#include "packet_tap.h"
#include "text/civil_time.h"
#include "text/text_buffer.h"

namespace paketlog {
namespace ws {
namespace {

constexpr const char* kArgument = "paketlog,calls";

class CallListing : private tool::CallSink {
public:
    explicit CallListing(bool json) : json_(json), table_(start_width()), model_(tool::CallModel::Settings{}, *this) {}

    void add(const PacketTap& p, const packet_info* pinfo) {
        tool::CallPacket packet;
        packet.bytes = p.packet;
        packet.size = p.length;
        packet.time.seconds = pinfo->abs_ts.secs;
        packet.time.nanoseconds = static_cast<std::uint32_t>(pinfo->abs_ts.nsecs);
        packet.time.digits = pinfo->rec != nullptr && pinfo->rec->tsprec > 6 ? 9 : 6;
        packet.time.timed = true;
        src_ = endpoint(p.src, p.src_port);
        dst_ = endpoint(p.dst, p.dst_port);
        packet.src = src_;
        packet.dst = dst_;
        packet.direction = p.incoming ? tool::CallPacket::Direction::In : tool::CallPacket::Direction::Out;
        model_.add(packet);
    }

    // Every call still held, then the list.
    void print() {
        model_.finish();
        if (json_) {
            std::fwrite(rows_.view().data(), 1, rows_.view().size(), stdout);
            return;
        }
        tool::TextBuffer head;
        table_.header(head);
        const char* rule = "==================================================================";
        std::printf("\n%s\nPAKETLOG calls\n", rule);
        std::fwrite(head.view().data(), 1, head.view().size(), stdout);
        std::fwrite(rows_.view().data(), 1, rows_.view().size(), stdout);
        std::printf("%s\n", rule);
    }

private:
    static std::size_t start_width() {
        char text[tool::kIsoTimeSize];
        return static_cast<std::size_t>(tool::put_iso_utc(text, 0, 0, 6) - text);
    }

    // "192.0.2.10.40000", as the command writes an endpoint.
    static std::string endpoint(const address& a, guint32 port) {
        char* text = address_to_str(nullptr, &a);
        std::string shown = text;
        wmem_free(nullptr, text);
        return shown + "." + std::to_string(port);
    }

    void finished(const tool::Call& call) override {
        if (json_) return tool::append_call_json(call, true, rows_);
        char start[tool::kIsoTimeSize];
        const char* end = tool::put_iso_utc(start, call.first.seconds, call.first.nanoseconds, call.first.digits);
        table_.row(call, std::string_view(start, static_cast<std::size_t>(end - start)), rows_);
    }

    bool json_;
    tool::CallTable table_;
    tool::TextBuffer rows_;
    tool::CallModel model_;
    std::string src_, dst_;
};

struct Listener {
    bool json = false;
    CallListing* listing = nullptr;
    bool failed = false;
};

void fail(Listener& l, const char* what) {
    l.failed = true;
    report_failure("paketlog,calls: %s", what);
}

tap_packet_status add_packet(void* data, packet_info* pinfo, epan_dissect_t*, const void* tap, tap_flags_t) {
    auto& l = *static_cast<Listener*>(data);
    if (l.failed) return TAP_PACKET_FAILED;
    try {
        l.listing->add(*static_cast<const PacketTap*>(tap), pinfo);
        return TAP_PACKET_DONT_REDRAW;
    } catch (const std::exception& e) {
        fail(l, e.what());
        return TAP_PACKET_FAILED;
    }
}

void print_calls(void* data) {
    auto& l = *static_cast<Listener*>(data);
    if (l.failed) return;
    try {
        l.listing->print();
    } catch (const std::exception& e) {
        fail(l, e.what());
    }
}

void start_listing(Listener& l) {
    try {
        l.listing = new CallListing(l.json);
    } catch (const std::exception& e) {
        fail(l, e.what());
    }
}

void reset_calls(void* data) {
    auto& l = *static_cast<Listener*>(data);
    delete l.listing;
    l.listing = nullptr;
    l.failed = false;
    start_listing(l);
}

void free_listener(void* data) {
    auto* l = static_cast<Listener*>(data);
    delete l->listing;
    delete l;
}

// "paketlog,calls", then ",json" and ",FILTER", each if given.
void start_calls(const char* argument, void*) {
    const char* rest = argument + std::strlen(kArgument);
    auto* l = new Listener();
    if (std::strncmp(rest, ",json", 5) == 0 && (rest[5] == '\0' || rest[5] == ',')) {
        l->json = true;
        rest += 5;
    }
    const char* filter = *rest == ',' ? rest + 1 : nullptr;
    start_listing(*l);
    GString* error = register_tap_listener(kTapName, l, filter, TL_REQUIRES_NOTHING, reset_calls, add_packet,
                                           print_calls, free_listener);
    if (error != nullptr) {
        report_failure("Couldn't register paketlog,calls tap: %s", error->str);
        g_string_free(error, TRUE);
        free_listener(l);
    }
}

stat_tap_ui calls_ui = {REGISTER_PACKET_STAT_GROUP_UNSORTED, "PAKETLOG calls", kArgument, start_calls, 0, nullptr};

}  // namespace

void register_call_statistics() { register_stat_tap_ui(&calls_ui, nullptr); }

}  // namespace ws
}  // namespace paketlog
