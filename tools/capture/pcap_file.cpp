#include "capture/pcap_file.h"

#include <pcap/dlt.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <type_traits>
#include <utility>

namespace paketlog {
namespace tool {
namespace {

constexpr std::size_t kFileHeader = 24;
constexpr std::size_t kRecordHeader = 16;
constexpr std::size_t kReadSize = std::size_t{256} << 10;  // asked of the system at once
// Room for a whole record behind what is left of the last read.
constexpr std::size_t kBufferSize = kReadSize + kRecordHeader + kMaxCaplen;

constexpr std::uint32_t kMicroMagic = 0xA1B2C3D4;
constexpr std::uint32_t kNanoMagic = 0xA1B23C4D;

std::uint32_t swapped(std::uint32_t v) { return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24; }

// The link types in a file's header that the command decodes, as libpcap
// gives them (its DLT_ values): only LINKTYPE_RAW is numbered otherwise.
int link_type_of(std::uint32_t file_link_type) {
    switch (file_link_type) {
    case 101: return DLT_RAW;  // LINKTYPE_RAW
    case DLT_NULL:
    case DLT_EN10MB:
    case DLT_RAW:
    case DLT_LOOP:
    case DLT_LINUX_SLL:
    case DLT_LINUX_SLL2:
    case DLT_IPV4:
    case DLT_IPV6: return static_cast<int>(file_link_type);
    default: return -1;
    }
}

struct FileHeader {
    bool big = false;
    bool nano = false;
    std::uint32_t snaplen = 0;
    int link_type = -1;
};

// The header of a plain capture: version 2.4 (older ones may have their
// lengths swapped, which libpcap undoes), a link type without extra bits.
bool read_header(const std::vector<unsigned char>& head, FileHeader& h) {
    if (head.size() < kFileHeader) return false;
    const std::uint32_t magic = load_u32(head.data(), false);
    h.big = magic == swapped(kMicroMagic) || magic == swapped(kNanoMagic);
    h.nano = magic == kNanoMagic || magic == swapped(kNanoMagic);
    if (!h.big && magic != kMicroMagic && magic != kNanoMagic) return false;
    const unsigned major = h.big ? unsigned{head[4]} << 8 | head[5] : unsigned{head[5]} << 8 | head[4];
    const unsigned minor = h.big ? unsigned{head[6]} << 8 | head[7] : unsigned{head[7]} << 8 | head[6];
    if (major != 2 || minor != 4) return false;
    h.snaplen = load_u32(head.data() + 16, h.big);
    h.link_type = link_type_of(load_u32(head.data() + 20, h.big));
    return h.link_type >= 0;
}

}  // namespace

// The time fields as libpcap hands them out, in its `struct timeval`: read
// signed in the machine's own byte order and unsigned in the other (its
// byte swap gives an unsigned value), then held in the machine's time_t
// and suseconds_t, microseconds times 1000 in the latter. Where those are
// 32 bits wide (armhf) that product wraps, and the command shows what
// libpcap would have given.
timeval PcapFile::time_of(std::uint32_t seconds, std::uint32_t fraction) const {
    using Seconds = decltype(timeval::tv_sec);
    using Fraction = decltype(timeval::tv_usec);
    const bool swapped = big_ != (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__);
    timeval t{};
    t.tv_sec = swapped ? static_cast<Seconds>(seconds) : static_cast<Seconds>(static_cast<std::int32_t>(seconds));
    const Fraction f = swapped ? static_cast<Fraction>(fraction) : static_cast<Fraction>(static_cast<std::int32_t>(fraction));
    t.tv_usec = nano_ ? f : static_cast<Fraction>(static_cast<std::make_unsigned_t<Fraction>>(f) * 1000u);
    return t;
}

std::unique_ptr<PcapFile> PcapFile::open(const std::vector<unsigned char>& head, int rest) {
    FileHeader h;
    if (!read_header(head, h)) return nullptr;
    std::unique_ptr<PcapFile> file(new PcapFile(rest));
    file->big_ = h.big;
    file->nano_ = h.nano;
    // libpcap's reading of the header's snapshot length: 0, or one too large
    // for an int, is the limit; anything else stands, even above the limit.
    file->snapshot_ = h.snaplen == 0 || h.snaplen > 0x7FFFFFFF ? kMaxCaplen : h.snaplen;
    file->link_type_ = h.link_type;
    // The frames already read behind the file header come first.
    if (head.size() > kFileHeader) {
        file->end_ = head.size() - kFileHeader;
        std::memcpy(file->buffer_.get(), head.data() + kFileHeader, file->end_);
    }
    return file;
}

PcapFile::PcapFile(int rest) : in_(rest), buffer_(new unsigned char[kBufferSize]) {}

bool PcapFile::refill(std::size_t n) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < n) {
        if (read_error_ != 0) return false;
        const ssize_t got = ::read(in_, buffer_.get() + end_, std::min(kReadSize, kBufferSize - end_));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) read_error_ = errno;
        if (got <= 0) return false;
        end_ += static_cast<std::size_t>(got);
    }
    return true;
}

PcapFile::Next PcapFile::next(CaptureFrame& frame) {
    if (!error_.empty()) return Next::Error;
    const auto failed = [&](std::string what) {
        error_ = read_error_ != 0 ? std::string("error reading dump file: ") + std::strerror(read_error_) : std::move(what);
        return Next::Error;
    };
    if (!have(kRecordHeader)) {
        if (end_ == begin_ && read_error_ == 0) return Next::End;
        return failed("truncated dump file; tried to read 16 header bytes, only got " + std::to_string(end_ - begin_));
    }
    const std::uint32_t caplen = field(8);
    if (caplen > kMaxCaplen)
        return failed("invalid packet capture length " + std::to_string(caplen) + ", bigger than " +
                      (caplen > snapshot_ ? "snaplen of " + std::to_string(snapshot_)
                                          : "maximum of " + std::to_string(kMaxCaplen)));
    if (!have(kRecordHeader + caplen)) {
        // libpcap reads a frame longer than the snapshot in two steps, and names the step that fell short.
        const std::size_t got = end_ - begin_ - kRecordHeader;
        const std::uint32_t tried = caplen > snapshot_ && got < snapshot_ ? snapshot_ : caplen;
        return failed("truncated dump file; tried to read " + std::to_string(tried) + " captured bytes, only got " +
                      std::to_string(got));
    }
    const timeval t = time_of(field(0), field(4));
    frame.number = ++count_;
    frame.time = normal_time(t.tv_sec, t.tv_usec, 9);
    frame.time.digits = time_digits();
    frame.data = buffer_.get() + begin_ + kRecordHeader;
    frame.caplen = caplen > snapshot_ ? snapshot_ : caplen;  // what libpcap hands out of a longer one
    frame.length = field(12);
    begin_ += kRecordHeader + caplen;
    return Next::Frame;
}

}  // namespace tool
}  // namespace paketlog
