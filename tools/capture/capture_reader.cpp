#include "capture/capture_reader.h"

#include <pcap/pcap.h>

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "capture/bpf_filter.h"

namespace paketlog {
namespace tool {
namespace {

volatile std::sig_atomic_t g_stop = 0;
pcap_t* g_live = nullptr;  // the live capture a signal ends

constexpr std::size_t kHeadSize = 4096;  // enough for a pcapng section header and its first interface
constexpr std::size_t kFileBuffer = std::size_t{64} << 10;  // of a capture file read by name
constexpr int kLiveWakeMs = 100;         // a live capture looks for stop() this often

// Digits of the time stamps a capture file holds: 9 for nanosecond pcap, and
// for pcapng whose first interface has an if_tsresol finer than microseconds.
int time_digits(const std::vector<unsigned char>& head) {
    if (head.size() < 24) return 6;
    const unsigned magic = load_u32(head.data(), false);
    if (magic == 0xA1B23C4D || magic == 0x4D3CB2A1) return 9;
    if (magic != 0x0A0D0D0A) return 6;
    const bool big = head[8] == 0x1A;  // the byte-order magic 0x1A2B3C4D
    const std::size_t shb = load_u32(head.data() + 4, big);
    if (shb < 28 || shb + 20 > head.size() || load_u32(head.data() + shb, big) != 1) return 6;
    const std::size_t idb_end = shb + load_u32(head.data() + shb + 4, big) - 4;
    for (std::size_t pos = shb + 16; pos + 4 <= idb_end && idb_end <= head.size();) {
        const unsigned code = big ? unsigned{head[pos]} << 8 | head[pos + 1] : unsigned{head[pos + 1]} << 8 | head[pos];
        const unsigned length = big ? unsigned{head[pos + 2]} << 8 | head[pos + 3] : unsigned{head[pos + 3]} << 8 | head[pos + 2];
        if (code == 0) break;
        if (code == 9 && length >= 1 && pos + 4 < idb_end) {
            const unsigned resolution = head[pos + 4];
            return (resolution & 0x80) ? ((resolution & 0x7F) > 20 ? 9 : 6) : (resolution > 6 ? 9 : 6);
        }
        pos += 4 + (length + 3) / 4 * 4;
    }
    return 6;
}

// A stream that gives back the bytes already read for sniffing, then the rest.
struct Replay {
    std::vector<unsigned char> head;
    std::size_t pos = 0;
    FILE* rest = nullptr;
};

ssize_t replay_read(void* cookie, char* buf, std::size_t size) {
    Replay& r = *static_cast<Replay*>(cookie);
    if (r.pos < r.head.size()) {
        const std::size_t n = std::min(size, r.head.size() - r.pos);
        std::memcpy(buf, r.head.data() + r.pos, n);
        r.pos += n;
        return static_cast<ssize_t>(n);
    }
    const std::size_t n = std::fread(buf, 1, size, r.rest);
    return n == 0 && std::ferror(r.rest) ? -1 : static_cast<ssize_t>(n);
}

int replay_close(void* cookie) {
    Replay* r = static_cast<Replay*>(cookie);
    const int rc = r->rest == stdin ? 0 : std::fclose(r->rest);
    delete r;
    return rc;
}

// pcap_breakloop() may be called from a signal handler; it wakes a capture
// waiting for packets.
void on_signal(int) {
    g_stop = 1;
    if (g_live != nullptr) pcap_breakloop(g_live);
}

}  // namespace

bool looks_like_capture(const unsigned char* head, std::size_t size) {
    if (size < 4) return false;
    const unsigned magic = load_u32(head, false);
    return magic == 0xA1B2C3D4 || magic == 0xD4C3B2A1 || magic == 0xA1B23C4D || magic == 0x4D3CB2A1 ||
           magic == 0x0A0D0D0A;
}

CaptureReader::~CaptureReader() {
    if (pcap_ == g_live) g_live = nullptr;
    if (pcap_ != nullptr) pcap_close(pcap_);
}

bool CaptureReader::open(const std::string& path) {
    FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error_ = std::strerror(errno);
        return false;
    }
    auto* replay = new Replay;
    replay->rest = in;
    replay->head.resize(kHeadSize);
    replay->head.resize(std::fread(replay->head.data(), 1, kHeadSize, in));
    if (std::ferror(in)) {
        error_ = std::strerror(errno);
        replay_close(replay);
        return false;
    }
    digits_ = time_digits(replay->head);
    if ((file_ = PcapFile::open(replay->head, in)) != nullptr) {
        delete replay;
        link_type_ = file_->link_type();
        return true;
    }
    FILE* stream = nullptr;
    struct stat info {};
    if (in != stdin && ::fstat(fileno(in), &info) == 0 && S_ISREG(info.st_mode) &&
        (stream = std::fopen(path.c_str(), "rb")) != nullptr) {
        // A regular file is read again from its start, through a large buffer.
        replay_close(replay);
        buffer_.reset(new char[kFileBuffer]);
        std::setvbuf(stream, buffer_.get(), _IOFBF, kFileBuffer);
    } else {
        stream = fopencookie(replay, "rb", cookie_io_functions_t{replay_read, nullptr, nullptr, replay_close});
    }
    if (stream == nullptr) {
        error_ = std::strerror(errno);
        replay_close(replay);
        return false;
    }
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    pcap_ = pcap_fopen_offline_with_tstamp_precision(stream, PCAP_TSTAMP_PRECISION_NANO, errbuf);
    if (pcap_ == nullptr) {
        std::fclose(stream);
        error_ = errbuf;
        return false;
    }
    link_type_ = pcap_datalink(pcap_);
    return true;
}

bool CaptureReader::open_live(const std::string& interface, const std::string& filter) {
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    if (pcap_ != nullptr) {  // a second try, with another filter
        if (pcap_ == g_live) g_live = nullptr;
        pcap_close(pcap_);
    }
    live_ = true;
    pcap_ = pcap_create(interface.c_str(), errbuf);
    if (pcap_ == nullptr) {
        error_ = errbuf;
        return false;
    }
    pcap_set_snaplen(pcap_, 262144);
    pcap_set_promisc(pcap_, 1);
    pcap_set_timeout(pcap_, kLiveWakeMs);
    pcap_set_immediate_mode(pcap_, 1);
    if (pcap_set_tstamp_precision(pcap_, PCAP_TSTAMP_PRECISION_NANO) != 0)
        pcap_set_tstamp_precision(pcap_, PCAP_TSTAMP_PRECISION_MICRO);
    const int status = pcap_activate(pcap_);
    if (status < 0) {
        const std::string status_text = pcap_statustostr(status);
        const std::string detail = pcap_geterr(pcap_);
        error_ = interface + ": " + (status == PCAP_ERROR ? detail : status_text);
        if (status != PCAP_ERROR && !detail.empty() && detail != status_text) error_ += " (" + detail + ")";
        return false;
    }
    digits_ = pcap_get_tstamp_precision(pcap_) == PCAP_TSTAMP_PRECISION_NANO ? 9 : 6;
    link_type_ = pcap_datalink(pcap_);
    if (!filter.empty()) {
        bpf_program program{};
        if (pcap_compile(pcap_, &program, filter.c_str(), filter_optimization(filter), PCAP_NETMASK_UNKNOWN) != 0 ||
            pcap_setfilter(pcap_, &program) != 0) {
            error_ = pcap_geterr(pcap_);
            pcap_freecode(&program);
            return false;
        }
        pcap_freecode(&program);
    }
    g_live = pcap_;
    struct sigaction action {};
    action.sa_handler = on_signal;  // no SA_RESTART: a signal wakes the waiting capture
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
}

std::string CaptureReader::link_type_name() const {
    const char* name = pcap_datalink_val_to_name(link_type_);
    return name != nullptr ? name : std::to_string(link_type_);
}

CaptureReader::Next CaptureReader::next(CaptureFrame& frame) {
    if (file_ != nullptr) {
        switch (file_->next(frame)) {
        case PcapFile::Next::Frame: return Next::Frame;
        case PcapFile::Next::End: return Next::End;
        case PcapFile::Next::Error: error_ = file_->error(); return Next::Error;
        }
    }
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    for (;;) {
        if (live_ && g_stop) return Next::End;
        switch (pcap_next_ex(pcap_, &header, &data)) {
        case 1:
            frame.number = ++count_;
            frame.time = normal_time(static_cast<std::int64_t>(header->ts.tv_sec),
                                     static_cast<std::int64_t>(header->ts.tv_usec), 9);
            frame.time.digits = digits_;
            frame.data = data;
            frame.caplen = header->caplen;
            frame.length = header->len;
            return Next::Frame;
        case 0:  // a live capture's wake-up with nothing captured
            continue;
        case PCAP_ERROR_BREAK:
            return Next::End;
        default:
            if (live_ && g_stop) return Next::End;
            error_ = pcap_geterr(pcap_);
            return Next::Error;
        }
    }
}

void CaptureReader::stop() { on_signal(0); }

}  // namespace tool
}  // namespace paketlog
