// Reading pcap and pcapng captures, and live capture: plain pcap files by
// PcapFile, pcapng files by PcapngFile, everything else through libpcap.
#ifndef PAKETLOG_TOOLS_CAPTURE_CAPTURE_READER_H
#define PAKETLOG_TOOLS_CAPTURE_CAPTURE_READER_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_time.h"
#include "capture/pcap_file.h"
#include "capture/pcapng_file.h"

typedef struct pcap pcap_t;

namespace paketlog {
namespace tool {

// Whether a file's first bytes are those of a pcap (either byte order,
// microsecond or nanosecond) or pcapng capture.
bool looks_like_capture(const unsigned char* head, std::size_t size);

class CaptureReader {
public:
    CaptureReader() = default;
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // Opens a capture file, or standard input for "-", whose first bytes
    // `head` may have been read already (to sniff it). On failure returns
    // false and error() says why.
    bool open(const std::string& path, std::vector<unsigned char> head = {});
    // Starts capturing on an interface, with `filter` (a libpcap expression,
    // may be empty) as its capture filter, `snaplen` bytes of each frame (0:
    // 262144) and a buffer of `buffer_kib` KiB (0: libpcap's). On failure
    // error() says why.
    bool open_live(const std::string& interface, const std::string& filter, int snaplen = 0, int buffer_kib = 0);
    // A live capture's counts as tcpdump gives them on exit: frames captured
    // (read here), received by the filter, dropped by the kernel.
    std::string live_statistics();

    int link_type() const { return link_type_; }
    int time_digits() const { return digits_; }
    std::string link_type_name() const;

    enum class Next { Frame, End, Error };
    // The next frame; on Next::Error, error() says why and nothing more can be
    // read. A live capture ends (Next::End) once stop() was called.
    Next next(CaptureFrame& frame);
    const std::string& error() const { return error_; }
    // Whether next() has a frame, or the end, without waiting for more input
    // (a file always has; a pipe or terminal when its bytes are in).
    bool ready() const;

    // Ends a live capture at its next wake-up; safe in a signal handler.
    static void stop();

private:
    std::unique_ptr<PcapFile> file_;  // a plain pcap file, read without libpcap
    std::unique_ptr<PcapngFile> pcapng_;  // a pcapng file, read without libpcap
    pcap_t* pcap_ = nullptr;
    int link_type_ = -1;
    int digits_ = 6;  // of the capture's time stamps
    bool live_ = false;
    bool regular_ = false;  // a regular file: reading it never waits for a writer
    int fd_ = -1;           // of a capture file, read by file_ or through libpcap's stream
    unsigned long count_ = 0;
    std::string error_;
    std::unique_ptr<char[]> buffer_;  // of the file's stream; outlives pcap_
};

}  // namespace tool
}  // namespace paketlog

#endif
