// The library's own texts: IPv4 and RTP (byte order, cuts, what is cleared and
// what is left alone), unlisted connection codes and causes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "paketlog.h"

namespace {
using Render = std::function<char*(char*, unsigned short)>;
Render ip(unsigned addr) { return [=](char* dst, unsigned short size) { return ip2str(addr, dst, size); }; }
Render rtp(const std::string& address, unsigned char send, unsigned char recv) {
    RTP_EXCH::sRTPExchParam r{};
    std::memcpy(r.address, address.data(), address.size());
    r.port = 0x0101;  // 257 whatever the byte order
    r.send_flag = send;
    r.recv_flag = recv;
    return [=](char* dst, unsigned short size) { return rtp_exch_param2str(r, dst, size); };
}
}  // namespace

TEST(Media, IpAndRtpTextsCutAtSizeClearTheRestAndWriteNoFurther) {
    const std::string h(70, 'h');
    const struct { Render render; unsigned short size; std::string text; } cases[] = {
        {ip(0x04030201), 16, "1.2.3.4"},  // least significant byte first
        {ip(0xFFFFFFFF), 8, "255.255"},
        {rtp("a", 0, 7), 64, "IP:Port=a:257(r-)"},  // the flag at offset 148 first
        {rtp(h, 1, 1), 100, "IP:Port=" + h.substr(0, 63)},  // the endpoint 63 characters at most
        {rtp("10.0.0.5", 1, 1), 12, "IP:Port=10."},
        {rtp("10.0.0.5", 1, 1), 9, "IP:Port="},
        {rtp("10.0.0.5", 1, 1), 8, "IP:Port"},
        {rtp("10.0.0.5", 1, 1), 0, ""},  // nothing written
    };
    char buf[128];
    for (const auto& c : cases) {
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(c.render(buf, c.size), buf) << c.text;
        EXPECT_EQ(std::string(buf, c.size + 1u), c.text + std::string(c.size - c.text.size(), '\0') + "Z");
    }
    EXPECT_EQ(rtp("a", 0, 0)(nullptr, 64), nullptr);
    auto ws = std::make_unique<paketlog::Workspace>();  // no buffer or size 0: the workspace's IPv4 text
    EXPECT_EQ(ip2str(*ws, 0xFFFFFFFF, nullptr, 16), ws->ip_text);
    EXPECT_EQ(ip2str(*ws, 0x0100007F, buf, 0), ws->ip_text);
    EXPECT_STREQ(ws->ip_text, "127.0.0.1");
}

TEST(ConnectNames, UnlistedTypeAndSourceKeepSeparateBuffers) {
    const char* type = get_connect_type(9, false);
    const char* source = get_connect_source(7, true);
    EXPECT_EQ(get_connect_type(0xAB, true), type);  // a second miss reuses the buffer
    get_connect_type(1, false);                     // a hit leaves it alone
    get_connect_source(4, true);
    EXPECT_STREQ(type, "Unknown(0xAB)");
    EXPECT_STREQ(source, "Unknown(0x07)");
    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(get_connect_type(*ws, 0x31, true), ws->connect_type_text);
    EXPECT_EQ(get_connect_source(*ws, 0x32, false), ws->connect_source_text);
    EXPECT_STREQ(type, "Unknown(0xAB)");
}

TEST(Cause, NullRecordClearsOnlyItsOwnText) {
    _PD_CAUSE cause{1, 2, 3, 4};
    char* op = cause2str(&cause);
    char* tc = cause2strTC(&cause);
    const std::string tc_text = tc;
    EXPECT_EQ(cause2str(nullptr), op);
    EXPECT_EQ(std::string(op, 64), std::string(64, '\0'));
    EXPECT_EQ(tc, tc_text);
    EXPECT_EQ(cause2strTC(nullptr), tc);
    EXPECT_EQ(std::string(tc, 64), std::string(64, '\0'));
    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(cause2str(*ws, &cause), ws->cause_text);
    EXPECT_EQ(cause2strTC(*ws, &cause), ws->cause_text_tc);
    EXPECT_STREQ(op, "");
}
