// Plain pcap files read by the command's own reader and by libpcap, from the
// same bytes: the same frames (times, lengths, bytes) and the same end, for
// good files and for files cut short or holding impossible lengths.
#include <gtest/gtest.h>

#include <pcap/pcap.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/pcap_file.h"
#include "capture_writer.h"

using namespace paketlog::tool;

namespace {

struct Record {
    PcapRecordHeader header;  // as it is written, whatever follows it
    std::string data;         // what follows the header (its size may differ from the caplen)
};

std::string capture_of(const PcapLayout& layout, const std::vector<Record>& records) {
    Bytes out;
    put_pcap_header(out, layout);
    for (const Record& r : records) {
        put_pcap_record_header(out, layout, r.header);
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    return std::string(out.begin(), out.end());
}

std::string frame_text(const CaptureTime& t, std::size_t caplen, std::size_t length, const unsigned char* data) {
    std::string text = std::to_string(t.seconds) + "." + std::to_string(t.nanoseconds) + " " +
                       std::to_string(caplen) + "/" + std::to_string(length) + " ";
    text.append(reinterpret_cast<const char*>(data), caplen);
    return text;
}

// What libpcap reads of `bytes`: a line a frame, then "end" or "error: ...".
std::vector<std::string> by_libpcap(std::string bytes) {
    std::FILE* in = fmemopen(bytes.data(), bytes.size(), "rb");
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    pcap_t* p = pcap_fopen_offline_with_tstamp_precision(in, PCAP_TSTAMP_PRECISION_NANO, errbuf);
    if (p == nullptr) return {std::string("open: ") + errbuf};
    std::vector<std::string> seen{"link " + std::to_string(pcap_datalink(p))};
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    for (int got; (got = pcap_next_ex(p, &header, &data)) != PCAP_ERROR_BREAK;) {
        if (got != 1) {
            seen.push_back(std::string("error: ") + pcap_geterr(p));
            break;
        }
        const CaptureTime t = normal_time(header->ts.tv_sec, header->ts.tv_usec, 9);
        seen.push_back(frame_text(t, header->caplen, header->len, data));
    }
    if (seen.back().rfind("error", 0) != 0) seen.push_back("end");
    pcap_close(p);
    return seen;
}

// The same through PcapFile, after the first bytes are read as the command reads them.
std::vector<std::string> by_pcap_file(std::string bytes) {
    const int in = ::memfd_create("capture", MFD_CLOEXEC);
    if (in < 0 || ::write(in, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) return {"no memfd"};
    ::lseek(in, 0, SEEK_SET);
    std::vector<unsigned char> head(4096);
    head.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(in, head.data(), head.size()))));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    const std::unique_ptr<PcapFile> taken = PcapFile::open(head, in);
    if (taken == nullptr) return {"not taken"};
    PcapFile& file = *taken;
    std::vector<std::string> seen{"link " + std::to_string(file.link_type())};
    CaptureFrame frame;
    for (PcapFile::Next next; (next = file.next(frame)) != PcapFile::Next::End;) {
        if (next == PcapFile::Next::Error) {
            seen.push_back("error: " + file.error());
            return seen;
        }
        seen.push_back(frame_text(frame.time, frame.caplen, frame.length, frame.data));
    }
    seen.push_back("end");
    return seen;
}

std::vector<Record> three_frames() {
    return {{{1709285400, 250001, 4, 60}, "abcd"}, {{1709285401, 999999, 0, 0}, ""}, {{5, 7, 6, 6}, "uvwxyz"}};
}

}  // namespace

TEST(PcapFile, FramesAsLibpcapReadsThemInEveryByteOrderAndPrecision) {
    for (const bool big : {false, true}) {
        for (const bool nano : {false, true}) {
            PcapLayout l;
            l.big_endian = big;
            l.nanoseconds = nano;
            const std::string bytes = capture_of(l, three_frames());
            EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes)) << big << nano;
        }
    }
}

// Frames enough to be read in several reads, the last frame straddling them.
TEST(PcapFile, ManyFramesAcrossReads) {
    std::vector<Record> records;
    for (std::uint32_t n = 0; n < 5000; ++n) records.push_back({{n, n, 100 + n % 50, 200}, std::string(100 + n % 50, 'a' + n % 26)});
    const std::string bytes = capture_of(PcapLayout{}, records);
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

std::vector<Record> far_times() { return {{{0xFFFFFFFF, 0xFFFFFFFF, 1, 1}, "a"}, {{0x80000000, 0xF0000000, 1, 1}, "b"}}; }

// libpcap reads them signed in the machine's byte order, unsigned in the other.
TEST(PcapFile, TimeFieldsAtTheirEndsInTheMachinesByteOrder) {
    const std::string bytes = capture_of(PcapLayout{}, far_times());
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, TimeFieldsAtTheirEndsInTheOtherByteOrder) {
    PcapLayout l;
    l.big_endian = true;
    const std::string bytes = capture_of(l, far_times());
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, RawLinkTypeNumberedAsLibpcapDoes) {
    PcapLayout l;
    l.link_type = 101;
    const std::string bytes = capture_of(l, three_frames());
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, FrameLongerThanTheSnapshotIsCutToIt) {
    PcapLayout l;
    l.snaplen = 3;
    const std::string bytes = capture_of(l, three_frames());
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, SnapshotOfNothingMeansTheLimit) {
    PcapLayout l;
    l.snaplen = 0;
    const std::string bytes = capture_of(l, three_frames());
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

// A snapshot length above the frame limit stands, and names the limit a frame crosses.
TEST(PcapFile, SnapshotAboveTheLimit) {
    PcapLayout l;
    l.snaplen = kMaxCaplen + 64;
    const std::string bytes = capture_of(l, {{{1, 1, kMaxCaplen + 1, 9}, std::string(kMaxCaplen + 1, 'x')}});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, SnapshotTooLargeForAnIntMeansTheLimit) {
    PcapLayout l;
    l.snaplen = 0x80000000;
    const std::string bytes = capture_of(l, {{{1, 1, kMaxCaplen + 1, 9}, std::string(kMaxCaplen + 1, 'x')}});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

// Cut short inside the part of a frame longer than the snapshot that libpcap keeps.
TEST(PcapFile, FrameLongerThanTheSnapshotCutShortBeforeIt) {
    PcapLayout l;
    l.snaplen = 8;
    const std::string bytes = capture_of(l, {{{1, 1, 20, 20}, "abcd"}});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, LongestFrameIsRead) {
    const std::string bytes = capture_of(PcapLayout{}, {{{1, 1, kMaxCaplen, kMaxCaplen}, std::string(kMaxCaplen, 'x')}});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, OneBytePastTheLongestFrameIsAnError) {
    const std::string bytes =
        capture_of(PcapLayout{}, {{{1, 1, 2, 2}, "ok"}, {{1, 1, kMaxCaplen + 1, 9}, std::string(kMaxCaplen + 1, 'x')}});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, RecordHeaderCutShortIsAnError) {
    const std::string bytes = capture_of(PcapLayout{}, three_frames()) + std::string(15, '\0');
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, FrameCutShortIsAnError) {
    std::string bytes = capture_of(PcapLayout{}, three_frames());
    bytes.pop_back();
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

TEST(PcapFile, NoFramesAtAll) {
    const std::string bytes = capture_of(PcapLayout{}, {});
    EXPECT_EQ(by_pcap_file(bytes), by_libpcap(bytes));
}

// What the reader does not take goes to libpcap, with its own messages.
TEST(PcapFile, OtherVersionsAreLeftToLibpcap) {
    PcapLayout l;
    l.version_minor = 3;  // version 2.3: lengths perhaps swapped
    EXPECT_EQ(by_pcap_file(capture_of(l, three_frames())), std::vector<std::string>{"not taken"});
}

TEST(PcapFile, LinkTypesTheCommandCannotDecodeAreLeftToLibpcap) {
    PcapLayout l;
    l.link_type = 105;  // 802.11
    EXPECT_EQ(by_pcap_file(capture_of(l, three_frames())), std::vector<std::string>{"not taken"});
}

TEST(PcapFile, LinkTypeWithExtraBitsIsLeftToLibpcap) {
    PcapLayout l;
    l.link_type = 0x10000001;  // Ethernet, with the length of a frame check sequence
    EXPECT_EQ(by_pcap_file(capture_of(l, three_frames())), std::vector<std::string>{"not taken"});
}

TEST(PcapFile, FileHeaderCutShortIsLeftToLibpcap) {
    EXPECT_EQ(by_pcap_file(capture_of(PcapLayout{}, {}).substr(0, 23)), std::vector<std::string>{"not taken"});
}
