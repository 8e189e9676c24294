// The command's own pcapng reader on any bytes: it ends or reports, within
// its bounds, and where libpcap reads the same bytes (one link type), the
// frames both hand out agree: lengths, bytes and time.
// Input: the file's bytes (those the reader does not take are skipped).
#include <pcap/pcap.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/pcapng_file.h"
#include "fuzz.h"

using paketlog::tool::CaptureFrame;
using paketlog::tool::PcapngFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<unsigned char> head(data, data + std::min<std::size_t>(size, 64));
    const int ours_in = ::memfd_create("capture", MFD_CLOEXEC);
    fuzz::require(ours_in >= 0 && ::write(ours_in, data, size) == static_cast<ssize_t>(size));
    fuzz::require(::lseek(ours_in, static_cast<off_t>(head.size()), SEEK_SET) == static_cast<off_t>(head.size()));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{ours_in};
    const std::unique_ptr<PcapngFile> taken = PcapngFile::open(head, ours_in);
    if (taken == nullptr || !taken->prepare()) return 0;
    PcapngFile& ours = *taken;
    std::string theirs_bytes(reinterpret_cast<const char*>(data), size);
    std::FILE* theirs_in = fmemopen(theirs_bytes.data(), size, "rb");
    fuzz::require(theirs_in != nullptr);
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    pcap_t* theirs = pcap_fopen_offline_with_tstamp_precision(theirs_in, PCAP_TSTAMP_PRECISION_NANO, errbuf);
    bool compare = theirs != nullptr && pcap_datalink(theirs) == ours.link_type();
    CaptureFrame frame;
    for (unsigned long frames = 0;; ++frames) {
        fuzz::require(frames <= size);  // every frame takes bytes of its own
        const PcapngFile::Next next = ours.next(frame);
        if (next != PcapngFile::Next::Frame) break;
        fuzz::require(frame.caplen <= PcapngFile::kMaxBlock && frame.number == frames + 1);
        if (!compare) continue;
        pcap_pkthdr* header = nullptr;
        const u_char* bytes = nullptr;
        if (pcap_next_ex(theirs, &header, &bytes) != 1 || frame.link_type != ours.link_type()) {
            compare = false;  // libpcap stops where it refuses what the command reads
            continue;
        }
        fuzz::require(frame.caplen == header->caplen && frame.length == header->len);
        fuzz::require(frame.caplen == 0 || std::memcmp(frame.data, bytes, frame.caplen) == 0);
        const paketlog::tool::CaptureTime t = paketlog::tool::normal_time(header->ts.tv_sec, header->ts.tv_usec, 9);
        fuzz::require(frame.time.seconds == t.seconds && frame.time.nanoseconds == t.nanoseconds);
    }
    if (theirs != nullptr)
        pcap_close(theirs);
    else
        std::fclose(theirs_in);
    return 0;
}
