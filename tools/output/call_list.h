// The call list (--calls): the packets the filters keep go to the call model
// in input order, and each call it hands on is written as a table row, a
// JSON object or a CSV row; with --follow, only the calls of the followed
// seances.
#ifndef PAKETLOG_TOOLS_OUTPUT_CALL_LIST_H
#define PAKETLOG_TOOLS_OUTPUT_CALL_LIST_H

#include <array>
#include <cstddef>
#include <string>

#include "calls/call_model.h"
#include "calls/call_render.h"
#include "calls/follow.h"
#include "capture/capture_facts.h"
#include "capture/capture_time.h"
#include "capture/endpoint_text.h"
#include "decode/options.h"
#include "text/text_buffer.h"

namespace paketlog {
namespace tool {

class CallList : private CallSink {
public:
    explicit CallList(const Options& options);

    // What opens the list: the table's or the CSV header ("" for JSON).
    std::string head() const;
    // A packet of a capture, and one of a hex trace or packet file with its
    // number in the input (the first packet of the run is 1). Rows of the
    // calls it ends are appended to `out`.
    void add(const unsigned char* packet, std::size_t size, const CaptureFacts& facts, TextBuffer& out);
    void add(const unsigned char* packet, std::size_t size, unsigned long long number, TextBuffer& out);
    // Rows of every call still held.
    void finish(TextBuffer& out);

    // Only the calls of these seances are written (null: every call). The
    // set may grow while calls come.
    void follow(const FollowedSeances* followed) { followed_ = followed; }

    // The message to report the first time a call is evicted, once; "" otherwise.
    std::string eviction_report();

private:
    void finished(const Call& call) override;
    void add(const CallPacket& packet, TextBuffer& out);
    struct Endpoints;
    const Endpoints& endpoints(const CaptureFacts& facts);

    const Options& options_;
    CallModel model_;
    CallTable table_;
    TimeWriter times_;
    const FollowedSeances* followed_ = nullptr;
    TextBuffer* out_ = nullptr;
    bool evicted_ = false;
    bool eviction_reported_ = false;
    // The texts of the endpoints of the last two pairs: a link's two directions.
    struct Endpoints {
        UdpDatagram::Addresses address;
        unsigned short src_port = 0, dst_port = 0;
        bool known = false;
        std::size_t src_size = 0, dst_size = 0;
        char src[kAddressTextSize + 6] = {};
        char dst[kAddressTextSize + 6] = {};
    };
    std::array<Endpoints, 2> endpoints_;
    std::size_t next_endpoints_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
