// IPv4 addresses, RTP exchange records and video records.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bytes.h"
#include "paketlog.h"

using testing_support::put16;

namespace {
// `n` bytes that end right before an unreadable page: a read past them faults.
class GuardedBytes {
public:
    explicit GuardedBytes(std::size_t n) : page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
        void* m = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED) throw std::runtime_error("mmap");
        base_ = static_cast<unsigned char*>(m);
        mprotect(base_ + page_, page_, PROT_NONE);
        data = base_ + page_ - n;
        std::memset(data, 0, n);
    }
    ~GuardedBytes() { munmap(base_, 2 * page_); }
    unsigned char* data;

private:
    std::size_t page_;
    unsigned char* base_;
};

// An RTP record at an odd offset of packet bytes, as in an RTP_DATA packet.
struct RtpBytes {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(1 + sizeof(RTP_EXCH::sRTPExchParam));
    RtpBytes(const std::string& address, unsigned port, unsigned char send, unsigned char recv) {
        std::memcpy(&bytes[1 + 17], address.data(), address.size());
        put16(bytes, 1 + 145, port);
        bytes[1 + 147] = send;
        bytes[1 + 148] = recv;
    }
    const RTP_EXCH::sRTPExchParam& rec() const { return *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(&bytes[1]); }
};

void set_codec(unsigned char* video, int slot, unsigned char payload, unsigned char state, const std::string& name) {
    unsigned char* entry = video + 102 * slot;
    entry[0] = payload;
    entry[1] = state;
    std::memcpy(entry + 2, name.data(), name.size());
}

const Video_Exchange::ParamVideoRTP& as_video(const unsigned char* p) {
    return *reinterpret_cast<const Video_Exchange::ParamVideoRTP*>(p);
}
}  // namespace

TEST(Ip, DottedTextLeastSignificantByteFirst) {
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(ip2str(0x0100007F, buf, sizeof buf), buf);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string("127.0.0.1") + std::string(7, '\0'));
    EXPECT_STREQ(ip2str(0x0500A8C0, buf, sizeof buf), "192.168.0.5");

    char* shared = ip2str(0xFFFFFFFF, nullptr, 0);
    ASSERT_NE(shared, nullptr);
    EXPECT_STREQ(shared, "255.255.255.255");
    char keep[4] = "abc";
    EXPECT_EQ(ip2str(0x04030201, keep, 0), shared);  // zero size also selects the shared text
    EXPECT_STREQ(keep, "abc");
    EXPECT_STREQ(shared, "1.2.3.4");

    EXPECT_STREQ(ip2str(0xFFFFFFFF, buf, 8), "255.255");
}

TEST(Rtp, AddressPortAndFlags) {
    char buf[128];
    RtpBytes both("10.0.0.5", 5004, 1, 1);
    EXPECT_EQ(rtp_exch_param2str(both.rec(), buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "IP:Port=10.0.0.5:5004(rs)");
    // The flag at offset 148 is printed first.
    EXPECT_STREQ(rtp_exch_param2str(RtpBytes("a", 1, 0, 7).rec(), buf, sizeof buf), "IP:Port=a:1(r-)");
    EXPECT_STREQ(rtp_exch_param2str(RtpBytes("a", 1, 0x80, 0).rec(), buf, sizeof buf), "IP:Port=a:1(-s)");
    EXPECT_STREQ(rtp_exch_param2str(RtpBytes("", 65535, 0, 0).rec(), buf, sizeof buf), "IP:Port=:65535(--)");

    // The endpoint text holds at most 63 characters.
    const std::string seventy(70, 'h');
    EXPECT_EQ(std::string(rtp_exch_param2str(RtpBytes(seventy, 5004, 1, 1).rec(), buf, sizeof buf)),
              "IP:Port=" + seventy.substr(0, 63));

    std::memset(buf, 'Z', sizeof buf);
    EXPECT_STREQ(rtp_exch_param2str(both.rec(), buf, 12), "IP:Port=10.");
    EXPECT_EQ(buf[12], 'Z');
    EXPECT_EQ(rtp_exch_param2str(both.rec(), buf, 0), buf);
    EXPECT_EQ(buf[0], 'I');
    EXPECT_EQ(rtp_exch_param2str(both.rec(), nullptr, 64), nullptr);

    char* shared = rtp_exch_param2str(both.rec());
    EXPECT_EQ(rtp_exch_param2str(RtpBytes("1.1.1.1", 7, 0, 0).rec()), shared);  // one shared text
    EXPECT_STREQ(shared, "IP:Port=1.1.1.1:7(--)");
}

TEST(Video, AddressPortAndUsedCodecs) {
    unsigned char v[sizeof(Video_Exchange::ParamVideoRTP)] = {};
    set_codec(v, 0, 96, 0, "H264");
    set_codec(v, 1, 97, 255, "VP8");
    std::memcpy(v + 204, "10.0.0.7", 8);
    std::vector<unsigned char> port;
    put16(port, 0, 6000);
    std::memcpy(v + 324, port.data(), 2);
    EXPECT_EQ(as_video(v).ToString(), "IP4 10.0.0.7 6000 codecs: 96 H264");
    EXPECT_EQ(as_video(v).CodecsToStr(), "96 H264");

    v[1] = 255;  // only the second entry used
    v[103] = 0;
    EXPECT_EQ(as_video(v).ToString(), "IP4 10.0.0.7 6000 codecs: 97 VP8");
    v[1] = 254;  // 254 still marks a used entry; no separator between entries
    EXPECT_EQ(as_video(v).CodecsToStr(), "96 H26497 VP8");

    v[1] = v[103] = 255;
    v[0] = 0;
    v[324] = v[325] = 0xFF;
    EXPECT_EQ(as_video(v).CodecsToStr(), "");
    EXPECT_EQ(as_video(v).ToString(), "IP4 10.0.0.7 65535 codecs: ");
    v[1] = 0;
    EXPECT_EQ(as_video(v).CodecsToStr(), "0 H264");
}

TEST(FieldWidths, TextsWithoutNulAreReadOnlyToTheirWidth) {
    {
        GuardedBytes g(sizeof(RTP_EXCH::sRTPExchParam));
        std::memset(g.data + 17, 'a', 128);
        g.data[145] = g.data[146] = '1';
        g.data[147] = g.data[148] = 1;
        const auto& rec = *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(g.data);
        char buf[128];
        EXPECT_EQ(std::string(rtp_exch_param2str(rec, buf, sizeof buf)), "IP:Port=" + std::string(63, 'a'));
        EXPECT_EQ(std::string(rtp_exch_param2str(rec)), "IP:Port=" + std::string(63, 'a'));
    }
    {
        GuardedBytes g(sizeof(Video_Exchange::ParamVideoRTP));
        set_codec(g.data, 0, 1, 255, "");
        set_codec(g.data, 1, 5, 0, std::string(100, 'n'));
        std::memset(g.data + 204, 'a', 120);
        g.data[324] = g.data[325] = '9';  // port 0x3939
        const auto& video = as_video(g.data);
        EXPECT_EQ(video.CodecsToStr(), "5 " + std::string(100, 'n'));
        EXPECT_EQ(video.ToString(), "IP4 " + std::string(120, 'a') + " 14649 codecs: 5 " + std::string(100, 'n'));
    }
}

TEST(Workspace, MediaTextsGoToCallersWorkspace) {
    char* shared_ip = ip2str(0x0100007F, nullptr, 0);
    RtpBytes first("10.0.0.1", 1000, 1, 0);
    char* shared_rtp = rtp_exch_param2str(first.rec());

    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(ip2str(*ws, 0x08080808, nullptr, 0), ws->ip_text);
    EXPECT_STREQ(ws->ip_text, "8.8.8.8");

    RtpBytes second("10.0.0.2", 2000, 0, 1);
    EXPECT_EQ(rtp_exch_param2str(*ws, second.rec()), ws->rtp_text);
    EXPECT_STREQ(ws->rtp_text, "IP:Port=10.0.0.2:2000(r-)");

    EXPECT_STREQ(shared_ip, "127.0.0.1");
    EXPECT_STREQ(shared_rtp, "IP:Port=10.0.0.1:1000(-s)");
}
