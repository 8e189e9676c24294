// Classic pcap files read straight from their bytes: a 24-byte file header,
// then each frame behind a 16-byte record header. Many frames come with
// one read, where libpcap makes two calls of the C library a frame. Only
// the plain files are taken here (version 2, a link type the command
// decodes); libpcap reads all else, with its own messages.
#ifndef PAKETLOG_TOOLS_CAPTURE_PCAP_FILE_H
#define PAKETLOG_TOOLS_CAPTURE_PCAP_FILE_H

#include <sys/time.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_frame.h"

namespace paketlog {
namespace tool {

// A 32-bit field of a capture file, stored in either byte order.
inline std::uint32_t load_u32(const unsigned char* p, bool big_endian) {
    return big_endian ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]
                      : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

// The most bytes of a frame a capture may hold (libpcap's limit for these link types).
constexpr std::uint32_t kMaxCaplen = 262144;

class PcapFile {
public:
    // The reader of the capture whose first bytes, `head`, were read from
    // the file descriptor `rest`, which holds the bytes after them and is
    // left open. Null for a file it does not take. Each read takes what has
    // come, so a frame from a pipe is handed out as soon as it is in.
    static std::unique_ptr<PcapFile> open(const std::vector<unsigned char>& head, int rest);
    ~PcapFile() = default;
    PcapFile(const PcapFile&) = delete;
    PcapFile& operator=(const PcapFile&) = delete;

    int link_type() const { return link_type_; }  // as libpcap's DLT_ value
    int time_digits() const { return nano_ ? 9 : 6; }

    enum class Next { Frame, End, Error };
    // The next frame; on Next::Error, error() says why and nothing more is read.
    Next next(CaptureFrame& frame);
    const std::string& error() const { return error_; }
    // Whether the next frame is read whole already (next() will not wait for it).
    bool frame_ready() const {
        return end_ - begin_ >= kRecordHeaderSize && end_ - begin_ >= kRecordHeaderSize + field(8);
    }

private:
    static constexpr std::size_t kRecordHeaderSize = 16;
    explicit PcapFile(int rest);
    timeval time_of(std::uint32_t seconds, std::uint32_t fraction) const;
    // At least `n` unread bytes in the buffer, unless the file ends first.
    bool have(std::size_t n) { return end_ - begin_ >= n || refill(n); }
    bool refill(std::size_t n);
    // A field of the unread bytes, in the file's byte order.
    std::uint32_t field(std::size_t at) const { return load_u32(buffer_.get() + begin_ + at, big_); }

    int in_;
    int read_error_ = 0;  // errno of a failed read
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool big_ = false;   // fields stored most significant byte first
    bool nano_ = false;  // time stamps in nanoseconds, not microseconds
    std::uint32_t snapshot_ = kMaxCaplen;  // the file's snapshot length, as libpcap takes it
    int link_type_ = 0;
    unsigned long count_ = 0;
    std::string error_;
};

}  // namespace tool
}  // namespace paketlog

#endif
