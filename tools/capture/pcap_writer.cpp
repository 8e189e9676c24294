#include "capture/pcap_writer.h"

#include <pcap/dlt.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "capture/pcap_file.h"

namespace paketlog {
namespace tool {
namespace {

// The header's link type: libpcap's DLT_ values but DLT_RAW, whose number differs among systems.
std::uint32_t file_link_type(int dlt) { return dlt == DLT_RAW ? 101 : static_cast<std::uint32_t>(dlt); }

void put_u32(unsigned char* p, std::uint32_t v) { std::memcpy(p, &v, sizeof v); }  // the machine's byte order

}  // namespace

PcapWriter::~PcapWriter() { close(); }

bool PcapWriter::begin(int dlt, int time_digits) {
    if (out_ != nullptr || failed_ != 0) {
        if (failed_ == 0 && dlt != dlt_) {
            error_ = "-w " + path_ + ": holds frames of another link type; these are not written";
            return false;
        }
        return failed_ == 0;
    }
    out_ = path_ == "-" ? stdout : std::fopen(path_.c_str(), "wb");
    if (out_ == nullptr) {
        failed_ = errno;
        error_ = "-w " + path_ + ": " + std::strerror(failed_);
        return false;
    }
    dlt_ = dlt;
    nano_ = time_digits == 9;
    unsigned char header[24] = {};
    put_u32(header, nano_ ? 0xA1B23C4D : 0xA1B2C3D4);
    const std::uint16_t major = 2, minor = 4;  // version 2.4
    std::memcpy(header + 4, &major, 2);
    std::memcpy(header + 6, &minor, 2);
    put_u32(header + 16, kMaxCaplen);
    put_u32(header + 20, file_link_type(dlt));
    if (std::fwrite(header, 1, sizeof header, out_) != sizeof header && failed_ == 0) failed_ = errno;
    return true;
}

void PcapWriter::write(const CaptureTime& time, const unsigned char* data, std::size_t caplen, std::size_t length,
                       bool flush) {
    if (out_ == nullptr || failed_ != 0) return;
    unsigned char record[16];
    put_u32(record, static_cast<std::uint32_t>(time.seconds));
    put_u32(record + 4, nano_ ? time.nanoseconds : time.nanoseconds / 1000);
    put_u32(record + 8, static_cast<std::uint32_t>(caplen));
    put_u32(record + 12, static_cast<std::uint32_t>(length));
    if (std::fwrite(record, 1, sizeof record, out_) != sizeof record ||
        std::fwrite(data, 1, caplen, out_) != caplen || (flush && std::fflush(out_) != 0))
        failed_ = errno != 0 ? errno : EIO;
}

bool PcapWriter::close() {
    if (out_ != nullptr) {
        if (std::fflush(out_) != 0 && failed_ == 0) failed_ = errno;
        if (out_ != stdout && std::fclose(out_) != 0 && failed_ == 0) failed_ = errno;
        out_ = nullptr;
    }
    if (failed_ != 0 && error_.empty()) error_ = "-w " + path_ + ": " + std::strerror(failed_);
    return failed_ == 0;
}

}  // namespace tool
}  // namespace paketlog
