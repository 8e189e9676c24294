// Where a captured datagram came from, as its line shows it.
#ifndef PAKETLOG_TOOLS_CAPTURE_CAPTURE_FACTS_H
#define PAKETLOG_TOOLS_CAPTURE_CAPTURE_FACTS_H

#include "capture/capture_time.h"
#include "capture/udp_payload.h"

namespace paketlog {
namespace tool {

// Where a captured packet came from.
struct CaptureFacts {
    unsigned long frame = 0;
    CaptureTime time;
    CaptureTime previous;  // of the packet shown before it, when there was one (--time=delta)
    bool has_previous = false;
    UdpDatagram::Addresses address;
    unsigned short src_port = 0;
    unsigned short dst_port = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
