// One frame of a capture as its reader hands it out.
#ifndef PAKETLOG_TOOLS_CAPTURE_CAPTURE_FRAME_H
#define PAKETLOG_TOOLS_CAPTURE_CAPTURE_FRAME_H

#include <cstddef>

#include "capture/capture_time.h"

namespace paketlog {
namespace tool {

struct CaptureFrame {
    unsigned long number = 0;  // 1 for the first frame of the capture
    CaptureTime time;
    const unsigned char* data = nullptr;  // valid until the next frame is read
    std::size_t caplen = 0;
    std::size_t length = 0;  // on the wire
    int link_type = -1;      // its own (libpcap's DLT_ value) where a capture mixes them (pcapng); -1: the capture's
};

}  // namespace tool
}  // namespace paketlog

#endif
