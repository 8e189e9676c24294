// Writing the frames a run keeps to a classic pcap file (-w), one that
// tcpdump, tshark and libpcap read: microsecond or nanosecond time stamps as
// the capture had them, the capture's link type, the machine's byte order.
#ifndef PAKETLOG_TOOLS_CAPTURE_PCAP_WRITER_H
#define PAKETLOG_TOOLS_CAPTURE_PCAP_WRITER_H

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>

#include "capture/capture_time.h"

namespace paketlog {
namespace tool {

class PcapWriter {
public:
    // Where the frames go ("-": standard output); nothing is opened before
    // the first capture begins.
    explicit PcapWriter(std::string path) : path_(std::move(path)) {}
    ~PcapWriter();
    PcapWriter(const PcapWriter&) = delete;
    PcapWriter& operator=(const PcapWriter&) = delete;

    // A capture of link type `dlt` (libpcap's DLT_ value) begins; the first
    // one opens the file. False, with error() saying why, when the file
    // cannot be written or holds another link type already.
    bool begin(int dlt, int time_digits);
    // One frame; `flush`: out to the file at once (a live capture).
    void write(const CaptureTime& time, const unsigned char* data, std::size_t caplen, std::size_t length, bool flush);
    // Writes out what is pending; false when any write failed, error() says why.
    bool close();
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    bool opened() const { return dlt_ >= 0; }

private:
    std::string path_;
    std::FILE* out_ = nullptr;
    int dlt_ = -1;
    bool nano_ = false;
    int failed_ = 0;  // errno of the first failed write
    std::string error_;
};

}  // namespace tool
}  // namespace paketlog

#endif
