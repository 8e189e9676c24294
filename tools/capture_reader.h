// Reading pcap and pcapng captures through libpcap.
#ifndef PAKETLOG_TOOLS_CAPTURE_READER_H
#define PAKETLOG_TOOLS_CAPTURE_READER_H

#include <cstddef>
#include <string>

typedef struct pcap pcap_t;

namespace paketlog {
namespace tool {

struct CaptureFrame {
    unsigned long number = 0;  // 1 for the first frame of the capture
    long long seconds = 0;     // capture time, seconds since the epoch
    long microseconds = 0;
    const unsigned char* data = nullptr;  // valid until the next call of next()
    std::size_t caplen = 0;
};

class CaptureReader {
public:
    CaptureReader() = default;
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // Opens a capture file, or standard input for "-". On failure returns
    // false and error() says why.
    bool open(const std::string& path);
    int link_type() const { return link_type_; }
    std::string link_type_name() const;

    enum class Next { Frame, End, Error };
    // The next frame; on Next::Error, error() says why and nothing more can be read.
    Next next(CaptureFrame& frame);
    const std::string& error() const { return error_; }

private:
    pcap_t* pcap_ = nullptr;
    int link_type_ = -1;
    unsigned long count_ = 0;
    std::string error_;
};

// "HH:MM:SS.uuuuuu" in local time, as tcpdump prints a capture time.
std::string clock_time(long long seconds, long microseconds);
// "YYYY-MM-DDTHH:MM:SS.uuuuuuZ", UTC.
std::string utc_time(long long seconds, long microseconds);

}  // namespace tool
}  // namespace paketlog

#endif
