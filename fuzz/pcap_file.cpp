// The command's own reader of plain pcap files against libpcap, from the
// same bytes: the same link type, the same frames (time, lengths, bytes)
// and the same end, with libpcap's message when both fail.
// Input: the file's bytes (those the reader does not take are skipped).
#include <pcap/pcap.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "capture/pcap_file.h"
#include "fuzz.h"

using paketlog::tool::CaptureFrame;
using paketlog::tool::PcapFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;  // no stream of nothing
    std::vector<unsigned char> head(data, data + std::min<std::size_t>(size, 4096));
    std::string ours_bytes(reinterpret_cast<const char*>(data), size);
    const int ours_in = ::memfd_create("capture", MFD_CLOEXEC);
    fuzz::require(ours_in >= 0 && ::write(ours_in, data, size) == static_cast<ssize_t>(size));
    fuzz::require(::lseek(ours_in, static_cast<off_t>(head.size()), SEEK_SET) == static_cast<off_t>(head.size()));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{ours_in};
    const std::unique_ptr<PcapFile> taken = PcapFile::open(head, ours_in);
    if (taken == nullptr) return 0;
    PcapFile& ours = *taken;
    std::string theirs_bytes = ours_bytes;
    std::FILE* theirs_in = fmemopen(theirs_bytes.data(), size, "rb");
    fuzz::require(theirs_in != nullptr);
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    pcap_t* theirs = pcap_fopen_offline_with_tstamp_precision(theirs_in, PCAP_TSTAMP_PRECISION_NANO, errbuf);
    fuzz::require(theirs != nullptr && pcap_datalink(theirs) == ours.link_type());
    CaptureFrame frame;
    for (;;) {
        pcap_pkthdr* header = nullptr;
        const u_char* bytes = nullptr;
        const PcapFile::Next next = ours.next(frame);
        const int got = pcap_next_ex(theirs, &header, &bytes);
        if (next == PcapFile::Next::End) {
            fuzz::require(got == PCAP_ERROR_BREAK);
            break;
        }
        if (next == PcapFile::Next::Error) {
            fuzz::require(got == PCAP_ERROR && ours.error() == pcap_geterr(theirs));
            break;
        }
        fuzz::require(got == 1 && frame.caplen == header->caplen && frame.length == header->len);
        fuzz::require(frame.caplen == 0 || std::memcmp(frame.data, bytes, frame.caplen) == 0);
        const paketlog::tool::CaptureTime t = paketlog::tool::normal_time(header->ts.tv_sec, header->ts.tv_usec, 9);
        fuzz::require(frame.time.seconds == t.seconds && frame.time.nanoseconds == t.nanoseconds);
    }
    pcap_close(theirs);
    return 0;
}
