#include "capture/pcapng_file.h"

#include <pcap/dlt.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "capture/pcap_file.h"

namespace paketlog {
namespace tool {
namespace {

constexpr std::uint32_t kSectionHeader = 0x0A0D0D0A;
constexpr std::uint32_t kInterface = 1;
constexpr std::uint32_t kObsoletePacket = 2;
constexpr std::uint32_t kSimplePacket = 3;
constexpr std::uint32_t kEnhancedPacket = 6;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::size_t kReadSize = std::size_t{256} << 10;

// A link type as a file names it, as libpcap's DLT_ value (only LINKTYPE_RAW differs).
int dlt_of(std::uint32_t link_type) { return link_type == 101 ? DLT_RAW : static_cast<int>(link_type); }

std::uint32_t swap32(std::uint32_t v) { return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24; }

// fraction / 2^shift of a second in nanoseconds, rounded down, without a
// 128-bit product (32-bit machines have none): fraction is below 2^shift,
// shift at most 63, so each partial product fits in 64 bits.
std::uint64_t binary_fraction_in_nanoseconds(std::uint64_t fraction, int shift) {
    constexpr std::uint64_t kBillion = 1000000000u;
    if (shift <= 32) return fraction * kBillion >> shift;
    const std::uint64_t high = fraction >> 32, low = fraction & 0xFFFFFFFFu;
    return (high * kBillion + (low * kBillion >> 32)) >> (shift - 32);
}

}  // namespace

std::unique_ptr<PcapngFile> PcapngFile::open(const std::vector<unsigned char>& head, int rest) {
    if (head.size() < 12 || load_u32(head.data(), false) != kSectionHeader) return nullptr;
    const std::uint32_t order = load_u32(head.data() + 8, false);
    if (order != kByteOrderMagic && order != swap32(kByteOrderMagic)) return nullptr;
    std::unique_ptr<PcapngFile> file(new PcapngFile(rest));
    file->buffer_.assign(head.begin(), head.end());
    file->end_ = head.size();
    return file;
}

// At least `n` unread bytes, unless the file ends first; blocks are bounded by kMaxBlock.
bool PcapngFile::have(std::size_t n) {
    if (end_ - begin_ >= n) return true;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < n && !eof_) {
        if (buffer_.size() < end_ + kReadSize) buffer_.resize(std::max(n, end_ + kReadSize));
        const ssize_t got = ::read(in_, buffer_.data() + end_, buffer_.size() - end_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) read_error_ = errno;
        if (got <= 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(got);
    }
    return end_ - begin_ >= n;
}

std::uint32_t PcapngFile::u32(std::size_t at) const { return load_u32(buffer_.data() + begin_ + at, big_); }

std::uint16_t PcapngFile::u16(std::size_t at) const {
    const unsigned char* p = buffer_.data() + begin_ + at;
    return static_cast<std::uint16_t>(big_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

bool PcapngFile::prepare() {
    CaptureFrame unused;
    to_interface_ = true;
    const Next next = this->next(unused);
    to_interface_ = false;
    if (next == Next::Error) return false;
    if (first_link_type_ >= 0) return true;
    error_ = "no interface described before the first packet or the end";
    return false;
}

bool PcapngFile::block_ready() const {
    if (end_ < begin_ + skip_ + 8) return false;
    const std::uint32_t length = load_u32(buffer_.data() + begin_ + skip_ + 4, big_);
    return end_ - begin_ - skip_ >= length;
}

PcapngFile::Next PcapngFile::fail(std::string what) {
    error_ = read_error_ != 0 ? std::string("error reading dump file: ") + std::strerror(read_error_) : std::move(what);
    return Next::Error;
}

// A section header: its byte order holds until the next one; interfaces start anew.
bool PcapngFile::section(std::uint32_t length) {
    big_ = load_u32(buffer_.data() + begin_ + 8, false) != kByteOrderMagic;
    if (length < 28 || u16(12) != 1) return false;  // version 1.x
    interfaces_.clear();
    return true;
}

bool PcapngFile::interface(std::uint32_t length) {
    if (length < 20) return false;
    Interface i;
    i.link_type = dlt_of(u16(8));
    i.snaplen = u32(12);
    for (std::size_t pos = 16; pos + 4 <= length - 4;) {
        const std::uint16_t code = u16(pos);
        const std::uint16_t size = u16(pos + 2);
        if (code == 0 || pos + 4 + size > length - 4) break;
        const unsigned char* value = buffer_.data() + begin_ + pos + 4;
        if (code == 9 && size >= 1) {  // if_tsresol
            const unsigned r = value[0] & 0x7F;
            i.binary = (value[0] & 0x80) != 0;
            if (i.binary ? r > 63 : r > 19) return false;
            i.shift = static_cast<int>(r);
            i.units = 1;
            for (unsigned k = 0; k < r; ++k) i.units *= i.binary ? 2 : 10;
        } else if (code == 14 && size >= 8) {  // if_tsoffset
            const std::uint64_t hi = load_u32(value, big_), lo = load_u32(value + 4, big_);
            i.offset = static_cast<std::int64_t>(big_ ? hi << 32 | lo : lo << 32 | hi);
        }
        pos += 4 + (size + 3u) / 4 * 4;
    }
    if (interfaces_.empty() && first_link_type_ < 0) {
        first_link_type_ = i.link_type;
        first_digits_ = i.units > 1000000 ? 9 : 6;
    }
    interfaces_.push_back(i);
    return true;
}

PcapngFile::Next PcapngFile::packet(std::uint32_t type, std::uint32_t length, CaptureFrame& frame) {
    std::size_t id = 0, at = 0, caplen = 0, wire = 0;
    std::uint64_t stamp = 0;
    if (type == kEnhancedPacket || type == kObsoletePacket) {
        if (length < 32) return fail("block of type " + std::to_string(type) + " too short");
        id = type == kEnhancedPacket ? u32(8) : u16(8);
        stamp = std::uint64_t{u32(12)} << 32 | u32(16);
        caplen = u32(20);
        wire = u32(24);
        at = 28;
    } else {
        if (length < 16) return fail("simple packet block too short");
        wire = u32(8);
        caplen = std::min<std::size_t>(wire, length - 16);
        at = 12;
    }
    if (id >= interfaces_.size())
        return fail("packet block names interface " + std::to_string(id) + ", but " +
                    std::to_string(interfaces_.size()) + " are described");
    const Interface& i = interfaces_[id];
    if (caplen > length - at - 4) return fail("packet block's captured length " + std::to_string(caplen) + " past its end");
    if (type == kSimplePacket && i.snaplen != 0 && caplen > i.snaplen) caplen = i.snaplen;
    const std::int64_t seconds = static_cast<std::int64_t>(stamp / i.units) + i.offset;
    const std::uint64_t fraction = stamp % i.units;
    std::uint64_t nanoseconds = 0;
    if (i.binary)
        nanoseconds = binary_fraction_in_nanoseconds(fraction, i.shift);
    else if (i.units <= 1000000000u)
        nanoseconds = fraction * (1000000000u / i.units);
    else
        nanoseconds = fraction / (i.units / 1000000000u);
    frame.number = ++count_;
    frame.time = normal_time(seconds, static_cast<std::int64_t>(nanoseconds), 9);
    frame.time.digits = i.units > 1000000 ? 9 : 6;
    frame.data = buffer_.data() + begin_ + at;
    frame.caplen = caplen;
    frame.length = wire;
    frame.link_type = i.link_type;
    return Next::Frame;
}

PcapngFile::Next PcapngFile::next(CaptureFrame& frame) {
    if (!error_.empty()) return Next::Error;
    begin_ += skip_;
    skip_ = 0;
    for (;;) {
        if (!have(8)) {
            if ((end_ == begin_ && read_error_ == 0) || to_interface_) return to_interface_ && read_error_ != 0 ? fail("") : Next::End;
            return fail("truncated dump file; tried to read 8 block header bytes, only got " +
                        std::to_string(end_ - begin_));
        }
        if (u32(0) == kSectionHeader && have(12)) big_ = load_u32(buffer_.data() + begin_ + 8, false) != kByteOrderMagic;
        const std::uint32_t type = u32(0);
        const std::uint32_t length = u32(4);
        if (length < 12 || length % 4 != 0 || length > kMaxBlock)
            return fail("block of type " + std::to_string(type) + " has length " + std::to_string(length));
        if (!have(length))
            return fail("truncated dump file; tried to read a block of " + std::to_string(length) + " bytes, only got " +
                        std::to_string(end_ - begin_));
        if (u32(length - 4) != length) return fail("block of type " + std::to_string(type) + " ends with another length");
        if (type == kSectionHeader) {
            if (!section(length)) return fail("section header of an unknown version");
        } else if (type == kInterface) {
            if (!interface(length)) return fail("interface description block is malformed");
            if (to_interface_) {
                begin_ += length;
                return Next::End;
            }
        } else if (type == kEnhancedPacket || type == kSimplePacket || type == kObsoletePacket) {
            if (to_interface_) return Next::End;
            const Next next = packet(type, length, frame);
            if (next == Next::Frame) skip_ = length;  // the frame's bytes stay until the next call
            return next;
        }
        begin_ += length;
    }
}

}  // namespace tool
}  // namespace paketlog
