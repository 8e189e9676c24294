// pcapng captures read straight from their bytes: section header blocks
// (either byte order, several in a file), interface description blocks
// (each with its own link type, snapshot length, if_tsresol and
// if_tsoffset), enhanced, simple and obsolete packet blocks; every other
// block is passed over. Unlike libpcap, interfaces of different link types
// may share a file (a merge of an Ethernet and a Linux cooked capture): each
// frame carries its own.
#ifndef PAKETLOG_TOOLS_CAPTURE_PCAPNG_FILE_H
#define PAKETLOG_TOOLS_CAPTURE_PCAPNG_FILE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_frame.h"

namespace paketlog {
namespace tool {

class PcapngFile {
public:
    // The reader of the capture whose first bytes, `head`, were read from
    // the file descriptor `rest` (left open); null when they are not a
    // pcapng section header. Reads take what has come, as PcapFile's.
    static std::unique_ptr<PcapngFile> open(const std::vector<unsigned char>& head, int rest);

    // Reads up to the first interface description (no packet block may come
    // before it); false, error() saying why, when none comes.
    bool prepare();
    // The link type of the first interface (libpcap's DLT_ value), -1 before one is described.
    int link_type() const { return first_link_type_; }
    int time_digits() const { return first_digits_; }

    enum class Next { Frame, End, Error };
    // The next frame (frame.link_type set); on Next::Error, error() says why and nothing more is read.
    Next next(CaptureFrame& frame);
    const std::string& error() const { return error_; }
    // Whether the next block is read whole already (next() will not wait for it).
    bool block_ready() const;

    // The most a block may hold; past it the file is refused.
    static constexpr std::uint32_t kMaxBlock = 16u << 20;

private:
    explicit PcapngFile(int rest) : in_(rest) {}
    struct Interface {
        int link_type = -1;
        std::uint32_t snaplen = 0;
        std::uint64_t units = 1000000;  // time stamp units a second
        bool binary = false;            // units are a power of 2
        int shift = 0;                  // that power
        std::int64_t offset = 0;        // if_tsoffset, seconds
    };
    bool have(std::size_t n);
    std::uint32_t u32(std::size_t at) const;
    std::uint16_t u16(std::size_t at) const;
    bool section(std::uint32_t length);
    bool interface(std::uint32_t length);
    Next packet(std::uint32_t type, std::uint32_t length, CaptureFrame& frame);
    Next fail(std::string what);

    int in_;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool eof_ = false;
    int read_error_ = 0;
    bool big_ = false;
    std::vector<Interface> interfaces_;
    int first_link_type_ = -1;
    int first_digits_ = 6;
    bool to_interface_ = false;  // prepare(): stop after the first interface, before any packet
    std::size_t skip_ = 0;  // bytes of the block handed out last, dropped at the next call
    unsigned long count_ = 0;
    std::string error_;
};

}  // namespace tool
}  // namespace paketlog

#endif
